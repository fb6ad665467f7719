// folivo-cli render --pages: a range of pages drawn after one opening gives each page the
// picture that rendering it alone gives, under the page's own name, and a range the document
// does not hold writes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/ScratchFolder.h"
#include "tests/TestDocuments.h"
#include "tests/ToolOutput.h"

namespace folivo::test {
namespace {

// Three pages, each with a black bar at another height.
std::string ThreePages()
{
    PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>",
                       "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 /MediaBox [0 0 200 200] >>",
                       "<< /Type /Page /Parent 2 0 R /Contents 6 0 R >>",
                       "<< /Type /Page /Parent 2 0 R /Contents 7 0 R >>",
                       "<< /Type /Page /Parent 2 0 R /Contents 8 0 R >>",
                       StreamObject("", "0 g 20 20 160 20 re f"),
                       StreamObject("", "0 g 20 90 160 20 re f"),
                       StreamObject("", "0 g 20 160 160 20 re f")};
    builder.trailerEntries = "/Root 1 0 R";
    return builder.Build();
}

int Render(const std::string& arguments)
{
    return RunTool("( " + ShellQuoted(FOLIVO_CLI_PATH) + " render " + arguments + " 2>&1 )").exitCode;
}

TEST(RenderPages, EachPageOfTheRangeIsDrawnAsWhenDrawnAlone)
{
    ScratchFolder folder;
    const std::string file = ShellQuoted(folder.Write("three.pdf", ThreePages()));
    ASSERT_EQ(Render(file + " --pages 2-3 -o " + ShellQuoted(folder.File("range.png"))), 0);
    EXPECT_FALSE(std::filesystem::exists(folder.File("range-1.png")));
    for (const std::string page : {"2", "3"}) {
        SCOPED_TRACE("page " + page);
        const std::string alone = folder.File("alone-" + page + ".png");
        ASSERT_EQ(Render(file + " --page " + page + " -o " + ShellQuoted(alone)), 0);
        const std::string drawn = ReadBytes(folder.File("range-" + page + ".png"));
        EXPECT_FALSE(drawn.empty());
        EXPECT_EQ(drawn, ReadBytes(alone));
    }
    EXPECT_NE(ReadBytes(folder.File("range-2.png")), ReadBytes(folder.File("range-3.png")));

    // Without an extension the pages still become PNG files.
    ASSERT_EQ(Render(file + " --pages 1-1 -o " + ShellQuoted(folder.File("bare"))), 0);
    EXPECT_TRUE(std::filesystem::exists(folder.File("bare-1.png")));
}

TEST(RenderPages, RangesThatAreNoRangesOfTheDocumentAreRefused)
{
    ScratchFolder folder;
    const std::string file = ShellQuoted(folder.Write("three.pdf", ThreePages()));
    const std::string output = " -o " + ShellQuoted(folder.File("p.png"));
    for (const std::string range : {"3-2", "0-1", "1-", "-2", "2", "a-b", "1-2-3", "1--2"}) {
        EXPECT_EQ(Render(file + " --pages " + range + output), 1) << range;
    }
    EXPECT_EQ(Render(file + " --pages 1-2 --page 1" + output), 1);
    EXPECT_EQ(Render(file + " --page 1 --pages 1-2" + output), 1);
    // Past the last page: refused before any page is written.
    EXPECT_EQ(Render(file + " --pages 2-4" + output), 2);
    EXPECT_EQ(Render(file + " --pages 2-99999999999999999999" + output), 1);
    EXPECT_FALSE(std::filesystem::exists(folder.File("p-2.png")));
}

}  // namespace
}  // namespace folivo::test
