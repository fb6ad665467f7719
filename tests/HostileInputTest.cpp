// Hostile files: every command of folivo-cli ends normally within 1 GiB of memory and says in
// German what it left out. The files are generated here; the big ones at full size only outside
// the sanitizer build, which runs the same cases scaled down.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/HostileHarness.h"
#include "tests/TestDocuments.h"
#include "tests/TestJpeg.h"

namespace folivo::test {
namespace {

// An even grey picture: a big size in a small file.
std::string GreyJpeg(int width, int height)
{
    return EncodeJpeg({width, height, JCS_RGB, 3, JCS_YCbCr, false, false, 10},
                      [width](int, uint8_t* row) { std::fill(row, row + 3 * width, uint8_t{128}); });
}

// A document whose pages each show `contents` (object 4 and on) with the given resources.
std::string Document(int pageCount, const std::string& contents, const std::string& resources,
                     const std::vector<std::string>& streams)
{
    PdfBuilder pdf;
    const int firstPage = 3 + static_cast<int>(streams.size());
    std::string kids;
    for (int i = 0; i < pageCount; ++i) kids += std::to_string(firstPage + i) + " 0 R ";
    pdf.objects = {"<< /Type /Catalog /Pages 2 0 R >>",
                   "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pageCount) + " >>"};
    for (const std::string& stream : streams) pdf.objects.push_back(stream);
    for (int i = 0; i < pageCount; ++i) {
        pdf.objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 "
                              "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> " +
                              resources + " >> /Contents " + contents + " >>");
    }
    pdf.trailerEntries = "/Root 1 0 R";
    return pdf.Build();
}

std::string OnePage(const std::string& content, const std::string& entries = "")
{
    return Document(1, "3 0 R", "", {StreamObject(entries, content)});
}

// One picture object (3 0 R) under `names` names, each drawn once.
std::string PictureUnderNames(const std::string& dictionary, const std::string& data, int names)
{
    std::string xobjects = "/XObject <<";
    std::string content;
    for (int i = 0; i < names; ++i) {
        xobjects += " /Im" + std::to_string(i) + " 3 0 R";
        content += "q 100 0 0 100 " + std::to_string(i * 5) + " 0 cm /Im" + std::to_string(i) + " Do Q\n";
    }
    return Document(1, "4 0 R", xobjects + " >>",
                    {StreamObject("/Type /XObject /Subtype /Image " + dictionary, data), StreamObject("", content)});
}

std::vector<HostileCase> Cases()
{
    return {
        {"numbers-without-operator",
         [] { return OnePage(DeflateRepeated("BT\n", "1 ", Scaled(30'000'000)), "/Filter /FlateDecode"); },
         "Operanden ohne Operator übersprungen"},
        {"numbers-beyond-the-content-bound",
         [] { return OnePage(DeflateRepeated("BT\n", "1 ", Scaled(120'000'000)), "/Filter /FlateDecode"); },
         HostileSanitized ? "Operanden ohne Operator übersprungen" : "Inhalt über"},
        {"path-then-many-saves",
         [] {
             std::string content = "0 0 m ";
             for (int i = 0; i < 20000; ++i) content += "1 1 l ";
             for (int i = 0; i < 20000; ++i) content += "q ";
             return OnePage(content + "S\n");
         },
         ""},
        {"deep-saves", [] {
             return OnePage(DeflateRepeated("", "q ", Scaled(30'000'000), "0 0 m 9 9 l S"), "/Filter /FlateDecode");
         },
         "Verschachtelungstiefe"},
        {"many-one-segment-paths",
         [] { return OnePage(DeflateRepeated("", "0 0 m 5 5 l S\n", Scaled(4'000'000)), "/Filter /FlateDecode"); },
         HostileSanitized ? "" : "über der Grenze von"},
        {"jpeg-under-48-names",
         [] {
             const int side = HostileSanitized ? 400 : 8000;
             const std::string dictionary = "/Width " + std::to_string(side) + " /Height " + std::to_string(side) +
                                            " /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /DCTDecode";
             return PictureUnderNames(dictionary, GreyJpeg(side, side), 48);
         },
         "48 JPEG-Bilder gelesen"},
        {"ccitt-under-10-names",
         [] {
             // Group 4 rows that stay white are one bit each.
             const int side = HostileSanitized ? 3000 : 60000;
             const std::string dictionary = "/Width " + std::to_string(side) + " /Height " + std::to_string(side) +
                                            " /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /CCITTFaxDecode "
                                            "/DecodeParms << /K -1 /Columns " + std::to_string(side) + " >>";
             return PictureUnderNames(dictionary, std::string(static_cast<size_t>(side / 8 + 1), '\xFF'), 10);
         },
         "10 JPEG-Bilder gelesen"},
        {"flate-picture-under-10-names",
         [] {
             const int side = HostileSanitized ? 600 : 9000;
             const std::string dictionary = "/Width " + std::to_string(side) + " /Height " + std::to_string(side) +
                                            " /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /FlateDecode";
             return PictureUnderNames(dictionary, DeflateRepeated("", std::string(size_t(side) * 3, '\0'), side), 10);
         },
         "10 JPEG-Bilder gelesen"},
        {"twenty-references-to-one-huge-stream",
         [] {
             std::string references = "[";
             for (int i = 0; i < 20; ++i) references += " 3 0 R";
             const int64_t lines = HostileSanitized ? 2'000 : 250'000'000 / 64;
             const std::string line = "% a comment line that fills the content to a quarter gigabyte\n";
             return Document(1, references + " ]", "",
                             {StreamObject("/Filter /FlateDecode", DeflateRepeated("", line, lines))});
         },
         HostileSanitized ? "" : "Inhalt über"},
        {"pages-sharing-a-huge-stream",
         [] {
             const std::string line = "% a comment line that fills the content to forty megabytes ...\n";
             return Document(8, "3 0 R", "",
                             {StreamObject("/Filter /FlateDecode", DeflateRepeated("", line, Scaled(40'000'000 / 64)))});
         },
         HostileSanitized ? "" : "MB je Dokument"},
        {"pages-sharing-many-paths",
         [] {
             return Document(8, "3 0 R", "",
                             {StreamObject("/Filter /FlateDecode", DeflateRepeated("", "0 0 m 5 5 l S\n", Scaled(2'000'000)))});
         },
         HostileSanitized ? "" : "je Dokument"},
        {"distinct-big-pictures",
         [] {
             // Ten different objects, each 9000 x 9000 pixels: shared decoding does not help.
             const int side = HostileSanitized ? 600 : 9000;
             const std::string data = DeflateRepeated("", std::string(size_t(side) * 3, '\0'), side);
             std::vector<std::string> streams;
             std::string xobjects = "/XObject <<", content;
             for (int i = 0; i < 10; ++i) {
                 streams.push_back(StreamObject("/Type /XObject /Subtype /Image /Width " + std::to_string(side) +
                                                    " /Height " + std::to_string(side) +
                                                    " /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /FlateDecode",
                                                data));
                 xobjects += " /Im" + std::to_string(i) + " " + std::to_string(3 + i) + " 0 R";
                 content += "q 50 0 0 50 " + std::to_string(i * 50) + " 0 cm /Im" + std::to_string(i) + " Do Q\n";
             }
             streams.push_back(StreamObject("", content));
             return Document(1, "13 0 R", xobjects + " >>", streams);
         },
         HostileSanitized ? "" : "übersprungen: die Bilder brauchen"},
        {"ascii85-zeros-after-flate",
         [] {
             return OnePage(DeflateRepeated("", "z", Scaled(20'000'000), "~>"),
                            "/Filter [/FlateDecode /ASCII85Decode]");
         },
         HostileSanitized ? "" : "Inhalt über"},
        {"ten-megabyte-string",
         [] { return OnePage("BT /F1 12 Tf 10 700 Td (" + std::string(Scaled(10'000'000), 'A') + ") Tj ET\n"); }, ""},
        {"long-text-array",
         [] {
             return OnePage(DeflateRepeated("BT /F1 12 Tf 10 700 Td [", "(A) -5 ", Scaled(2'000'000), "] TJ ET\n"),
                            "/Filter /FlateDecode");
         },
         HostileSanitized ? "" : "Operanden ohne Operator übersprungen"},
    };
}

class HostileInputTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileInputTest, EveryCommandEndsWithinMemoryAndSaysWhatItSkipped) { RunEveryCommand(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Generated, HostileInputTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return HostileCaseName(info.param); });

}  // namespace
}  // namespace folivo::test
