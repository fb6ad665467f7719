// Appearances made for form fields: the value of a text or choice field, the mark of a check
// box or radio button that is on, the caption of a push button, on the widget's /MK background
// and border.
#pragma once

#include "document/AppearanceContentWriter.h"
#include "document/AppearanceEntries.h"

namespace folivo::synthesis {

// Draws the widget unless it has a normal appearance to draw (text and choice fields are made
// anew all the same when formNeedsAppearances), is a signature, or has no rectangle.
void DrawWidget(const Annotation& widget, ContentWriter& out, bool formNeedsAppearances);

}  // namespace folivo::synthesis
