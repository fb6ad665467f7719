// The comments (annotations) of a page: kind, icon, open state, text, title and rectangle.
#include <algorithm>
#include <cctype>

#include "document/PdfDocument.h"
#include "model/TextStrings.h"
#include "syntax/TokenReader.h"

namespace folivo {

const char* const AnnotationIconNames[AnnotationIconCount] = {
    "/Comment", "/Insert",       "/Note",  "/Paragraph",    "/NewParagraph", "/Key",
    "/Help",    "/Approved",     "/AsIs",  "/Confidential", "/Departmental", "/Draft",
    "/Experimental", "/Expired", "/Final", "/ForComment",   "/ForPublicRelease", "/NotApproved",
    "/NotForPublicRelease", "/Sold", "/TopSecret",
};

void PdfDocument::ReadPageComments()
{
    PageRecord& page = *currentPage;
    if (!page.comments) return;
    const double pageTop = page.mediaBox[3];
    page.comments->First();
    while (page.comments->FetchNext()) ReadComment(*currentComment, pageTop);
}

void PdfDocument::ReadComment(AnnotationRecord& comment, double pageTop)
{
    comment.kind = AnnotOther;
    ReleaseText(comment.text);
    comment.open = 0;
    comment.freeText = 0;
    comment.icon = 2;
    if (comment.directStart > 0) {
        fileBuffer.position = comment.directStart;
    } else if (!GotoObject(comment.objectNumber)) {
        return;
    }
    ParseDictionary();
    for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
        const TokenList& tokens = *DictEntryList->At(i)->tokens;
        if (tokens.size() < 2) continue;
        const std::string& key = tokens[0];
        if (key == "/Name") {
            for (int32_t icon = 0; icon < AnnotationIconCount; ++icon) {
                if (tokens[1] == AnnotationIconNames[icon]) comment.icon = icon;
            }
        } else if (key == "/Subtype") {
            if (tokens[1] == "/Text") comment.kind = AnnotText;
            else if (tokens[1] == "/FreeText") comment.kind = AnnotFreeText, comment.freeText = 1;
            else if (tokens[1] == "/Stamp") comment.kind = AnnotStamp;
        } else if (key == "/Open") {
            std::string value = tokens[1];
            std::transform(value.begin(), value.end(), value.begin(), [](unsigned char c) { return std::toupper(c); });
            comment.open = value == "TRUE";
        } else if (key == "/Contents") {
            ReleaseText(comment.text);
            comment.text = MakeText(StringValueBytes(tokens, 1));
        } else if (key == "/T") {
            ReleaseText(comment.title);
            comment.title = MakeText(StringValueBytes(tokens, 1));
        } else if (key == "/Rect" && tokens[1] == "[") {
            ReadCommentRectangle(comment, tokens, pageTop);
        }
    }
    ReleaseDictionary();
}

void PdfDocument::ReadCommentRectangle(AnnotationRecord& comment, const TokenList& tokens, double pageTop)
{
    double* const targets[4] = {&comment.left, &comment.top, &comment.right, &comment.bottom};
    for (size_t i = 0; i < 4; ++i) {
        if (i + 2 >= tokens.size()) return;
        const auto value = NumberText(tokens[i + 2]);
        if (!value) return;  // keeps this and the following values, not normalised
        // Even values are x (from the left edge), odd ones y (down from the page's top).
        *targets[i] = (i % 2 == 0 ? *value : pageTop - *value) / 72.0;
    }
    if (comment.top > comment.bottom) std::swap(comment.top, comment.bottom);
    if (comment.left > comment.right) std::swap(comment.left, comment.right);
}

}  // namespace folivo
