// folivo-cli keeps its temporary files in a folder of its own run, so that batch runs side by
// side do not read or delete each other's: a run decodes its pictures even when the shared
// name of the temporary picture file is taken in the program folder, and leaves nothing behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/ScratchFolder.h"
#include "tests/TestDocuments.h"
#include "tests/TestJpeg.h"
#include "tests/ToolOutput.h"

namespace folivo::test {
namespace {

std::string OnePictureDocument()
{
    const std::string jpeg = EncodeJpeg({16, 16, JCS_RGB, 3, JCS_YCbCr, false, false},
                                        [](int, uint8_t* row) { std::fill(row, row + 3 * 16, uint8_t{90}); });
    PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>",
                       "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 100 100] >>",
                       "<< /Type /Page /Parent 2 0 R /Contents 4 0 R /Resources << /XObject << /Im1 5 0 R >> >> >>",
                       StreamObject("", "q 50 0 0 50 25 25 cm /Im1 Do Q"),
                       StreamObject("/Type /XObject /Subtype /Image /Width 16 /Height 16 /BitsPerComponent 8 "
                                    "/ColorSpace /DeviceRGB /Filter /DCTDecode",
                                    jpeg)};
    builder.trailerEntries = "/Root 1 0 R";
    return builder.Build();
}

TEST(CommandLineFolder, TemporaryFilesOfARunStayApartAndAreRemoved)
{
    namespace fs = std::filesystem;
    ScratchFolder folder;
    // A program folder of its own: the executable's folder is where the temporary files go.
    const std::string program = folder.File("program");
    fs::create_directories(program);
    fs::copy_file(FOLIVO_CLI_PATH, program + "/folivo-cli");
    // Another run's file under the shared name.
    fs::create_directories(program + "/tempimage.jpg");
    const std::string document = folder.Write("bild.pdf", OnePictureDocument());

    const ToolRun run = RunTool(ShellQuoted(program + "/folivo-cli") + " info " + ShellQuoted(document));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.output.find("pictures: 1\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("memo: 1 JPEG-Bilder gelesen..."), std::string::npos) << run.output;
    size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(program)) entries += entry.path().filename() != "folivo-cli";
    EXPECT_EQ(entries, 1u) << "only the other run's file stays";
}

}  // namespace
}  // namespace folivo::test
