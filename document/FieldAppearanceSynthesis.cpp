// Form fields drawn from their values, each entry inherited from the field's parents or taken
// from the form's defaults, as readers draw fields whose appearances are missing or to be remade.
#include "document/FieldAppearanceSynthesis.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/ResourceLimits.h"
#include "document/AppearanceSynthesis.h"
#include "document/AppearanceText.h"
#include "document/PdfDocument.h"
#include "syntax/DictionaryTokens.h"

namespace folivo {

namespace synthesis {

namespace {

// Field flags (/Ff): bit n counted from 1.
constexpr int64_t MultilineField = int64_t{1} << 12, PasswordField = int64_t{1} << 13;
constexpr int64_t RadioButton = int64_t{1} << 15, PushButton = int64_t{1} << 16;
constexpr int64_t ComboBox = int64_t{1} << 17, CombField = int64_t{1} << 24;

// A field's entries, each from the widget or the nearest parent that has it, else from the
// form's defaults.
struct Field {
    std::string type;
    int64_t flags = 0;
    TokenList value;  // /V with a reference resolved; for strings the bytes are in text
    std::optional<std::string> text;
    std::string appearanceString;
    int64_t quadding = 0;
    TokenList options;
    int64_t maxLength = 0;
    int64_t topIndex = 0;
};

Dictionary FormDictionary(const PdfDocument& document)
{
    const TokenList catalog = document.objects.ObjectTokens(document.rootReference.objectNumber);
    return Dictionary(document.objects, document.objects.ValueTokens(catalog, ValueIndex(catalog, 0, "/AcroForm")));
}

Field FieldOf(const Annotation& widget)
{
    Field field;
    std::optional<std::string> type, da;
    std::optional<int64_t> flags, quadding, maxLength, topIndex;
    bool haveValue = false, haveOptions = false;
    const ObjectReader& objects = widget.dictionary.Objects();
    Dictionary node = widget.dictionary;
    std::unordered_set<int32_t> visited;
    for (size_t depth = 0; depth < MaxFieldDepth; ++depth) {
        if (!type && node.Has("/FT")) type = node.Name("/FT");
        if (!flags) flags = node.Integer("/Ff");
        if (!quadding) quadding = node.Integer("/Q");
        if (!maxLength) maxLength = node.Integer("/MaxLen");
        if (!topIndex) topIndex = node.Integer("/TI");
        if (!da) da = node.Text("/DA");
        if (!haveValue && node.Has("/V")) {
            field.value = node.Value("/V");
            field.text = node.Text("/V");
            haveValue = true;
        }
        if (!haveOptions && node.Has("/Opt")) {
            field.options = node.Value("/Opt");
            haveOptions = true;
        }
        const auto parent = node.Reference("/Parent");
        if (!parent || !visited.insert(*parent).second) break;
        node = Dictionary(objects, objects.ObjectTokens(*parent));
    }
    if (!da || !quadding) {
        const Dictionary form = FormDictionary(widget.document);
        if (!da) da = form.Text("/DA");
        if (!quadding) quadding = form.Integer("/Q");
    }
    field.type = type.value_or("");
    field.flags = flags.value_or(0);
    field.quadding = quadding.value_or(0);
    field.maxLength = maxLength.value_or(0);
    field.topIndex = topIndex.value_or(0);
    field.appearanceString = da.value_or("");
    return field;
}

// One line of text in the box, centred on its height; size 0 fits the text to the box.
void DrawSingleLine(ContentWriter& out, TextStyle style, const std::string& text, const Box& box, int64_t quadding)
{
    if (style.size <= 0) {
        const double width = EstimatedWidth(text, 1);
        style.size = std::min(box.Height() / LineSpacing, width > 0 ? box.Width() / width : MaxFontSize);
        style.size = std::clamp(style.size, 1.0, MaxFontSize);
    }
    DrawTextLines(out, style, {text}, box, quadding, CentredBaseline(box, style.size));
}

// Each character centred in its cell of a comb field: the box split into /MaxLen cells.
void DrawComb(ContentWriter& out, TextStyle style, const std::string& text, const Box& box, int64_t cells)
{
    const double cell = box.Width() / static_cast<double>(cells);
    if (style.size <= 0) style.size = std::clamp(std::min(box.Height() / LineSpacing, cell / 0.7), 1.0, MaxFontSize);
    ShowClippedText(out, style, box, [&] {
        const double baseline = CentredBaseline(box, style.size);
        for (size_t i = 0; i < text.size() && i < static_cast<size_t>(cells); ++i) {
            const double advance = EstimatedAdvance(static_cast<uint8_t>(text[i])) * style.size;
            const double x = box.left + static_cast<double>(i) * cell + (cell - advance) / 2;
            out.ShowText(text.substr(i, 1), {x, baseline});
        }
    });
}

void DrawTextField(ContentWriter& out, const Field& field, const TextStyle& style, const Box& frame, const Box& inner)
{
    std::string text = ShownBytes(field.text.value_or(""));
    if (text.empty()) return;
    if (field.flags & PasswordField) text.assign(text.size(), '*');
    if (field.flags & MultilineField) {
        DrawWrappedText(out, style, text, inner, field.quadding);
    } else if ((field.flags & CombField) && field.maxLength > 0 && !(field.flags & PasswordField)) {
        DrawComb(out, style, text, frame, std::min<int64_t>(field.maxLength, MaxTextLines));
    } else {
        for (char& c : text) {
            if (c == '\r' || c == '\n') c = ' ';
        }
        DrawSingleLine(out, style, text, inner, field.quadding);
    }
}

// The export texts chosen in a choice field: /V is one text or an array of them.
std::vector<std::string> ChosenValues(const Field& field)
{
    std::vector<std::string> chosen;
    if (field.text) chosen.push_back(*field.text);
    else if (!field.value.empty() && field.value[0] == "[") {
        for (const TokenList& element : ArrayElements(field.value, 0)) {
            if (chosen.size() >= MaxTextLines) break;
            if (const auto text = Dictionary::TextOf(element, 0)) chosen.push_back(*text);
        }
    }
    return chosen;
}

// The options of a list box as shown, and whether each is chosen: /Opt holds texts or
// [export shown] pairs.
std::vector<std::pair<std::string, bool>> ListOptions(const Field& field, const std::vector<std::string>& chosen)
{
    std::vector<std::pair<std::string, bool>> options;
    if (field.options.empty() || field.options[0] != "[") return options;
    for (const TokenList& element : ArrayElements(field.options, 0)) {
        if (options.size() >= MaxTextLines) break;
        std::optional<std::string> exported = Dictionary::TextOf(element, 0), shown = exported;
        if (element.size() > 1 && element[0] == "[") {
            const std::vector<TokenList> pair = ArrayElements(element, 0);
            exported = pair.size() > 0 ? Dictionary::TextOf(pair[0], 0) : std::nullopt;
            shown = pair.size() > 1 ? Dictionary::TextOf(pair[1], 0) : exported;
        }
        if (!exported || !shown) continue;
        options.emplace_back(*shown, std::find(chosen.begin(), chosen.end(), *exported) != chosen.end());
    }
    return options;
}

// What a combo box shows for its value: the name of the [export shown] pair that exports it.
std::string ComboBoxShownName(const Field& field, const std::string& value)
{
    std::string shown = value;
    for (const TokenList& element : ArrayElements(field.options, 0)) {
        if (element.size() <= 1 || element[0] != "[") continue;
        const std::vector<TokenList> pair = ArrayElements(element, 0);
        if (pair.size() > 1 && Dictionary::TextOf(pair[0], 0) == value) shown = Dictionary::TextOf(pair[1], 0).value_or(shown);
    }
    return shown;
}

// A list box shows its options from /TI down, the chosen ones on a highlight.
void DrawListBox(ContentWriter& out, const Field& field, TextStyle style, const Box& inner,
                 const std::vector<std::string>& chosen)
{
    const std::vector<std::pair<std::string, bool>> options = ListOptions(field, chosen);
    if (style.size <= 0) style.size = DefaultFontSize;
    const double lineHeight = style.size * LineSpacing;
    const size_t first = static_cast<size_t>(std::clamp<int64_t>(field.topIndex, 0, static_cast<int64_t>(options.size())));
    std::vector<std::string> lines;
    double top = inner.top;
    for (size_t i = first; i < options.size() && top > inner.bottom; ++i, top -= lineHeight) {
        lines.push_back(ShownBytes(options[i].first));
        if (!options[i].second) continue;
        out.SetColour(ColourOfNumbers({0.6, 0.75, 0.85}), false);
        out.Rectangle({inner.left, std::max(top - lineHeight, inner.bottom), inner.right, top});
        out.Paint("f");
    }
    DrawTextLines(out, style, lines, inner, field.quadding, inner.top - style.size * 0.9);
}

void DrawChoice(ContentWriter& out, const Field& field, const TextStyle& style, const Box& inner)
{
    const std::vector<std::string> chosen = ChosenValues(field);
    if (!(field.flags & ComboBox)) {
        DrawListBox(out, field, style, inner, chosen);
    } else if (!chosen.empty()) {
        // A combo box shows its one value, by the name its option shows.
        DrawSingleLine(out, style, ShownBytes(ComboBoxShownName(field, chosen[0])), inner, field.quadding);
    }
}

// Whether a check box or radio button is on: /AS names a state other than /Off; without /AS,
// /V does (and is this widget's state when its appearances name their states).
bool IsOn(const Field& field, const Dictionary& widget)
{
    std::string state = widget.Name("/AS");
    if (state.empty()) {
        state = field.value.size() == 1 ? AsName(field.value[0]) : "";
        const Dictionary states = widget.Sub("/AP").Sub("/N");
        if (!state.empty() && !states.Empty() && !states.Has(state)) state.clear();
    }
    return !state.empty() && state != "/Off";
}

// The mark of a check box or radio button: the /MK /CA character in ZapfDingbats, by default a
// check mark, or a dot for radio buttons.
void DrawMark(ContentWriter& out, const Field& field, const Dictionary& look, TextStyle style, const Box& inner)
{
    const std::string caption = ShownBytes(look.Text("/CA").value_or(""));
    const char mark = !caption.empty() ? caption[0] : (field.flags & RadioButton) ? 'l' : '4';
    // ZapfDingbats widths of the usual marks: check, circle, cross, diamond, square, star.
    static constexpr std::pair<char, double> widths[] = {{'4', 0.846}, {'l', 0.791}, {'8', 0.76},
                                                         {'u', 0.759}, {'n', 0.761}, {'H', 0.816}};
    double width = 0.8;
    for (const auto& [c, w] : widths) {
        if (c == mark) width = w;
    }
    style.font = "/ZaDb";
    if (style.size <= 0) style.size = std::clamp(std::min(inner.Width() / width, inner.Height() / 0.75) * 0.8, 1.0, MaxFontSize);
    ShowClippedText(out, style, inner, [&] {
        const Point origin{(inner.left + inner.right - width * style.size) / 2, CentredBaseline(inner, style.size)};
        out.ShowText(std::string(1, mark), origin);
    });
}

}  // namespace

void DrawWidget(const Annotation& widget, ContentWriter& out, bool formNeedsAppearances)
{
    const Field field = FieldOf(widget);
    const bool variableText = field.type == "/Tx" || field.type == "/Ch";
    if (HasNormalAppearance(widget.dictionary) && !(formNeedsAppearances && variableText)) return;
    if (!widget.hasRect || field.type.empty() || field.type == "/Sig") return;

    // /MK: background and border colours, caption.
    const Dictionary look = widget.dictionary.Sub("/MK");
    const Stroke border = StrokeOf(widget.dictionary, ColourOf(look.Value("/BC")));
    const Box& frame = widget.rect;
    DrawBackgroundAndBorder(out, frame, ColourOf(look.Value("/BG")), border, border.style == 'U');
    const double borderWidth = border.Drawn() ? border.width : 0;
    // Beveled and inset borders take twice their width inside the frame.
    const double pad = (border.style == 'B' || border.style == 'I' ? 2 * borderWidth : borderWidth) + 2;
    const Box inner = frame.Inset(pad, std::min(pad, frame.Height() / 4));
    const TextStyle style = StyleOf(field.appearanceString);
    if (field.type == "/Tx") {
        DrawTextField(out, field, style, frame, inner);
    } else if (field.type == "/Ch") {
        DrawChoice(out, field, style, inner);
    } else if (field.type == "/Btn" && (field.flags & PushButton)) {
        const std::string caption = ShownBytes(look.Text("/CA").value_or(""));
        if (!caption.empty()) DrawSingleLine(out, style, caption, inner, 1);
    } else if (field.type == "/Btn" && IsOn(field, widget.dictionary)) {
        DrawMark(out, field, look, style, inner);
    }
}

}  // namespace synthesis

bool FormNeedsAppearances(const PdfDocument& document)
{
    const TokenList value = synthesis::FormDictionary(document).Value("/NeedAppearances");
    return value.size() == 1 && value[0] == "true";
}

}  // namespace folivo
