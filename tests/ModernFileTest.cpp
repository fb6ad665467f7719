// Files of the newer kind: a cross-reference stream with a predictor, objects inside an object
// stream, inline encryption; what lying values in them cost; and saving in that form.
#include <gtest/gtest.h>

#include "document/DocumentWriter.h"
#include "syntax/TokenReader.h"
#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

struct ModernOptions {
    std::string widths = "[1 2 1]";
    std::string prev;  // a /Prev entry for the stream, if any
};

// Catalog (1), pages root (2), page (3) and information (7) inside object stream 5; the content
// stream (4) outside; cross-reference stream 6, Flate with the PNG "up" predictor.
std::string ModernDocument(const ModernOptions& options = {})
{
    const std::string members[] = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                   "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>",
                                   "<< /Title (Neu) >>"};
    const int numbers[] = {1, 2, 3, 7};
    std::string header, body;
    for (int i = 0; i < 4; ++i) {
        header += std::to_string(numbers[i]) + " " + std::to_string(body.size()) + " ";
        body += members[i] + "\n";
    }
    std::string pdf = "%PDF-1.5\n";
    const size_t content = pdf.size();
    pdf += "4 0 obj\n" + StreamObject("", "0 0 m 100 100 l S") + "\nendobj\n";
    const size_t objectStream = pdf.size();
    pdf += "5 0 obj\n" +
           StreamObject("/Type /ObjStm /N 4 /First " + std::to_string(header.size()) + " /Filter /FlateDecode",
                        Deflate(header + body)) +
           "\nendobj\n";
    const size_t xref = pdf.size();

    // Rows of type, offset (2 bytes), third field; each row as a difference to the one above.
    const uint64_t rows[8][3] = {{0, 0, 255}, {2, 5, 0}, {2, 5, 1}, {2, 5, 2}, {1, content, 0}, {1, objectStream, 0},
                                 {1, xref, 0}, {2, 5, 3}};
    std::string raw, previous(4, '\0');
    for (const auto& row : rows) {
        const std::string bytes = {static_cast<char>(row[0]), static_cast<char>(row[1] >> 8), static_cast<char>(row[1]),
                                   static_cast<char>(row[2])};
        raw += '\2';
        for (int k = 0; k < 4; ++k) raw += static_cast<char>(bytes[k] - previous[k]);
        previous = bytes;
    }
    pdf += "6 0 obj\n" +
           StreamObject("/Type /XRef /Size 8 /W " + options.widths +
                            " /Root 1 0 R /Info 7 0 R /Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 4 >> " +
                            options.prev,
                        Deflate(raw)) +
           "\nendobj\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

TEST(ModernFile, ObjectStreamsAndCrossReferenceStreamsOpenAndSaveClassic)
{
    OpenedDocument opened(ModernDocument());
    EXPECT_FALSE(opened->invalid);
    EXPECT_TRUE(opened.port.messages.empty());
    ASSERT_EQ(opened->pages.Count(), 1u);
    EXPECT_EQ(opened.Page(0).mediaBox[2], 200);
    EXPECT_EQ(opened->info.title, "Neu");
    EXPECT_EQ(opened->ItemCountsByPage(), std::vector<uint32_t>{1});
    EXPECT_EQ(opened->versionItem, 3);

    opened->versionItem = 2;
    const std::string saved = DocumentWriter(*opened.document).Write();
    EXPECT_EQ(saved.find("/ObjStm"), std::string::npos);
    EXPECT_EQ(saved.find("/XRef"), std::string::npos);
    EXPECT_NE(saved.find("1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>"), std::string::npos);
    OpenedDocument reopened(saved);
    EXPECT_FALSE(reopened->invalid);
    EXPECT_EQ(reopened->pages.Count(), 1u);
    EXPECT_EQ(reopened->info.title, "Neu");
    EXPECT_TRUE(reopened.port.memo.empty() || reopened.port.memo.front().find("repariert") == std::string::npos);
}

TEST(ModernFile, AnUpdateMayGiveACrossReferenceStreamsNumberToAnObject)
{
    // The update lists number 6, the first section's cross-reference stream, as a font.
    std::string pdf = ModernDocument();
    const std::string prev = pdf.substr(pdf.rfind("startxref\n") + 10, pdf.rfind("\n%%EOF") - pdf.rfind("startxref\n") - 10);
    const std::string font = std::to_string(pdf.size());
    pdf += "6 0 obj\n<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>\nendobj\n";
    const std::string xref = std::to_string(pdf.size());
    pdf += "xref\n6 1\n" + std::string(10 - font.size(), '0') + font + " 00000 n\r\ntrailer\n<< /Size 8 /Root 1 0 R /Prev " +
           prev + " >>\nstartxref\n" + xref + "\n%%EOF\n";
    OpenedDocument opened(pdf);
    EXPECT_FALSE(opened->invalid);
    EXPECT_FALSE(opened->repaired);
    EXPECT_TRUE(opened->objects.InUse(6));
    EXPECT_EQ(opened->info.title, "Neu");
    opened->versionItem = 2;  // a table, objects readable in the output
    EXPECT_NE(DocumentWriter(*opened.document).Write().find("6 0 obj\n<< /Type /Font"), std::string::npos);
}

TEST(ModernFile, LyingStreamsCostNothingAndAreRepaired)
{
    struct Case {
        const char* name;
        ModernOptions options;
        bool repaired;
    };
    const Case cases[] = {
        {"/Prev to itself", {"[1 2 1]", "/Prev 0"}, false},
        {"negative width", {"[1 -2 1]", ""}, true},
        {"huge width", {"[1 2000000000 1]", ""}, true},
    };
    for (const Case& c : cases) {
        std::string pdf = ModernDocument(c.options);
        if (c.options.prev == "/Prev 0") {
            const std::string offset = pdf.substr(pdf.rfind("startxref\n") + 10, pdf.rfind("\n%%EOF") - pdf.rfind("startxref\n") - 10);
            pdf = ModernDocument({"[1 2 1]", "/Prev " + offset});
        }
        OpenedDocument opened(pdf);
        EXPECT_FALSE(opened->invalid) << c.name;
        EXPECT_EQ(opened->pages.Count(), 1u) << c.name;
        EXPECT_EQ(opened->info.title, "Neu") << c.name;
        const bool repaired = !opened.port.memo.empty() && opened.port.memo.front().find("repariert") != std::string::npos;
        EXPECT_EQ(repaired, c.repaired) << c.name;
    }
}

TEST(ModernFile, StructuralObjectsBeyondTheTableAreSkipped)
{
    // Found by fuzzing: the cross-reference stream's table ends before the numbers of the
    // structural objects it named, which were then marked unused past the table's end.
    const std::string bytes(
        "%PDF-1.5\n"
        "%0000\n"
        "1 0 obj\n"
        "<<\n"
        "  /Type /ObjStm\n"
        "  /N 5\n"
        "  /First 31\n"
        "  /Length 418\n"
        ">>\n"
        "stream\n"
        "2 0\n"
        "3 42\n"
        "4 102\n"
        "5 262\n"
        "6 285\n"
        "0000<<\n"
        "  /T000 /0000000\n"
        "  /P000s 3 0 R\n"
        ">>00000<<\n"
        "  /0y00 /Pages\n"
        "  /0ids [\n"
        "    4 0 R\n"
        "  ]\n"
        "  /0o0nt 1\n"
        ">>\n"
        "% 4\n"
        "<<\n"
        "  /Type /Page\n"
        "  /Parent 3 0 R\n"
        "  /Media0ox [0 0 612 792]\n"
        "  /0ontents 7 0 R\n"
        "  /R0s00000s0<<\n"
        "    /P000000 5 0 R\n"
        "    /0000 <<\n"
        "      /00 6 0 R\n"
        "    >>\n"
        "  >>\n"
        ">>00000[\n"
        "  /000\n"
        "  /0000\n"
        "]00000<<\n"
        "  /T000 /0000\n"
        "  /S00000e /Type1\n"
        "  /Name /F1\n"
        "  /0aseFont /0e00eti0a\n"
        "  /En0oding /Win0nsiEn0oding\n"
        ">>\n"
        "endstream\n"
        "endobj\n"
        "\n"
        "7 0 obj\n"
        "<<\n"
        "  /Length 44\n"
        ">>\n"
        "stream\n"
        "0000000000000000000000000000000000000000000\n"
        "endstream\n"
        "endobj\n"
        "08 0 obj<<\n"
        "/Type /XRef\n"
        "/Size 9\n"
        "  /Index [0 9]\n"
        "  /W [1 2 1]\n"
        "  /Length 36\n"
        "  /Root 2 0 R\n"
        ">>\n"
        "stream\n"
        "\x00""000\x01""\x00""\x0F""\x00""\x02""\x00""\x01""0\x02""\x00""\x03""0\x02""\x00""\x01""0\x02""\x00""\x01""0\x02""\x00""\x01""0\x01""\x02""\x09""/Encodin\x00""\x01""i\x00""\n"
        "endstream\n"
        "endobj\n"
        "\n"
        "startxref\n"
        "617\n"
        "%%EOF",
        793);
    OpenedDocument opened(bytes);
    EXPECT_LE(opened->pages.Count(), 1u);
}

// The tokens of an object's value, up to its "endobj" or "stream".
std::vector<std::string> ObjectTokens(PdfDocument& document, int32_t number)
{
    std::vector<std::string> tokens;
    if (!document.GotoObject(number)) return tokens;
    FileBuffer& buffer = document.fileBuffer;
    for (std::string token; tokens.size() < 100 && (token = ReadToken(buffer)) != "endobj" && token != "stream" &&
                            !token.empty();) {
        if (token != "%") {
            tokens.push_back(token);
            continue;
        }
        while (buffer.position < buffer.size && buffer.data[buffer.position] != '\n') ++buffer.position;
    }
    return tokens;
}

TEST(ModernFile, CompactSavesPackObjectsThatAreNoStreams)
{
    // A classic file saved as 1.5: a string naming "stream" and "endobj", a generation-1
    // object, a stream whose data holds "endobj", more objects than one object stream holds.
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R]", {"<< /Type /Page /Contents 4 0 R /Resources << /Font << >> >> >>",
                                                            StreamObject("", "(endobj) Tj\nendobj"),
                                                            "<< /Note (stream endobj) % a comment (with endobj and stream",
                                                            "[ 1 2 3 ]"});
    for (int i = 0; i < 250; ++i) builder.objects.push_back("(member " + std::to_string(i) + ")");
    std::string classic = builder.Build();
    classic.replace(classic.find("6 0 obj"), 7, "6 1 obj");
    classic.replace(classic.find(" 00000 n", classic.find("xref") + 5 + 6 * 20), 8, " 00001 n");
    classic.insert(classic.find("and stream") + 10, "\n>>");

    const std::string modern = ModernDocument();
    for (const auto& [input, versionItem] : {std::pair{classic, 2}, {classic, 3}, {modern, 3}}) {
        OpenedDocument opened(input);
        ASSERT_FALSE(opened->invalid);
        opened->versionItem = versionItem;
        opened->info.title = "Geändert";
        opened->info.changedByUser = true;
        const std::string saved = DocumentWriter(*opened.document).Write();
        const bool compact = versionItem >= FirstCompactVersionItem;
        EXPECT_EQ(saved.find("\rxref\r") == std::string::npos, compact);
        EXPECT_EQ(saved.substr(saved.size() - 6), "%%EOF\r");
        // Streams and other generations stay outside, copied as they were.
        const size_t stream = input.find("4 0 obj");
        EXPECT_NE(saved.find(input.substr(stream, input.find("endobj\n", stream) + 6 - stream)), std::string::npos);
        EXPECT_EQ(saved.find("\r3 0 obj") == std::string::npos, compact);

        OpenedDocument reopened(saved);
        EXPECT_FALSE(reopened->invalid);
        EXPECT_TRUE(reopened.port.messages.empty());
        EXPECT_TRUE(reopened.port.memo.empty() || reopened.port.memo.front().find("repariert") == std::string::npos);
        EXPECT_EQ(reopened->pages.Count(), 1u);
        EXPECT_EQ(reopened->info.title, "Geändert");
        EXPECT_EQ(reopened->ItemCountsByPage(), opened->ItemCountsByPage());
        // Every object reads the same, but those the writer writes anew: pages, information.
        for (int32_t number = 1; number < static_cast<int32_t>(opened->XrefTable.size()); ++number) {
            if (number == 2 || number == 3 || number == opened->infoReference.objectNumber ||
                !opened->objects.InUse(number))
                continue;
            EXPECT_EQ(ObjectTokens(*reopened.document, number), ObjectTokens(*opened.document, number)) << number;
        }
        if (input == classic) {
            // Once: a comment's parenthesis or "endobj" does not stretch the object before it.
            EXPECT_NE(saved.find("6 1 obj\n"), std::string::npos);
            EXPECT_EQ(saved.find("6 1 obj\n"), saved.rfind("6 1 obj\n"));
            const size_t first = saved.find("/Type /ObjStm");
            EXPECT_EQ(saved.find("/Type /ObjStm", first + 1) != std::string::npos, compact);
        }
    }
}

TEST(ModernFile, InlineEncryptionIsRefused)
{
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R]", {"<< /Type /Page >>"});
    builder.trailerEntries = "/Root 1 0 R /Encrypt << /Filter /Standard /V 1 /R 2 >>";
    OpenedDocument opened(builder.Build());
    EXPECT_TRUE(opened->encrypted);
    EXPECT_TRUE(opened->invalid);
    EXPECT_EQ(opened->pages.Count(), 0u);
}

}  // namespace
}  // namespace folivo::test
