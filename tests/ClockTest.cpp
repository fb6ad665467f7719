// SOURCE_DATE_EPOCH fixes the time a save stamps into a file, in UTC; anything else in it is
// ignored.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/Clock.h"
#include "pdfwrite/InformationFields.h"

namespace folivo::test {
namespace {

TEST(Clock, SourceDateEpochFixesTheTimeInUtc)
{
    const struct {
        const char* value;
        bool fixed;
    } cases[] = {{"1700000000", true}, {"0", true}, {"", false}, {"-5", false}, {"12abc", false}};
    for (const auto& c : cases) {
        setenv("SOURCE_DATE_EPOCH", c.value, 1);
        const ClockReading now = ReadClock();
        EXPECT_EQ(now.fixed, c.fixed) << c.value;
        if (c.fixed) {
            EXPECT_EQ(now.seconds, std::atoll(c.value));
            EXPECT_EQ(now.offsetMinutes, 0);
        }
    }
    setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    InfoFields info;
    SetModifiedToNow(info);
    EXPECT_EQ(info.modifiedDate, (CivilDate{2023, 11, 14}));
    EXPECT_EQ(info.modifiedTime, (CivilTime{22, 13, 20}));
    EXPECT_EQ(InformationDateText(info.modifiedDate, info.modifiedTime, true, {}), CurrentPdfDateText());
    unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_FALSE(ReadClock().fixed);
}

}  // namespace
}  // namespace folivo::test
