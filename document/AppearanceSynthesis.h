// Appearances made for comments and form fields that carry none, as readers draw them: the
// shapes, text markups, free texts and field values that a file leaves to the reader to show.
// Nothing here draws; the functions give content that the interpreter runs like a form.
#pragma once

#include <cstddef>
#include <optional>

#include "content/ContentInterpreter.h"
#include "model/DocumentModel.h"

namespace folivo {

class PdfDocument;

// The catalog's /AcroForm (inline or by reference) says /NeedAppearances true: the fields'
// appearances are to be made anew from their values. False for anything damaged.
bool FormNeedsAppearances(const PdfDocument& document);

// What one made appearance may hold; past these the rest of the comment is left out.
inline constexpr size_t MaxSynthesizedVertices = 4096;  // points of one path, quads count four
inline constexpr size_t MaxSynthesizedInkLists = 256;
inline constexpr size_t MaxSynthesizedContent = size_t{64} << 10;

// The appearance of the comment (read by its objectNumber, or at its directStart when given
// inline) made from its dictionary: Square, Circle, Line, Polygon, PolyLine, Ink, Highlight,
// Underline, StrikeOut, Squiggly, FreeText and Widget (text, check box, radio button, push
// button and choice fields). None when the comment is hidden (/F 2 or 32), has a normal
// appearance to draw (for text and choice fields: unless formNeedsAppearances), is of another
// kind, or has nothing to draw.
//
// The content is in the page's default user space: /BBox is the comment's /Rect (or, without
// one, what the content covers), /Matrix is the identity, so the form lands on the page with
// the identity placement, as PdfDocument::DrawAppearances places it. Its scope is 0.
//
// Text is shown in the font that /DA names (/Helv when it names none; the marks of check boxes
// and radio buttons always in /ZaDb), written as the font name alone: the caller
// resolves it, usually in the form's /DR rather than the page's resources, and the painter
// knows the standard names /Helv, /HeBo, /Cour, /TiRo and /ZaDb by themselves. Strings hold
// Windows-1252 bytes (characters without one become '?'). Widths are estimated from typical
// Helvetica proportions, not measured.
//
// Never throws on damaged input: values that are missing or not numbers are taken as absent,
// numbers are clamped to the page's range, and the content stays within MaxSynthesizedContent.
std::optional<FormContent> SynthesizedAppearance(const PdfDocument& document, const AnnotationRecord& comment,
                                                 bool formNeedsAppearances);

}  // namespace folivo
