// Appearances for comments and fields that carry none: the comment's dictionary is read, its
// kind's drawing written as content, and the content given the box it covers.
#include "document/AppearanceSynthesis.h"

#include <algorithm>
#include <string>
#include <vector>

#include "document/AppearanceContentWriter.h"
#include "document/AppearanceEntries.h"
#include "document/CommentAppearanceSynthesis.h"
#include "document/FieldAppearanceSynthesis.h"
#include "document/PdfDocument.h"

namespace folivo {

using namespace synthesis;

namespace {

// The comment's /Rect, its corners in either order; none without area.
void ReadRectangle(Annotation& annotation)
{
    const std::vector<double> rect = NumbersOf(annotation.dictionary.Value("/Rect"), 4);
    if (rect.size() != 4) return;
    annotation.rect = {std::min(rect[0], rect[2]), std::min(rect[1], rect[3]), std::max(rect[0], rect[2]),
                       std::max(rect[1], rect[3])};
    annotation.hasRect = annotation.rect.HasArea();
}

}  // namespace

std::optional<FormContent> SynthesizedAppearance(const PdfDocument& document, const AnnotationRecord& comment,
                                                 bool formNeedsAppearances)
{
    const auto position = document.CommentPosition(comment);
    if (!position) return std::nullopt;
    Annotation annotation{document, Dictionary(document.objects, document.objects.DictionaryAt(*position)), {}, false};
    const Dictionary& dictionary = annotation.dictionary;
    if (dictionary.Integer("/F").value_or(0) & HiddenCommentFlags) return std::nullopt;
    ReadRectangle(annotation);

    ContentWriter out;
    const std::string subtype = dictionary.Name("/Subtype");
    if (subtype == "/Widget") {
        DrawWidget(annotation, out, formNeedsAppearances);
    } else {
        const CommentPainter painter = CommentPainterOf(subtype);
        if (!painter || HasNormalAppearance(dictionary)) return std::nullopt;
        painter(annotation, out);
    }
    if (!out.Painted()) return std::nullopt;

    FormContent form;
    form.content = std::make_shared<const std::string>(out.Text());
    // Without a rectangle the box is what the drawing covers, with room for wide lines.
    Box box = annotation.rect;
    if (!annotation.hasRect) {
        const double margin = std::max(3 * StrokeOf(dictionary, {}).width, 4.5);
        box = out.Covered().Inset(-margin, -margin);
    }
    form.box[0] = box.left, form.box[1] = box.bottom, form.box[2] = box.right, form.box[3] = box.top;
    return form;
}

}  // namespace folivo
