// Hostile files aimed at the newer file structure: cross-reference and object streams, repair
// and encryption. Every command ends normally within its memory and says what it left out.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "pdfwrite/EncryptionDictionary.h"
#include "syntax/SecurityHandler.h"
#include "tests/HostileHarness.h"
#include "tests/TestDocuments.h"

namespace folivo::test {
namespace {

const std::vector<std::pair<int, std::string>> OnePageObjects = {
    {1, "<< /Type /Catalog /Pages 2 0 R >>"},
    {2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"},
    {3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>"},
    {4, StreamObject("", "0 0 m 100 100 l S")},
};

// A row of a cross-reference stream: the number, its type and two fields.
struct Row {
    int64_t number;
    int type;
    int64_t second;
    int64_t third;
};

// The objects as written, then a cross-reference stream (/W [1 4 2]) over them and `rows`; its
// dictionary gets `entries`, and `data` replaces its rows when given.
std::string WithCrossReferenceStream(const std::vector<std::pair<int, std::string>>& objects, std::vector<Row> rows,
                                     const std::string& entries = "", const std::string& data = "")
{
    std::string pdf = "%PDF-1.5\n";
    int xrefNumber = 1;
    for (const auto& [number, body] : objects) {
        rows.push_back({number, 1, static_cast<int64_t>(pdf.size()), 0});
        pdf += std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
        xrefNumber = std::max(xrefNumber, number + 1);
    }
    for (const Row& row : rows) xrefNumber = std::max<int64_t>(xrefNumber, row.number + 1);
    const size_t xref = pdf.size();
    rows.push_back({xrefNumber, 1, static_cast<int64_t>(xref), 0});
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.number < b.number; });
    std::string raw, index;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i == 0 || rows[i].number != rows[i - 1].number + 1) index += " " + std::to_string(rows[i].number) + " ";
        size_t run = 1;
        while (i + run < rows.size() && rows[i + run].number == rows[i].number + static_cast<int64_t>(run)) ++run;
        if (i == 0 || rows[i].number != rows[i - 1].number + 1) index += std::to_string(run);
        raw += static_cast<char>(rows[i].type);
        for (int shift = 24; shift >= 0; shift -= 8) raw += static_cast<char>((rows[i].second >> shift) & 0xFF);
        raw += static_cast<char>((rows[i].third >> 8) & 0xFF);
        raw += static_cast<char>(rows[i].third & 0xFF);
    }
    const std::string dictionary = "/Type /XRef /Size " + std::to_string(xrefNumber + 1) + " /Root 1 0 R " +
                                   (entries.empty() ? "/W [1 4 2] /Index [" + index + "]" : entries);
    pdf += std::to_string(xrefNumber) + " 0 obj\n" + StreamObject(dictionary, data.empty() ? raw : data) +
           "\nendobj\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

// The one-page document with a classic table and `trailer` entries besides /Root.
std::string ClassicOnePage(const std::string& trailer, const std::vector<std::string>& more = {})
{
    PdfBuilder builder;
    for (const auto& [number, body] : OnePageObjects) builder.objects.push_back(body);
    builder.objects.insert(builder.objects.end(), more.begin(), more.end());
    builder.trailerEntries = "/Root 1 0 R " + trailer;
    return builder.Build();
}

// Every "endobj" of the file gone, the offsets kept.
std::string WithoutEndobj(std::string pdf)
{
    for (size_t at = 0; (at = pdf.find("\nendobj\n", at)) != std::string::npos;) pdf.replace(at, 8, std::string(8, '\n'));
    return pdf;
}

// AES-256 with the empty password to open, whose strings and streams are left plain (/Identity),
// and `filters` further crypt filters in /CF; `more` objects follow the page's.
std::string ManyCryptFilters(int filters, const std::vector<std::string>& more = {})
{
    const SecurityHandler handler = SecurityHandler::CreateAes256("", "owner", PermissionsDenying(0));
    std::string dictionary = EncryptionDictionaryText(handler.Parameters());
    std::string named;
    for (int i = 0; i < filters; ++i) named += "/F" + std::to_string(i) + " << /CFM /AESV3 >> ";
    dictionary.insert(dictionary.find("/CF << ") + 7, named);
    dictionary.replace(dictionary.find("/StmF /StdCF /StrF /StdCF"), 25, "/StmF /Identity /StrF /Identity");
    std::vector<std::string> objects = {dictionary};
    objects.insert(objects.end(), more.begin(), more.end());
    return ClassicOnePage("/Encrypt 5 0 R /ID [<00112233445566778899AABBCCDDEEFF> <00112233445566778899AABBCCDDEEFF>]",
                          objects);
}

// Object streams 10, 11, ... each inflating to `bytes`, each holding one member (100, 101, ...).
std::string OversizedObjectStreams(int count, int64_t bytes)
{
    std::vector<std::pair<int, std::string>> objects = OnePageObjects;
    std::vector<Row> rows;
    const std::string data =
        Scaled(bytes) >= 1 ? DeflateRepeated("100 0 << /A 1 >>", " ", Scaled(bytes)) : std::string();
    for (int i = 0; i < count; ++i) {
        objects.emplace_back(10 + i, "<< /Type /ObjStm /N 1 /First 6 /Filter /FlateDecode /Length " +
                                         std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream");
        rows.push_back({100 + i, 2, 10 + i, 0});
    }
    return WithCrossReferenceStream(objects, rows);
}

// `count` members of one object stream, all at offset 0 of one long value.
std::string MembersSharingAnOffset(int count, size_t valueBytes)
{
    std::string header;
    std::vector<Row> rows;
    for (int i = 0; i < count; ++i) {
        header += std::to_string(100 + i) + " 0 ";
        rows.push_back({100 + i, 2, 10, i});
    }
    const std::string body = header + "(" + std::string(valueBytes, 'A') + ")";
    std::vector<std::pair<int, std::string>> objects = OnePageObjects;
    objects.emplace_back(10, StreamObject("/Type /ObjStm /N " + std::to_string(count) + " /First " +
                                              std::to_string(header.size()) + " /Filter /FlateDecode",
                                          Deflate(body)));
    return WithCrossReferenceStream(objects, rows);
}

std::vector<std::string> Fillers(int count)
{
    return std::vector<std::string>(static_cast<size_t>(count), "<< /Filler (" + std::string(40, 'x') + ") >>");
}

// One large page object that the tree lists `repeats` times, then `distinct` pages that share
// one large resource dictionary and one array of `comments` comments.
std::string PagesSharingLargeDictionaries(int repeats, int distinct, int comments)
{
    std::string filler = "/Filler [";
    for (int i = 0; i < 5000; ++i) filler += " " + std::to_string(i);
    filler += " ]";
    std::string kids;
    for (int i = 0; i < repeats; ++i) kids += "3 0 R ";
    for (int i = 0; i < distinct; ++i) kids += std::to_string(9 + i) + " 0 R ";
    std::string annotations = "[";
    for (int i = 0; i < comments; ++i) annotations += " 8 0 R";
    PdfBuilder builder;
    builder.objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(repeats + distinct) + " >>",
        "<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 7 0 R >> " + filler + " >> /Contents 6 0 R >>",
        "<< /Font << /F1 7 0 R >> " + filler + " >>",
        annotations + " ]",
        StreamObject("", "BT /F1 12 Tf 10 10 Td (x) Tj ET"),
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
        "<< /Type /Annot /Subtype /Square /Rect [0 0 10 10] >>",
    };
    for (int i = 0; i < distinct; ++i)
        builder.objects.push_back("<< /Type /Page /Parent 2 0 R /Resources 4 0 R /Annots 5 0 R /Contents 6 0 R >>");
    builder.trailerEntries = "/Root 1 0 R";
    return builder.Build();
}

std::vector<HostileCase> Cases()
{
    return {
        {"many-crypt-filters", [] { return ManyCryptFilters(static_cast<int>(Scaled(200'000))); }, ""},
        {"unclosed-trailers-after-a-damaged-table",
         [] {
             std::string pdf = ClassicOnePage("");
             pdf.replace(pdf.rfind("startxref\n") + 10, pdf.rfind("\n%%EOF") - pdf.rfind("startxref\n") - 10, "9");
             std::string trailers;
             for (int i = 0; i < 50'000; ++i) trailers += "trailer\n<< /Size 5 /Info 3 0 R\n";
             return pdf + trailers;
         },
         "repariert"},
        {"object-streams-over-the-budget", [] { return OversizedObjectStreams(38, 257LL << 20); },
         HostileSanitized ? "" : "Objektströmen"},
        {"one-byte-rows-for-every-number",
         [] {
             return WithCrossReferenceStream(OnePageObjects, {}, "/W [1 0 0] /Index [0 2147483647] /Filter /FlateDecode",
                                             DeflateRepeated("", std::string(1, '\0'), Scaled(250LL << 20)));
         },
         "repariert"},
        {"members-sharing-an-offset", [] { return MembersSharingAnOffset(20'000, 64 << 10); },
         HostileSanitized ? "" : "Objektströmen"},
        {"objects-without-endobj", [] { return WithoutEndobj(ClassicOnePage("", Fillers(3000))); }, ""},
        {"encrypted-objects-without-endobj", [] { return WithoutEndobj(ManyCryptFilters(0, Fillers(3000))); }, ""},
        {"pages-sharing-large-dictionaries",
         [] {
             return PagesSharingLargeDictionaries(static_cast<int>(Scaled(8000)), static_cast<int>(Scaled(2000)),
                                                  static_cast<int>(Scaled(2000)));
         },
         HostileSanitized ? "" : "verweisen zu oft"},
    };
}

class HostileStructureTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileStructureTest, EveryCommandEndsWithinMemoryAndSaysWhatItSkipped) { RunEveryCommand(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Generated, HostileStructureTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return HostileCaseName(info.param); });

}  // namespace
}  // namespace folivo::test
