// Comments drawn as they look: the normal appearance stream of each comment, placed on its
// rectangle like a form, so that filled form fields and stamps show on the page.
#include <algorithm>
#include <cmath>

#include "document/PdfDocument.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

// Flags that keep a comment off the screen: hidden and "no view".
constexpr int32_t HiddenFlags = 2 | 32;

}  // namespace

std::optional<int32_t> PdfDocument::AppearanceOf(const AnnotationRecord& comment)
{
    std::optional<int32_t> form;
    int32_t position = comment.directStart;
    if (position <= 0) position = objects.ValuePosition(comment.objectNumber).value_or(position);
    if (position > 0) {
        const TokenList annotation = objects.DictionaryAt(position);
        const size_t flags = ValueIndex(annotation, 0, "/F");
        const bool hidden = flags != 0 && (IntegerText(annotation[flags]).value_or(0) & HiddenFlags) != 0;
        const size_t stateAt = ValueIndex(annotation, 0, "/AS");
        const std::string state = stateAt != 0 ? annotation[stateAt] : "";

        // /AP inline or by reference; its /N is a stream, or a dictionary of states by /AS.
        TokenList appearances;
        size_t start = ValueIndex(annotation, 0, "/AP");
        if (const auto number = ReferenceAt(annotation, start)) {
            if (const auto at = objects.ValuePosition(*number)) appearances = objects.DictionaryAt(*at);
            start = 0;
        } else if (start != 0 && annotation[start] == "<<") {
            appearances = annotation;
        }
        const size_t normal = hidden || appearances.empty() ? 0 : ValueIndex(appearances, start, "/N");
        if (const auto number = ReferenceAt(appearances, normal)) {
            if (const auto at = objects.ValuePosition(*number)) {
                // The stream itself has a box; a dictionary of states names one per state.
                const TokenList target = objects.DictionaryAt(*at);
                form = ValueIndex(target, 0, "/BBox") != 0 ? number : ReferenceAt(target, ValueIndex(target, 0, state));
            }
        } else if (normal != 0 && appearances[normal] == "<<" && !state.empty()) {
            form = ReferenceAt(appearances, ValueIndex(appearances, normal, state));
        }
    }
    return form;
}

void PdfDocument::DrawAppearances(ContentInterpreter& interpreter, uint32_t pageNumber)
{
    if (pageNumber < 1 || pageNumber > pages.Count()) return;
    const PageRecord& page = *pages.At(pageNumber - 1);
    if (!page.comments) return;
    const double pageTop = page.mediaBox[3];
    for (uint32_t i = 0; i < page.comments->Count(); ++i) {
        const AnnotationRecord& comment = *page.comments->At(i);
        if (comment.kind == AnnotText || comment.appearance <= 0) continue;
        const std::shared_ptr<const FormContent> form = CachedForm(comment.appearance, pageNumber);
        if (!form) continue;

        // The box as the form's matrix turns it, fitted onto the comment's rectangle.
        const Matrix& m = form->matrix;
        double xs[4], ys[4];
        const double corners[4][2] = {{form->box[0], form->box[1]}, {form->box[2], form->box[1]},
                                      {form->box[0], form->box[3]}, {form->box[2], form->box[3]}};
        for (int k = 0; k < 4; ++k) {
            xs[k] = corners[k][0] * m.a + corners[k][1] * m.c + m.e;
            ys[k] = corners[k][0] * m.b + corners[k][1] * m.d + m.f;
        }
        const double x0 = *std::min_element(xs, xs + 4), x1 = *std::max_element(xs, xs + 4);
        const double y0 = *std::min_element(ys, ys + 4), y1 = *std::max_element(ys, ys + 4);
        const double left = comment.left * 72, right = comment.right * 72;
        const double bottom = pageTop - comment.bottom * 72, top = pageTop - comment.top * 72;
        if (!(x1 - x0 > 1e-9) || !(y1 - y0 > 1e-9) || !std::isfinite(left + right + bottom + top)) continue;
        const double sx = (right - left) / (x1 - x0), sy = (top - bottom) / (y1 - y0);
        interpreter.DrawForm(*form, {sx, 0, 0, sy, left - x0 * sx, bottom - y0 * sy});
    }
}

}  // namespace folivo
