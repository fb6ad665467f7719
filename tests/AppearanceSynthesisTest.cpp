// Appearances made for comments and fields without one: one page carries a comment of each
// kind and a few fields; each made appearance runs through the interpreter, and what it draws
// (paths with their colours and extent, text runs with their font) is compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "content/FixedMeasuringCanvas.h"
#include "document/AppearanceSynthesis.h"
#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

struct Case {
    const char* name;
    const char* annotation;  // the comment's dictionary, object 4 + its index
    // What the interpreter draws, one item a line; empty when nothing is to be drawn.
    const char* items;
    // Operators the content must hold, whatever the items.
    const char* holds = "";
};

// Objects 4 onwards are the comments; an inline one sits in /Annots itself.
const Case Cases[] = {
    {"Square", "<< /Subtype /Square /Rect [100 600 200 700] /C [1 0 0] /IC [0 0 1] /BS << /W 2 >> >>",
     "path SF s=FF0000 f=0000FF [101 601 199 699]\n", "2 w"},
    {"Circle", "<< /Subtype /Circle /Rect [300 600 400 650] /C [0 1 0] /Border [0 0 1] >>",
     "path S s=00FF00 [300.5 600.5 399.5 649.5]\n", "c\nh\nS"},
    {"LineWithClosedArrow", "<< /Subtype /Line /Rect [40 490 260 530] /L [50 500 250 500] /C [0 0 0] /IC [1 1 0] "
     "/LE [/None /ClosedArrow] >>",
     "path S s=000000 [50 500 250 500]\npath SF s=000000 f=FFFF00 [245.5 497.8 250 502.3]\n"},
    {"Polygon", "<< /Subtype /Polygon /Rect [90 390 210 490] /Vertices [100 400 200 400 150 480] /C [0 0 1] /IC [0.5] >>",
     "path SF s=0000FF f=7F7F7F [100 400 200 480]\n", "h\nB"},
    {"PolyLineInCmyk", "<< /Subtype /PolyLine /Rect [290 390 410 460] /Vertices [300 400 350 450 400 400] /C [0 0 0 1] >>",
     "path S s=000000 [300 400 400 450]\n", "0 0 0 1 K"},
    {"InkDashedWithADot", "<< /Subtype /Ink /Rect [40 290 110 320] /InkList [[50 300 60 310 70 300 80 310] [100 300]] "
     "/C [1 0 1] /BS << /W 3 /S /D /D [2 1] >> >>",
     "path S s=FF00FF [50 300 80 310]\npath S s=FF00FF [100 300 100 300]\n", "[2 1] 0 d"},
    {"Highlight", "<< /Subtype /Highlight /Rect [99 229 201 251] /QuadPoints [100 250 200 250 100 230 200 230] /C [1 1 0] >>",
     "path F f=FFFF00 [100 230 200 250]\n"},
    {"Underline", "<< /Subtype /Underline /Rect [99 229 201 251] /QuadPoints [100 250 200 250 100 230 200 230] /C [0 0 1] >>",
     "path S s=0000FF [100 231.4 200 231.4]\n"},
    {"StrikeOut", "<< /Subtype /StrikeOut /Rect [99 229 201 251] /QuadPoints [100 250 200 250 100 230 200 230] /C [1 0 0] >>",
     "path S s=FF0000 [100 240 200 240]\n"},
    {"SquigglyTurnedQuad", "<< /Subtype /Squiggly /Rect [99 229 201 251] /QuadPoints [200 230 100 230 200 250 100 250] "
     "/C [0 0.5 0] >>",
     "path S s=007F00 [100 230.7 200 233.2]\n"},
    {"FreeText", "<< /Subtype /FreeText /Rect [300 200 450 260] /DA (/Helv 10 Tf 0 0 1 rg) /Border [0 0 0] "
     "/Contents (Ein Hinweis \\(kurz\\)) >>",
     "text /Helv 10 (Ein Hinweis (kurz)) at 302\n", "(Ein Hinweis \\(kurz\\)) Tj"},
    {"FreeTextWrapsOnBackground", "<< /Subtype /FreeText /Rect [300 100 360 180] /DA (/Helv 10 Tf 0 g) /C [1 1 0.8] "
     "/Contents (eins zwei drei vier) >>",
     "path F f=FFFFCC [300 100 360 180]\npath S s=000000 [300.5 100.5 359.5 179.5]\ntext /Helv 10 (eins zwei) at 303\n"
     "text /Helv 10 (drei vier) at 303\n"},
    // Links show a frame only when the file gives one a width and a colour.
    {"LinkWithBorder", "<< /Subtype /Link /Rect [100 50 200 70] /Border [0 0 2] /C [1 0 0] >>",
     "path S s=FF0000 [101 51 199 69]\n", "2 w"},
    {"LinkWithoutBorder", "<< /Subtype /Link /Rect [100 50 200 70] /C [1 0 0] >>", ""},
    {"LinkWithBorderOfNoWidth", "<< /Subtype /Link /Rect [100 50 200 70] /Border [0 0 0] /C [1 0 0] >>", ""},
    {"HiddenSquare", "<< /Subtype /Square /F 2 /Rect [0 0 10 10] /C [0] >>", ""},
    {"NoViewSquare", "<< /Subtype /Square /F 34 /Rect [0 0 10 10] /C [0] >>", ""},
    {"SquareWithItsOwnAppearance", "<< /Subtype /Square /Rect [0 0 10 10] /C [0] /AP << /N 40 0 R >> >>", ""},
    {"HighlightWithoutColour", "<< /Subtype /Highlight /QuadPoints [0 10 10 10 0 0 10 0] >>", ""},
    {"Link", "<< /Subtype /Link /Rect [0 0 10 10] /C [0] >>", ""},
    {"TextField", "<< /Subtype /Widget /FT /Tx /T (name) /V (M\\374ller) /DA (/Helv 12 Tf 0 g) /Rect [50 100 250 120] "
     "/MK << /BC [0 0 0] /BG [0.9] >> >>",
     "path F f=E5E5E5 [50 100 250 120]\npath S s=000000 [50.5 100.5 249.5 119.5]\ntext /Helv 12 (M\xC3\xBCller) at 53\n",
     "/Helv 12 Tf"},
    {"KidInheritsTextAndCentring", "<< /Subtype /Widget /Parent 41 0 R /Rect [50 60 250 80] >>",
     "text /Helv 10 (Erbe) at 139.4\n"},
    {"CheckedBox", "<< /Subtype /Widget /FT /Btn /V /Ja /AS /Ja /DA (/ZaDb 0 Tf 0 g) /Rect [300 100 315 115] >>",
     "text /ZaDb 10.4 (4) at 303.1\n", "/ZaDb"},
    {"UncheckedBox", "<< /Subtype /Widget /FT /Btn /V /Off /AS /Off /Rect [320 100 335 115] >>", ""},
    {"RadioWithCaption", "<< /Subtype /Widget /FT /Btn /Ff 49152 /V /Eins /MK << /CA (u) >> /Rect [340 100 355 115] "
     "/AP << /D << /Eins 40 0 R >> >> >>",
     "text /ZaDb 11.6 (u) at 343.1\n"},
    {"ComboShowsTheOptionsName", "<< /Subtype /Widget /FT /Ch /Ff 131072 /V (b) /Opt [[(a) (Apfel)] [(b) (Birne)]] "
     "/DA (/Helv 9 Tf 0 g) /Rect [400 100 500 118] >>",
     "text /Helv 9 (Birne) at 402\n"},
    {"ListBoxMarksTheChosen", "<< /Subtype /Widget /FT /Ch /V (Zwei) /Opt [(Eins) (Zwei)] /DA (/Helv 10 Tf 0 g) "
     "/Rect [400 20 500 60] >>",
     "path F f=99BFD8 [402 35 498 46.5]\ntext /Helv 10 (Eins) at 402\ntext /Helv 10 (Zwei) at 402\n"},
    {"MultilineField", "<< /Subtype /Widget /FT /Tx /Ff 4096 /V (Zeile eins\\rZeile zwei) /DA (/Helv 10 Tf 1 0 0 rg) "
     "/Rect [50 20 250 60] >>",
     "text /Helv 10 (Zeile eins) at 52\ntext /Helv 10 (Zeile zwei) at 52\n", "1 0 0 rg"},
    {"FieldWithItsOwnAppearance", "<< /Subtype /Widget /FT /Tx /V (alt) /DA (/Helv 10 Tf 0 g) /Rect [50 0 150 15] "
     "/AP << /N 40 0 R >> >>",
     ""},
    {"PushButtonCaption", "<< /Subtype /Widget /FT /Btn /Ff 65536 /MK << /CA (OK) /BG [0 0 1] >> /DA (/Helv 8 Tf 1 g) "
     "/Rect [200 0 240 16] >>",
     "path F f=0000FF [200 0 240 16]\ntext /Helv 8 (OK) at 214.7\n"},
    {"CombFieldCentresEachCharacterInItsCell", "<< /Subtype /Widget /FT /Tx /Ff 16777216 /MaxLen 4 /V (1234) "
     "/DA (/Helv 10 Tf 0 g) /Rect [0 200 80 220] >>",
     "text /Helv 10 (1) at 7.2\ntext /Helv 10 (2) at 27.2\ntext /Helv 10 (3) at 47.2\ntext /Helv 10 (4) at 67.2\n"},
    {"PasswordFieldHidesItsValue", "<< /Subtype /Widget /FT /Tx /Ff 8192 /V (geheim) /DA (/Helv 10 Tf 0 g) "
     "/Rect [0 230 80 250] >>",
     "text /Helv 10 (******) at 2\n"},
    {"UnderlinedEmptyField", "<< /Subtype /Widget /FT /Tx /MK << /BC [1 0 0] >> /BS << /S /U /W 2 >> "
     "/Rect [100 200 200 220] >>",
     "path S s=FF0000 [100 201 200 201]\n"},
    {"RadioOfAnotherState", "<< /Subtype /Widget /FT /Btn /Ff 49152 /V /Eins /Rect [0 0 10 10] "
     "/AP << /N << /Zwei 40 0 R >> >> /MK << /BC [0] >> >>",
     "path S s=000000 [0.5 0.5 9.5 9.5]\n"},
};

// Line endings at the end (200, 100) of a line from (100, 100), 2 wide: six units long.
struct Ending {
    const char* endings;
    const char* item;  // what the ending draws; empty: nothing
};
const Ending Endings[] = {
    {"[/None /OpenArrow]", "path S s=000000 [194 97 200 103]"},
    {"[/None /ClosedArrow]", "path SF s=000000 f=00FF00 [194 97 200 103]"},
    {"[/None /ROpenArrow]", "path S s=000000 [200 97 206 103]"},
    {"[/None /RClosedArrow]", "path SF s=000000 f=00FF00 [200 97 206 103]"},
    {"[/None /Butt]", "path S s=000000 [200 97 200 103]"},
    {"[/None /Slash]", "path S s=000000 [198.5 97.4 201.5 102.6]"},
    {"[/None /Square]", "path SF s=000000 f=00FF00 [197 97 203 103]"},
    {"[/None /Diamond]", "path SF s=000000 f=00FF00 [197 97 203 103]"},
    {"[/None /Circle]", "path SF s=000000 f=00FF00 [197 97 203 103]"},
    {"[/OpenArrow /None]", "path S s=000000 [100 97 106 103]"},
    {"[/None /Unknown]", ""},
    {"[/None]", ""},
};

// The page: its comments, the appearance form (object 40) and the parent field (object 41).
std::string CaseDocument(bool needAppearances)
{
    std::string annots = "[";
    std::vector<std::string> objects = {""};
    for (size_t i = 0; i < std::size(Cases); ++i) {
        objects.push_back(Cases[i].annotation);
        annots += std::to_string(4 + i) + " 0 R ";
    }
    annots += "<< /Subtype /Square /Rect [500 500 520 520] /C [0.2] >>]";
    objects[0] = "<< /Type /Page /MediaBox [0 0 612 792] /Annots " + annots + " >>";
    while (objects.size() < 40 - 3) objects.push_back("<< >>");
    objects.push_back(StreamObject("/Type /XObject /Subtype /Form /BBox [0 0 10 10]", "0 0 m 10 10 l S"));
    objects.push_back("<< /FT /Tx /T (erbe) /V (Erbe) /Q 1 /DA (/Helv 10 Tf 0 g) >>");
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R]", objects);
    builder.objects[0] = std::string("<< /Type /Catalog /Pages 2 0 R /AcroForm 42 0 R >>");
    builder.objects.push_back(std::string("<< /Fields [] /NeedAppearances ") + (needAppearances ? "true" : "false") + " >>");
    return builder.Build();
}

// What the interpreter makes of a form drawn where its content says, one item a line.
class Drawing {
public:
    ~Drawing() { DiscardAllItems(items_, staging_, ranges_); }

    std::string Items(const FormContent& form)
    {
        ContentInterpreter interpreter({fonts_, pictures_, canvas_, {}}, staging_, 1);
        interpreter.DrawForm(form, Matrix{});
        ReplacePageItems(items_, staging_, ranges_, 1);
        std::ostringstream out;
        const PageItemRanges::Range range = ranges_.Of(1);
        for (uint32_t i = range.first; i < range.first + range.count; ++i) out << Describe(*items_.At(i)) << '\n';
        return out.str();
    }

private:
    static std::string Rounded(double value)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", std::round(value * 10) / 10);
        std::string result = text;
        if (result.size() > 2 && result.compare(result.size() - 2, 2, ".0") == 0) result.resize(result.size() - 2);
        return result == "-0" ? "0" : result;
    }
    // The items keep colours as 0x00BBGGRR; written the usual way round.
    static std::string Colour(uint32_t bgr)
    {
        char text[8];
        std::snprintf(text, sizeof text, "%02X%02X%02X", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
        return text;
    }
    static std::string Describe(const PageItem& item)
    {
        if (!item.IsPath) {
            return "text " + std::string(item.FontName.View()) + " " + Rounded(item.FontSize) + " (" +
                   std::string(item.Text.View()) + ") at " + Rounded(item.X);
        }
        double left = INFINITY, bottom = INFINITY, right = -INFINITY, top = -INFINITY;
        for (uint32_t i = 0; i < item.Segments->Count(); ++i) {
            const PathSegment& s = *item.Segments->At(i);
            // A move's first points are where the path stood before it.
            for (const auto& [x, y] : {std::pair{s.X3, s.Y3}, s.IsDrawn ? std::pair{s.X1, s.Y1} : std::pair{s.X3, s.Y3},
                                       s.IsDrawn ? std::pair{s.X2, s.Y2} : std::pair{s.X3, s.Y3}}) {
                left = std::min(left, x), right = std::max(right, x), bottom = std::min(bottom, y), top = std::max(top, y);
            }
        }
        std::string text = std::string("path ") + (item.Stroked ? "S" : "") + (item.Filled ? "F" : "");
        if (item.Stroked) text += " s=" + Colour(item.StrokeColor);
        if (item.Filled) text += " f=" + Colour(item.FillColor);
        return text + " [" + Rounded(left) + " " + Rounded(bottom) + " " + Rounded(right) + " " + Rounded(top) + "]";
    }

    FontRecord* currentFont_ = nullptr;
    ImageObject* currentPicture_ = nullptr;
    PageItem* currentItem_ = nullptr;
    PageItem* currentStaging_ = nullptr;
    TDynaArray<FontRecord> fonts_{&currentFont_};
    TDynaArray<ImageObject> pictures_{&currentPicture_};
    TDynaArray<PageItem> items_{&currentItem_};
    TDynaArray<PageItem> staging_{&currentStaging_};
    PageItemRanges ranges_;
    FixedMeasuringCanvas canvas_{72};
};

// How often each operator occurs in the content.
size_t Count(const std::string& content, std::string_view op)
{
    std::istringstream in(content);
    size_t count = 0;
    for (std::string token; in >> token;) count += token == op;
    return count;
}

// Every string ends, and every number is written with digits, a point and a sign only: no
// exponent, no "nan" or "inf".
bool IsWellFormed(const std::string& content)
{
    // Strings are left out: their bytes are text, not numbers.
    std::string outside;
    int depth = 0;
    for (size_t i = 0; i < content.size(); ++i) {
        if (depth > 0 && content[i] == '\\') ++i;
        else if (content[i] == '(') ++depth;
        else if (content[i] == ')' && depth > 0) --depth;
        else if (depth == 0) outside += content[i];
    }
    if (depth != 0) return false;
    std::istringstream in(outside);
    for (std::string token; in >> token;) {
        const bool number = std::isdigit(static_cast<unsigned char>(token[0])) || token[0] == '-' || token[0] == '.';
        if (number && token.find_first_not_of("0123456789.-") != std::string::npos) return false;
        if (token == "nan" || token == "inf" || token == "-inf") return false;
    }
    return true;
}

void ExpectBalanced(const std::string& content, const std::string& name)
{
    EXPECT_EQ(Count(content, "q"), Count(content, "Q")) << name;
    EXPECT_EQ(Count(content, "BT"), Count(content, "ET")) << name;
}

TEST(AppearanceSynthesis, EachKindDrawsWhatReadersShow)
{
    OpenedDocument opened(CaseDocument(false));
    ASSERT_FALSE(opened->invalid);
    ASSERT_EQ(opened.Page(0).comments->Count(), std::size(Cases) + 1);
    EXPECT_FALSE(FormNeedsAppearances(*opened.document));
    for (size_t i = 0; i < std::size(Cases); ++i) {
        const Case& expected = Cases[i];
        const auto form = SynthesizedAppearance(*opened.document, *opened.Page(0).comments->At(static_cast<uint32_t>(i)), false);
        if (*expected.items == 0) {
            EXPECT_FALSE(form) << expected.name;
            continue;
        }
        ASSERT_TRUE(form) << expected.name;
        const std::string& content = *form->content;
        EXPECT_NE(content.find(expected.holds), std::string::npos) << expected.name << ":\n" << content;
        ExpectBalanced(content, expected.name);
        EXPECT_EQ(Drawing().Items(*form), expected.items) << expected.name << ":\n" << content;
        // The form lands on the comment's rectangle as it stands: identity matrix, page scope.
        const Matrix& m = form->matrix;
        EXPECT_TRUE(m.a == 1 && m.b == 0 && m.c == 0 && m.d == 1 && m.e == 0 && m.f == 0) << expected.name;
        EXPECT_EQ(form->scope, 0) << expected.name;
    }
}

TEST(AppearanceSynthesis, BoxIsTheRectangleAndInlineCommentsAreRead)
{
    OpenedDocument opened(CaseDocument(false));
    const auto square = SynthesizedAppearance(*opened.document, *opened.Page(0).comments->At(0), false);
    ASSERT_TRUE(square);
    EXPECT_EQ(std::vector<double>(square->box, square->box + 4), (std::vector<double>{100, 600, 200, 700}));
    // The last comment is a dictionary inside /Annots.
    const AnnotationRecord& inlined = *opened.Page(0).comments->At(static_cast<uint32_t>(std::size(Cases)));
    ASSERT_GT(inlined.directStart, 0);
    const auto form = SynthesizedAppearance(*opened.document, inlined, false);
    ASSERT_TRUE(form);
    EXPECT_EQ(Drawing().Items(*form), "path S s=333333 [500.5 500.5 519.5 519.5]\n");
}

TEST(AppearanceSynthesis, NeedAppearancesRemakesTextFieldsOnly)
{
    OpenedDocument opened(CaseDocument(true));
    EXPECT_TRUE(FormNeedsAppearances(*opened.document));
    struct Expected {
        const char* name;
        const char* items;  // empty: none made, even though the form asks
    };
    const Expected expected[] = {
        {"FieldWithItsOwnAppearance", "text /Helv 10 (alt) at 52\n"},
        {"SquareWithItsOwnAppearance", ""},
        {"TextField", "path F f=E5E5E5 [50 100 250 120]\npath S s=000000 [50.5 100.5 249.5 119.5]\ntext /Helv 12 (M\xC3\xBCller) at 53\n"},
    };
    for (const Expected& e : expected) {
        const size_t index = static_cast<size_t>(
            std::find_if(std::begin(Cases), std::end(Cases), [&](const Case& c) { return std::string_view(c.name) == e.name; }) -
            std::begin(Cases));
        ASSERT_LT(index, std::size(Cases)) << e.name;
        const auto form = SynthesizedAppearance(*opened.document, *opened.Page(0).comments->At(static_cast<uint32_t>(index)),
                                                FormNeedsAppearances(*opened.document));
        if (*e.items == 0) {
            EXPECT_FALSE(form) << e.name;
        } else {
            ASSERT_TRUE(form) << e.name;
            EXPECT_EQ(Drawing().Items(*form), e.items) << e.name;
        }
    }
}

TEST(AppearanceSynthesis, LineEndingsSitOnTheirEnds)
{
    std::string annots = "[";
    std::vector<std::string> objects = {""};
    for (size_t i = 0; i < std::size(Endings); ++i) {
        objects.push_back(std::string("<< /Subtype /Line /Rect [0 0 300 300] /L [100 100 200 100] /C [0] /IC [0 1 0] "
                                      "/BS << /W 2 /S /D >> /LE ") + Endings[i].endings + " >>");
        annots += std::to_string(4 + i) + " 0 R ";
    }
    objects[0] = "<< /Type /Page /Annots " + annots + "] >>";
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R]", objects).Build());
    for (size_t i = 0; i < std::size(Endings); ++i) {
        const auto form = SynthesizedAppearance(*opened.document, *opened.Page(0).comments->At(static_cast<uint32_t>(i)), false);
        ASSERT_TRUE(form) << Endings[i].endings;
        std::string expected = "path S s=000000 [100 100 200 100]\n";
        if (*Endings[i].item) expected += std::string(Endings[i].item) + "\n";
        EXPECT_EQ(Drawing().Items(*form), expected) << Endings[i].endings;
        // The line is dashed, its endings are not.
        const bool ended = *Endings[i].item != 0;
        EXPECT_EQ(form->content->find("[] 0 d") != std::string::npos, ended) << Endings[i].endings;
    }
}

// Damaged and oversized comments: each gives bounded, balanced content or none, and never more
// than the made appearance may hold.
TEST(AppearanceSynthesis, DamagedAndHugeCommentsStayBounded)
{
    std::string many;
    for (int i = 0; i < 100000; ++i) many += std::to_string(i % 500) + " " + std::to_string(i % 300) + " ";
    std::string lists;
    for (int i = 0; i < 2000; ++i) lists += "[1 2 3 4] ";
    struct Hostile {
        const char* name;
        std::string annotation;
        bool drawn;
    };
    const Hostile cases[] = {
        {"HugePolyline", "<< /Subtype /PolyLine /C [0] /Vertices [" + many + "] >>", true},
        {"ManyInkLists", "<< /Subtype /Ink /C [0] /InkList [" + lists + "] >>", true},
        {"HugeText", "<< /Subtype /FreeText /Rect [0 0 600 800] /DA (/Helv 1 Tf) /Contents (" + many + ") >>", true},
        {"HugeNumbers", "<< /Subtype /Square /Rect [-99999999999999999999 0 99999999999999999999 999999999999] /C [7 -3 99] >>",
         true},
        {"ExponentIsNoNumber", "<< /Subtype /Square /Rect [0 0 10 1e400] /C [0] >>", false},
        {"OddVertexCount", "<< /Subtype /Polygon /C [0] /Vertices [1 2 3 4 5] >>", true},
        {"SevenQuadNumbers", "<< /Subtype /Highlight /C [1 1 0] /QuadPoints [1 2 3 4 5 6 7] >>", false},
        {"TwoColourComponents", "<< /Subtype /Square /Rect [0 0 10 10] /C [1 0] >>", false},
        {"NegativeBorder", "<< /Subtype /Square /Rect [0 0 10 10] /C [0] /BS << /W -5 >> >>", false},
        {"ZeroDashes", "<< /Subtype /Line /L [0 0 10 10] /C [0] /BS << /S /D /D [0 0] >> >>", true},
        {"BrokenValues", "<< /Subtype /Ink /C /Red /InkList 5 /BS (x) /Rect [a b c d] >>", false},
        {"ParentLoop", "<< /Subtype /Widget /Parent 4 0 R /Rect [0 0 50 20] /V (x) >>", false},
        {"DelimitersInTheFontName", "<< /Subtype /Widget /FT /Tx /V (x) /DA (/F\\(1 12 Tf) /Rect [0 0 50 20] >>", true},
        {"GarbageDa", "<< /Subtype /Widget /FT /Tx /V (x) /DA (Tf Tf / 1 2 rg g) /Rect [0 0 50 20] >>", true},
        {"HugeFlagsAndComb", "<< /Subtype /Widget /FT /Tx /Ff 99999999999999 /MaxLen 99999999999 /V (abc) /Rect [0 0 50 20] >>", true},
        {"TinyBox", "<< /Subtype /Widget /FT /Tx /Ff 4096 /V (lang lang lang) /DA (/Helv 0 Tf) /Rect [0 0 0.01 0.01] >>", true},
        {"StringWithControls", "<< /Subtype /FreeText /Rect [0 0 100 100] /Contents <FEFF0041000100420301> >>", true},
    };
    for (const Hostile& hostile : cases) {
        OpenedDocument opened(DocumentWithPages("/Kids [3 0 R]", {"<< /Type /Page /Annots [4 0 R] >>", hostile.annotation}).Build());
        ASSERT_EQ(opened.Page(0).comments->Count(), 1u) << hostile.name;
        const auto form = SynthesizedAppearance(*opened.document, *opened.Page(0).comments->At(0), true);
        EXPECT_EQ(form.has_value(), hostile.drawn) << hostile.name;
        if (!form) continue;
        const std::string& content = *form->content;
        EXPECT_LE(content.size(), MaxSynthesizedContent) << hostile.name;
        ExpectBalanced(content, hostile.name);
        EXPECT_TRUE(IsWellFormed(content)) << hostile.name;
        for (const double value : form->box) EXPECT_TRUE(std::isfinite(value) && std::fabs(value) <= 1e5) << hostile.name;
        EXPECT_FALSE(Drawing().Items(*form).empty()) << hostile.name;
    }
}

TEST(AppearanceSynthesis, BoundsCutLongPathsAndManyInkLists)
{
    // 4097 vertices keep 4096; 300 ink lists keep 256 strokes.
    std::string vertices, lists;
    for (int i = 0; i <= 4096; ++i) vertices += std::to_string(i % 100) + " 1 ";
    for (int i = 0; i < 300; ++i) lists += "[1 2 3 4] ";
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R]", {"<< /Type /Page /Annots [4 0 R 5 0 R] >>",
                                                              "<< /Subtype /PolyLine /C [0] /Vertices [" + vertices + "] >>",
                                                              "<< /Subtype /Ink /C [0] /InkList [" + lists + "] >>"})
                              .Build());
    const auto polyline = SynthesizedAppearance(*opened.document, *opened.Page(0).comments->At(0), false);
    const auto ink = SynthesizedAppearance(*opened.document, *opened.Page(0).comments->At(1), false);
    ASSERT_TRUE(polyline && ink);
    EXPECT_EQ(Count(*polyline->content, "l"), MaxSynthesizedVertices - 1);
    EXPECT_EQ(Count(*ink->content, "S"), MaxSynthesizedInkLists);
}

}  // namespace
}  // namespace folivo::test
