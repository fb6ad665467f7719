// Hostile files: every command of folivo-cli ends normally within 1 GiB of memory and says in
// German what it left out. The files are generated here; the big ones at full size only outside
// the sanitizer build, which runs the same cases scaled down.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/HostileHarness.h"
#include "tests/TestCodestreams.h"
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

// `count` picture objects of one dictionary and data, each drawn once.
std::string DistinctPictures(int count, const std::string& dictionary, const std::string& data)
{
    std::vector<std::string> streams;
    std::string xobjects = "/XObject <<", content;
    for (int i = 0; i < count; ++i) {
        streams.push_back(StreamObject("/Type /XObject /Subtype /Image " + dictionary, data));
        xobjects += " /Im" + std::to_string(i) + " " + std::to_string(3 + i) + " 0 R";
        content += "q 50 0 0 50 " + std::to_string(i * 10) + " 0 cm /Im" + std::to_string(i) + " Do Q\n";
    }
    streams.push_back(StreamObject("", content));
    return Document(1, std::to_string(3 + count) + " 0 R", xobjects + " >>", streams);
}

// 60 Type0 fonts on one page, each 20 of them sharing one of three /ToUnicode maps of
// `entries` three-byte codes.
std::string FontsSharingCharacterMaps(int64_t entries)
{
    PdfBuilder pdf;
    pdf.objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>", "", ""};
    const int firstMap = 5, firstFont = 8, fonts = 60;
    for (int m = 0; m < 3; ++m) {
        std::string head = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                           "1 begincodespacerange <000000> <FFFFFF> endcodespacerange\n";
        std::string block;
        char line[32];
        for (int64_t code = 0; code < entries; ++code) {
            if (code % 100 == 0) block += std::to_string(std::min<int64_t>(100, entries - code)) + " beginbfchar\n";
            std::snprintf(line, sizeof line, "<%06X> <%04X>\n", static_cast<unsigned>(code), 0x41 + m);
            block += line;
            if (code % 100 == 99 || code + 1 == entries) block += "endbfchar\n";
        }
        pdf.objects.push_back(StreamObject("/Filter /FlateDecode", Deflate(head + block + "endcmap end end\n")));
    }
    std::string names, content = "BT\n";
    for (int f = 0; f < fonts; ++f) {
        pdf.objects.push_back("<< /Type /Font /Subtype /Type0 /BaseFont /Arial /Encoding /Identity-H /ToUnicode " +
                              std::to_string(firstMap + f % 3) + " 0 R /DescendantFonts [<< /Type /Font /Subtype "
                              "/CIDFontType2 /BaseFont /Arial >>] >>");
        names += " /F" + std::to_string(f) + " " + std::to_string(firstFont + f) + " 0 R";
        content += "/F" + std::to_string(f) + " 12 Tf 0 12 Td <000041> Tj\n";
    }
    pdf.objects[2] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font <<" + names +
                     " >> >> /Contents 4 0 R >>";
    pdf.objects[3] = StreamObject("", content + "ET\n");
    pdf.trailerEntries = "/Root 1 0 R";
    return pdf.Build();
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
             return DistinctPictures(10,
                                     "/Width " + std::to_string(side) + " /Height " + std::to_string(side) +
                                         " /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /FlateDecode",
                                     DeflateRepeated("", std::string(size_t(side) * 3, '\0'), side));
         },
         HostileSanitized ? "" : "übersprungen: die Bilder brauchen"},
        // Codestreams whose own headers declare far more than their dictionaries: they count
        // with what they declare, so the picture limit holds and the decoding ends early.
        {"jbig2-pages-larger-than-their-dictionaries",
         [] {
             const uint32_t side = HostileSanitized ? 12000 : 45000;
             return DistinctPictures(40, "/Width 1 /Height 1 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /JBIG2Decode",
                                     Jbig2Page(side, side, false));
         },
         "übersprungen: es ist zu groß"},
        {"jpeg2000-larger-than-their-dictionaries",
         [] {
             const int side = HostileSanitized ? 1000 : 8000;
             return DistinctPictures(10, "/Width 1 /Height 1 /Filter /JPXDecode",
                                     Jpeg2000(side, side, 1, std::string(size_t(side) * side, '\x80'), false));
         },
         HostileSanitized ? "" : "übersprungen: die Bilder brauchen"},
        {"jbig2-globals-of-256-megabytes",
         [] {
             const std::string dictionary = "/Width 64 /Height 2 /BitsPerComponent 1 /ColorSpace /DeviceGray "
                                            "/Filter /JBIG2Decode /DecodeParms << /JBIG2Globals 3 0 R >>";
             std::string xobjects = "/XObject <<", content;
             std::vector<std::string> streams{
                 StreamObject("/Filter /FlateDecode", DeflateRepeated("", std::string(4096, '\0'), Scaled(65536)))};
             for (int i = 0; i < 4; ++i) {
                 streams.push_back(StreamObject("/Type /XObject /Subtype /Image " + dictionary, Jbig2Page(64, 2, true)));
                 xobjects += " /Im" + std::to_string(i) + " " + std::to_string(4 + i) + " 0 R";
                 content += "q 50 0 0 50 " + std::to_string(i * 60) + " 0 cm /Im" + std::to_string(i) + " Do Q\n";
             }
             streams.push_back(StreamObject("", content));
             return Document(1, "8 0 R", xobjects + " >>", streams);
         },
         HostileSanitized ? "" : "JBIG2-Globals (Objekt 3) über 16 MB"},
        {"shading-names-used-100000-times",
         [] {
             std::string names = "/Shading <<", content;
             for (int i = 0; i < 5000; ++i) names += " /Sh" + std::to_string(i) + " 3 0 R";
             for (int64_t i = 0; i < Scaled(100'000); ++i) content += "/Sh" + std::to_string(i % 5000) + " sh\n";
             return Document(1, "4 0 R", names + " >>",
                             {"<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Function << /FunctionType 2 "
                              "/Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >>",
                              StreamObject("/Filter /FlateDecode", Deflate(content))});
         },
         ""},
        {"shading-functions-nested-and-a-mesh-of-a-million-vertices",
         [] {
             // Function arrays in arrays, 32 wide and four deep; a triangle mesh as large as the
             // data a shading may give; each shading painted 20 times.
             std::vector<std::string> objects{
                 "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 600 0] /Function 5 0 R >>",
                 StreamObject("/ShadingType 4 /BitsPerCoordinate 8 /BitsPerComponent 8 /BitsPerFlag 8 /ColorSpace /DeviceRGB "
                              "/Decode [0 612 0 792 0 1 0 1 0 1] /Filter /FlateDecode",
                              DeflateRepeated("", std::string("\0\0\0\xFF\0\0\0\xFF\0\0\xFF\0\0\0\xFF\0\0\xFF", 18),
                                              Scaled(200'000)))};
             for (int level = 0; level < 4; ++level) {
                 std::string array = "[";
                 for (int i = 0; i < 32; ++i) array += " " + std::to_string(6 + level) + " 0 R";
                 objects.push_back(array + " ]");
             }
             objects.push_back("<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>");
             std::string content;
             for (int i = 0; i < 20; ++i) content += "/Sh1 sh /Sh2 sh\n";
             objects.push_back(StreamObject("", content));
             return Document(1, "10 0 R", "/Shading << /Sh1 3 0 R /Sh2 4 0 R >>", objects);
         },
         ""},
        {"fonts-sharing-big-character-maps",
         [] { return FontsSharingCharacterMaps(Scaled(800'000)); },
         HostileSanitized ? "" : "Zeichenzuordnungen (CMap) über der Grenze"},
        {"one-page-listed-1500000-times",
         [] {
             std::string kids;
             for (int64_t i = 0; i < Scaled(1'500'000); ++i) kids += "4 0 R ";
             PdfBuilder pdf;
             pdf.objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids 3 0 R >>", "[" + kids + "]",
                            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 5 0 R >>",
                            StreamObject("", "0 0 m 100 100 l S")};
             pdf.trailerEntries = "/Root 1 0 R";
             return pdf.Build();
         },
         HostileSanitized ? "" : "weitere Nennungen von Seiten"},
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
