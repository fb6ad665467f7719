// Documents whose names are written with "#" escapes read, draw and save as the plain ones do.
#include <gtest/gtest.h>

#include <sstream>

#include "document/DocumentWriter.h"
#include "tests/ReaderTestSupport.h"
#include "tests/ScratchFolder.h"
#include "tests/ToolOutput.h"

namespace folivo::test {
namespace {

// Each place where the page's reading or drawing compares a name: plain, and escaped.
const std::vector<std::pair<std::string, std::string>> Spellings = {
    {"<< /Im1 5", "<< /I#6D1 5"}, {"/Im1 Do", "/Im#31 Do"}, {"/F1 6", "/#461 6"}, {"/F1 24 Tf", "/F#31 24 Tf"},
    {"/GS1 7", "/GS#31 7"}, {"/GS1 gs", "/G#53#31 gs"}, {"/ca 0.5", "/c#61 0.5"}, {"/CS0 [", "/C#530 ["},
    {"/CS0 cs", "/CS#30 cs"}, {"/Sh1 8", "/Sh#31 8"}, {"/Sh1 sh", "/S#681 sh"}, {"/P1 9", "/P#31 9"},
    {"/P1 scn", "/#501 scn"}, {"/XObject <<", "/X#4fbject <<"}, {"/Filter /FlateDecode", "/Filter /Flate#44ecode"},
    {"[/FlateDecode]", "[/Fl#61te#44ecode]"}, {"/Subtype /Image", "/Subtype /I#6dage"}, {"/Width 2", "/W#69dth 2"},
    {"[/Indexed", "[/Ind#65xed"}, {"1 /Length", "1 /Le#6Egth"}, {"/Type /Catalog", "/Type /Cat#61log"},
    {"[72 /A]", "[72 /#41]"}, {"/Encoding <<", "/En#63oding <<"}, {"/Function <<", "/F#75nction <<"}};

// A page with a translucent square, a picture of a red and a blue pixel, a square in a
// calibrated colour space, a shading, a shading pattern and "Hi" shown as "Ai"; the catalog is
// found by its type, as the trailer names no root.
PdfBuilder Spelled(const std::vector<std::pair<std::string, std::string>>& spellings)
{
    std::vector<std::string> parts = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Resources << /XObject << /Im1 5 0 R >> /Font << /F1 6 0 R >> "
        "/ExtGState << /GS1 7 0 R >> /ColorSpace << /CS0 [/CalRGB << /WhitePoint [0.95 1 1.09] >>] >> /Shading << /Sh1 8 0 R >> "
        "/Pattern << /P1 9 0 R >> >> /Contents 4 0 R >>",
        "q /GS1 gs 0 0 1 rg 10 60 30 30 re f Q q 40 0 0 20 10 10 cm /Im1 Do Q /CS0 cs 0 1 0 sc 60 10 20 20 re f "
        "q 90 10 20 20 re W n /Sh1 sh Q /Pattern cs /P1 scn 120 10 20 20 re f BT /F1 24 Tf 100 60 Td (Hi) Tj ET",
        "<< /Subtype /Image /Width 2 /Height 1 /Length 10 /ColorSpace [/Indexed /DeviceRGB 1 <FF00000000FF>] "
        "/BitsPerComponent 8 /Filter /FlateDecode >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << /Differences [72 /A] >> >>", "<< /ca 0.5 >>",
        "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [90 0 110 0] /Function << /FunctionType 2 /Domain [0 1] "
        "/C0 [1 1 0] /C1 [0 1 1] /N 1 >> >>",
        "<< /PatternType 2 /Shading 8 0 R >>"};
    for (const auto& [plain, escaped] : spellings) {
        for (std::string& part : parts) {
            if (const size_t at = part.find(plain); at != std::string::npos) part.replace(at, plain.size(), escaped);
        }
    }
    const std::string content = Deflate(parts[3]);
    parts[3] = "<< /Filter [/FlateDecode] /Length " + std::to_string(content.size()) + " >>";
    for (const auto& [plain, escaped] : spellings) {
        if (const size_t at = parts[3].find(plain); at != std::string::npos) parts[3].replace(at, plain.size(), escaped);
    }
    parts[3] += "\nstream\r\n" + content + "\nendstream";
    parts[4] += "\nstream\r\n" + Deflate(std::string("\0\1", 2)) + "\nendstream";  // ten bytes
    PdfBuilder builder;
    builder.objects = parts;
    return builder;
}

// The first page's items and what its drawing as printed is told, a line each.
struct Shown : OutputDevice {
    std::ostringstream out;
    explicit Shown(const std::string& pdf)
    {
        OpenedDocument opened(pdf);
        if (opened->pages.Count() == 0) return;
        const PageItemRanges::Range range = opened->pageItemRanges.Of(1);
        for (uint32_t i = range.first; i < range.first + range.count; ++i) {
            const PageItem& item = *opened->PageItemList.At(i);
            out << +item.IsImage << +item.IsPath << ' ' << item.ImageIndex << ' ' << item.X << ' ' << item.Y << ' ' << item.ScaleX
                << ' ' << item.FontName.View() << " '" << item.Text.View() << "' " << item.FillColor << '\n';
        }
        opened->DrawPage(1, *this);
    }
    void Paint(const DevicePaint& p) { out << ' ' << p.colour.red << p.colour.green << p.colour.blue << ' ' << p.alpha << ' ' << p.pattern << '\n'; }
    void FillPath(const DevicePath&, const Matrix&, bool, const DevicePaint& paint) override { Paint((out << "fill", paint)); }
    void StrokePath(const DevicePath&, const Matrix&, const DeviceStroke&, const DevicePaint&) override {}
    void ClipPath(const DevicePath&, const Matrix&, bool) override {}
    void DrawGlyph(const DeviceGlyph& g) override { Paint((out << "glyph " << g.font->characters[g.code & 255], g.fill)); }
    void DrawPicture(int32_t index, bool, const Matrix&, const DevicePaint&) override { out << "picture " << index << '\n'; }
    void FillShading(int32_t shading, const Matrix&, double) override { out << "shading " << shading << '\n'; }
};

TEST(EscapedNames, EverySpellingReadsAndDrawsAsThePlainNameAndAWrongOneDoesNot)
{
    const std::string plain = Shown(Spelled({}).Build()).out.str();
    for (const char* part : {"10 0 10 10 40 ", "/F1 'Ai'", "fill 001 0.5 0", "picture 0", "fill 010", "shading 8", " 9\n", "glyph A"})
        EXPECT_NE(plain.find(part), std::string::npos) << part << '\n' << plain;
    for (auto spelling : Spellings) {
        EXPECT_EQ(Shown(Spelled({spelling}).Build()).out.str(), plain) << spelling.second;
        spelling.second[spelling.second.find('#') + 2] ^= 1;  // an escape of another byte
        EXPECT_NE(Shown(Spelled({spelling}).Build()).out.str(), plain) << spelling.second;
    }
    EXPECT_EQ(Shown(Spelled(Spellings).Build()).out.str(), plain);
}

// Saved anew and encrypted: qpdf accepts the file, it shows what the input did, unchanged
// objects keep their bytes, and the names written anew are canonical.
TEST(EscapedNames, SavedFilesAreValidAndKeepEveryName)
{
    if (!ToolWorks("qpdf --version")) GTEST_SKIP() << "qpdf is missing";
    PdfBuilder builder = Spelled(Spellings);
    builder.objects[2].insert(builder.objects[2].rfind(">>"), "/My#20Key /a#2fb#23 ");
    builder.objects.push_back("<< /Aut#68or (Alt) /Product#20Code (x) >>");
    builder.trailerEntries = "/Info 10 0 R";
    const std::string plain = Shown(Spelled({}).Build()).out.str();
    ScratchFolder folder;
    for (const bool encrypted : {false, true}) {
        OpenedDocument opened(builder.Build());
        ASSERT_EQ(opened->pages.Count(), 1u);
        opened.Page(0).modified = 1;  // the page's dictionary is written anew, and the information
        opened->info.changedByUser = true;
        if (encrypted) opened->passwordSettings = {PasswordSettings::Mode::Encrypt, "", "owner", 0};
        const std::string output = DocumentWriter(*opened.document).Write();
        const ToolRun check = RunTool("qpdf --check " + ShellQuoted(folder.Write("saved.pdf", output)) + " 2>&1");
        EXPECT_EQ(check.exitCode, 0) << check.output;
        EXPECT_EQ(Shown(output).out.str(), plain);
        EXPECT_EQ(OpenedDocument(output)->info.author, "Alt");
        if (encrypted) continue;
        EXPECT_NE(output.find("5 0 obj\n" + builder.objects[4] + "\nendobj"), std::string::npos);
        // The page's own entry, written last, holds its first escape: no other name needs one.
        const size_t page = output.find("3 0 obj");
        const std::string pageText = output.substr(page, output.find("endobj", page) - page);
        EXPECT_EQ(pageText.find('#'), pageText.find("/My#20Key /a#2Fb#23") + 3) << pageText;
        EXPECT_NE(output.find("/Author (Alt)"), std::string::npos);
        EXPECT_NE(output.find("/Product#20Code (x)"), std::string::npos);
        EXPECT_EQ(output.find("/Aut#68or"), std::string::npos);
    }
}

// Messages and items --json give a name's bytes; the items' text lines keep the escape of a
// blank, which would split their fields.
TEST(EscapedNames, MessagesAndListingsShowTheNamesBytes)
{
    const std::string input = DocumentWithPages("/Kids [3 0 R 5 0 R]",
        {"<< /Type /Page /Resources << /Font << /F#20A 7 0 R >> >> /Contents 4 0 R >>", StreamObject("", "BT /F#20#41 12 Tf (x) Tj ET"),
         "<< /Type /Page /Contents 6 0 R >>", StreamObject("/Filter /Foo#20Bar", "0 0 m"), "<< /Subtype /Type1 /BaseFont /Helvetica >>"}).Build();
    EXPECT_EQ(OpenedDocument(input).port.memo.back(), "Die Komprimierung /Foo Bar wird nicht unterstützt, deshalb kann die Seite 2 nicht gelesen werden!");
    ScratchFolder folder;
    const std::string items = ShellQuoted(FOLIVO_CLI_PATH) + " items " + ShellQuoted(folder.Write("a.pdf", input)) + " --page 1";
    EXPECT_NE(RunTool(items).output.find(" /F#20A 000000 \"x\""), std::string::npos);
    EXPECT_NE(RunTool(items + " --json").output.find("\"font-name\": \"/F A\""), std::string::npos);
}

}  // namespace
}  // namespace folivo::test
