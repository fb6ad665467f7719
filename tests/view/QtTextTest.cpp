#include "view/QtText.h"

#include <gtest/gtest.h>

namespace folivo {
namespace {

TEST(QtText, EveryByteSurvivesTheRoundTrip)
{
    std::string bytes;
    for (int byte = 0; byte < 256; ++byte) bytes += static_cast<char>(byte);
    const QString text = QStringFromWindows1252(bytes);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(Windows1252FromQString(text), bytes);
}

TEST(QtText, HighBytesAreTheCodePageCharacters)
{
    EXPECT_EQ(QStringFromWindows1252("\x80\xE4\x9F"), QString::fromUtf8("\u20AC\u00E4\u0178"));
    EXPECT_EQ(Windows1252FromQString(QString::fromUtf8("\u20AC\u00E4\u0178")), "\x80\xE4\x9F");
}

TEST(QtText, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    // A character outside the Basic Multilingual Plane is one '?', not one per UTF-16 unit.
    EXPECT_EQ(Windows1252FromQString(QString::fromUtf8("a\U0001F600b\u03A9")), "a?b?");
}

}  // namespace
}  // namespace folivo
