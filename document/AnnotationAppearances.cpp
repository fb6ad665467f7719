// Comments drawn as they look: the normal appearance stream of each comment, placed on its
// rectangle like a form, so that filled form fields and stamps show on the page.
#include <algorithm>
#include <cmath>

#include "document/PdfDocument.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/TokenReader.h"

namespace folivo {

std::optional<int32_t> PdfDocument::AppearanceOf(const AnnotationRecord& comment)
{
    std::optional<int32_t> form;
    if (const auto position = CommentPosition(comment); position && *position > 0) {
        const TokenList annotation = objects.DictionaryAt(*position);
        const size_t flags = ValueIndex(annotation, 0, "/F");
        const bool hidden = flags != 0 && (IntegerText(annotation[flags]).value_or(0) & HiddenCommentFlags) != 0;
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
        if (const auto placement = AppearancePlacement(*form, comment, pageTop)) interpreter.DrawForm(*form, *placement);
    }
}

}  // namespace folivo
