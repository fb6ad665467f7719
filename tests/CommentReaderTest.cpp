// Comments: kind, icon, open state, texts and the rectangle in inches from the top left.
#include <gtest/gtest.h>

#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

OpenedDocument WithAnnotations(const std::string& annots, std::vector<std::string> objects)
{
    objects.insert(objects.begin(), "<< /Type /Page /MediaBox [0 0 612 792] /Annots " + annots + " >>");
    return OpenedDocument(DocumentWithPages("/Kids [3 0 R]", objects).Build());
}

const AnnotationRecord& Comment(OpenedDocument& opened, uint32_t index) { return *opened.Page(0).comments->At(index); }

TEST(CommentReader, TextNote)
{
    auto opened = WithAnnotations(
        "[4 0 R]", {"<< /Type /Annot /Subtype /Text /Name /Key /Open true /Contents (Hello \\(you\\)) /T (Anna) "
                    "/Rect [72 72 144 144] >>"});
    const AnnotationRecord& comment = Comment(opened, 0);
    EXPECT_EQ(comment.kind, AnnotText);
    EXPECT_EQ(comment.icon, 5);
    EXPECT_TRUE(comment.open);
    EXPECT_TRUE(comment.inUse);
    EXPECT_EQ(comment.text.View(), "Hello (you)");
    EXPECT_EQ(comment.title.View(), "Anna");
    EXPECT_DOUBLE_EQ(comment.left, 1.0);
    EXPECT_DOUBLE_EQ(comment.top, 9.0);
    EXPECT_DOUBLE_EQ(comment.right, 2.0);
    EXPECT_DOUBLE_EQ(comment.bottom, 10.0);
}

TEST(CommentReader, KindsIconsAndOpenStates)
{
    auto opened = WithAnnotations("6 0 R", {"<< /Subtype /Stamp /Name /TopSecret /Open TRUE >>",
                                            "<< /Subtype /FreeText /Open false /Name /Unknown >>", "[4 0 R 5 0 R 7 0 R 99 0 R]",
                                            "<< /Subtype /Link >>"});
    ASSERT_EQ(opened.Page(0).comments->Count(), 4u);
    EXPECT_EQ(Comment(opened, 0).kind, AnnotStamp);
    EXPECT_EQ(Comment(opened, 0).icon, 20);
    EXPECT_TRUE(Comment(opened, 0).open);
    EXPECT_EQ(Comment(opened, 1).kind, AnnotFreeText);
    EXPECT_TRUE(Comment(opened, 1).freeText);
    EXPECT_FALSE(Comment(opened, 1).open);
    EXPECT_EQ(Comment(opened, 1).icon, 2);
    EXPECT_EQ(Comment(opened, 2).kind, AnnotOther);  // a link stays, kind 0, icon 2
    EXPECT_EQ(Comment(opened, 2).icon, 2);
    EXPECT_EQ(Comment(opened, 3).objectNumber, 99);  // unreachable: keeps the reset values
    EXPECT_TRUE(Comment(opened, 3).text.Empty());
}

TEST(CommentReader, RectanglesAreNormalised)
{
    auto opened = WithAnnotations("[4 0 R 5 0 R 6 0 R]", {"<< /Subtype /Text /Rect [144 144 72 72] >>",
                                                          "<< /Subtype /Text /Rect [144 x 72 72] >>",
                                                          "<< /Subtype /Text /Contents <FEFF0041> >>"});
    EXPECT_DOUBLE_EQ(Comment(opened, 0).left, 1.0);
    EXPECT_DOUBLE_EQ(Comment(opened, 0).top, 9.0);
    EXPECT_DOUBLE_EQ(Comment(opened, 0).right, 2.0);
    EXPECT_DOUBLE_EQ(Comment(opened, 0).bottom, 10.0);
    // Stops at the value that does not convert and is not normalised.
    EXPECT_DOUBLE_EQ(Comment(opened, 1).left, 2.0);
    EXPECT_DOUBLE_EQ(Comment(opened, 1).top, 0.0);
    EXPECT_DOUBLE_EQ(Comment(opened, 1).right, 0.0);
    // A hexadecimal text keeps its bytes, zero bytes included.
    EXPECT_EQ(Comment(opened, 2).text.View(), std::string_view("\xFE\xFF\x00\x41", 4));
}

TEST(CommentReader, InlineArrayHoldsReferencesAndDirectDictionaries)
{
    auto opened = WithAnnotations("[<< /Subtype /Text /Name /Key >> 4 0 R]", {"<< /Subtype /Text /Name /Help >>"});
    ASSERT_EQ(opened.Page(0).comments->Count(), 2u);
    EXPECT_EQ(Comment(opened, 0).icon, 5);
    EXPECT_EQ(Comment(opened, 1).icon, 6);
}

}  // namespace
}  // namespace folivo::test
