// The document information: strings of every form into UTF-8 fields, and the dates.
#include <gtest/gtest.h>

#include "model/TextStrings.h"
#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

OpenedDocument WithInfo(const std::string& infoBody, std::vector<std::string> extra = {})
{
    std::vector<std::string> objects = {"<< /Type /Page /Parent 2 0 R >>", infoBody};
    objects.insert(objects.end(), extra.begin(), extra.end());
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R]", objects);
    builder.trailerEntries = "/Root 1 0 R /Info 4 0 R";
    return OpenedDocument(builder.Build());
}

TEST(DocumentInformation, LiteralStringsArePdfDocEncoding)
{
    auto opened = WithInfo(
        "<< /Producer (P) /Creator (C \\(1\\)) /Author (M\\374ller) /Title (Report (draft)) /Subject (a\\9b) "
        "/Keywords (\\200 \\101\\102) >>");
    const InfoFields& info = opened->info;
    EXPECT_EQ(info.producer, "P");
    EXPECT_EQ(info.creator, "C (1)");
    EXPECT_EQ(info.author, "Müller");
    EXPECT_EQ(info.title, "Report (draft)");  // balanced parentheses stay part of the string
    EXPECT_EQ(info.subject, "ab");            // a backslash before 9 drops both characters
    EXPECT_EQ(info.keywords, "• AB");
    EXPECT_NE(opened->InfoEntries, nullptr);
    EXPECT_EQ(opened->InfoEntries->Count(), 6u);
}

TEST(DocumentInformation, Utf16AndHexStringsAreDecoded)
{
    // "Größe" in UTF-16BE with a zero byte in every character, as a literal string with escapes.
    auto opened = WithInfo(
        "<< /Title (\\376\\377\\000G\\000r\\000\\366\\000\\337\\000e) /Author <FEFF00D8006C00E9> "
        "/Subject <48656C6C6F00> /Keywords <FEFF D83D DE00> /Creator <4142 43 4> >>");
    EXPECT_EQ(opened->info.title, "Größe");
    EXPECT_EQ(opened->info.author, "Ølé");
    EXPECT_EQ(opened->info.subject, "Hello");  // without the zero byte that ends a C string
    EXPECT_EQ(opened->info.keywords, "\xF0\x9F\x98\x80");  // a surrogate pair
    EXPECT_EQ(opened->info.creator, "ABC@");             // an odd last digit counts as followed by 0
}

TEST(DocumentInformation, IndirectStrings)
{
    auto opened = WithInfo("<< /Title 5 0 R /Author 6 0 R >>", {"(Indirect)", "<FEFF0041>"});
    EXPECT_EQ(opened->info.title, "Indirect");
    EXPECT_EQ(opened->info.author, "A");
}

TEST(DocumentInformation, Dates)
{
    auto opened = WithInfo("<< /CreationDate (D:20040315123045+01'00') /ModDate (D:19991231235959Z) >>");
    EXPECT_EQ(opened->info.createdDate, (CivilDate{2004, 3, 15}));
    EXPECT_EQ(opened->info.createdTime, (CivilTime{12, 30, 45}));
    EXPECT_EQ(opened->info.modifiedDate, (CivilDate{1999, 12, 31}));
    EXPECT_EQ(opened->info.modifiedTime, (CivilTime{23, 59, 59}));
}

TEST(DocumentInformation, IncompleteOrInvalidDatesSetNothingOrOnlyTheDate)
{
    const CivilDate untouchedDate{1, 2, 3};
    const CivilTime untouchedTime{4, 5, 6};
    auto apply = [&](const std::string& text) {
        std::pair<CivilDate, CivilTime> result{untouchedDate, untouchedTime};
        ApplyPdfDate(text, result.first, result.second);
        return result;
    };
    const std::pair<CivilDate, CivilTime> untouched{untouchedDate, untouchedTime};
    EXPECT_EQ(apply("D:20040315"), untouched);  // ends after the day
    EXPECT_EQ(apply("D:2004"), untouched);
    EXPECT_EQ(apply("20040315123045"), untouched);
    EXPECT_EQ(apply("D:2004031512304x"), untouched);
    EXPECT_EQ(apply("D:20040231123045"), untouched);  // 31 February
    EXPECT_EQ(apply("D:20040229250000"), (std::pair{CivilDate{2004, 2, 29}, untouchedTime}));
    EXPECT_EQ(apply("D:20000229000000"), (std::pair{CivilDate{2000, 2, 29}, CivilTime{0, 0, 0}}));
    EXPECT_EQ(apply("D:19000229000000"), untouched);
}

TEST(DocumentInformation, MissingInformationLeavesEmptyFieldsAndNow)
{
    auto opened = OpenedDocument(DocumentWithPages("/Kids [3 0 R]", {"<< /Type /Page >>"}).Build());
    EXPECT_EQ(opened->info.title, "");
    EXPECT_EQ(opened->InfoEntries, nullptr);
    EXPECT_GE(opened->info.createdDate.year, 2024);
    EXPECT_EQ(opened->info.createdDate, opened->info.modifiedDate);
}

TEST(TextStrings, StripParentheses)
{
    EXPECT_EQ(StripParentheses("(abc)"), "abc");
    EXPECT_EQ(StripParentheses("(abc"), "ab");  // the last character goes, whatever it is
    EXPECT_EQ(StripParentheses("("), "(");
    EXPECT_EQ(StripParentheses("abc"), "abc");
}

TEST(TextStrings, PdfTextToUtf8)
{
    EXPECT_EQ(PdfTextToUtf8(std::string("\xFE\xFF\x00\x41\xD8\x00", 6)), "A\xEF\xBF\xBD");  // a lone surrogate
    EXPECT_EQ(PdfTextToUtf8("\xEF\xBB\xBF\xC3\xA4"), "ä");
    EXPECT_EQ(PdfTextToUtf8("\x81\x9F"), "\xE2\x80\xA0\xC2\x9F");  // an unassigned byte survives
}

}  // namespace
}  // namespace folivo::test
