// Appearances made for comments of the kinds readers draw by themselves: squares, circles,
// lines with their endings, polygons, polylines, ink, text markups and free texts.
#pragma once

#include <string_view>

#include "document/AppearanceContentWriter.h"
#include "document/AppearanceEntries.h"

namespace folivo::synthesis {

using CommentPainter = void (*)(const Annotation& annotation, ContentWriter& out);

// What draws a comment of the /Subtype; null for a kind that is not made here.
CommentPainter CommentPainterOf(std::string_view subtype);

}  // namespace folivo::synthesis
