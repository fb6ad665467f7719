// The file syntax beyond classic tables: predictors, cross-reference streams, object streams,
// and the object scan that repairs damaged files.
#include <gtest/gtest.h>

#include "syntax/CrossReferenceStreamRows.h"
#include "syntax/ObjectScan.h"
#include "syntax/ObjectStream.h"
#include "syntax/ValueExtent.h"
#include "syntax/Predictors.h"

namespace folivo::test {
namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int v : values) bytes += static_cast<char>(v);
    return bytes;
}

TEST(Predictors, PngRowFiltersAndTiff)
{
    struct Case {
        const char* name;
        PredictorParameters parameters;
        std::string data;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"none", {1, 1, 8, 3}, Bytes({1, 2, 3}), Bytes({1, 2, 3})},
        {"png up over two rows of four columns, as cross-reference streams use it", {12, 1, 8, 4},
         Bytes({2, 1, 0, 0, 5, 2, 0, 1, 0, 251}), Bytes({1, 0, 0, 5, 1, 1, 0, 0})},
        {"png sub, average and paeth with three colours", {15, 3, 8, 2},
         Bytes({1, 10, 20, 30, 1, 2, 3, 3, 4, 4, 4, 5, 5, 5, 4, 1, 1, 1, 0, 0, 0}),
         Bytes({10, 20, 30, 11, 22, 33, 9, 14, 19, 15, 23, 31, 10, 15, 20, 15, 23, 31})},
        {"a broken last row is dropped", {12, 1, 8, 2}, Bytes({0, 7, 8, 2, 1}), Bytes({7, 8})},
        {"unknown filter types carry the bytes", {10, 1, 8, 1}, Bytes({9, 42}), Bytes({42})},
        {"tiff over 8 bits", {2, 1, 8, 3}, Bytes({10, 1, 1}), Bytes({10, 11, 12})},
        {"tiff over 4 bits wraps", {2, 1, 4, 4}, Bytes({0xF1, 0x11}), Bytes({0xF0, 0x12})},
        {"tiff over 16 bits", {2, 1, 16, 2}, Bytes({0, 200, 0, 100}), Bytes({0, 200, 1, 44})},
        {"bits that make no samples", {12, 1, 3, 4}, Bytes({0, 1}), std::nullopt},
        {"no columns", {12, 1, 8, 0}, Bytes({0, 1}), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(UndoPredictor(c.data, c.parameters), c.expected) << c.name;
}

TEST(CrossReferenceStream, EntriesFromWidthsAndRanges)
{
    // /W [1 2 1]: a free entry, an object at offset 0x0102 generation 3, a member of stream 9.
    const std::string data = Bytes({0, 0, 0, 255, 1, 1, 2, 3, 2, 0, 9, 4});
    auto entries = ReadXrefStreamEntries(data, {1, 2, 1}, {5, 3});
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ((*entries)[0].number, 5);
    EXPECT_EQ((*entries)[0].type, 0);
    EXPECT_EQ((*entries)[1].second, 0x0102u);
    EXPECT_EQ((*entries)[1].third, 3u);
    EXPECT_EQ((*entries)[2].type, 2);
    EXPECT_EQ((*entries)[2].second, 9u);
    EXPECT_EQ((*entries)[2].third, 4u);

    // Two ranges; a type field of width 0 means type 1.
    entries = ReadXrefStreamEntries(Bytes({0, 10, 0, 20}), {0, 2, 0}, {0, 1, 7, 1});
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[1].number, 7);
    EXPECT_EQ((*entries)[1].type, 1);
    EXPECT_EQ((*entries)[1].second, 20u);

    // Lies cost nothing: ranges beyond the data or the number space, unknown types.
    entries = ReadXrefStreamEntries(Bytes({7, 0, 1, 0}), {1, 1, 0}, {INT32_MAX, 1000000000, -5, 3, 0, 2147483647});
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0].number, INT32_MAX);
    EXPECT_EQ((*entries)[0].type, 255);
    EXPECT_EQ((*entries)[1].number, 0);
    for (const std::vector<int64_t>& widths : std::vector<std::vector<int64_t>>{{1, -1, 1}, {1, 9, 1}, {0, 0, 0}, {1, 2}})
        EXPECT_FALSE(ReadXrefStreamEntries(data, widths, {0, 3})) << widths.size();
    EXPECT_FALSE(ReadXrefStreamEntries(data, {1, 2, 1}, {0}));
}

TEST(ValueExtent, EachKindOfValueEndsWhereItCloses)
{
    const std::pair<const char*, const char*> cases[] = {
        {"<< /A (x >> ]) /B [1 <</C 2>>] >> rest", "<< /A (x >> ]) /B [1 <</C 2>>] >>"},
        {"  % comment >>\n[ (a\\\\) ( b ) ] 7", "  % comment >>\n[ (a\\\\) ( b ) ]"},
        {"12 0 R endobj", "12 0 R"},
        {"12 0 endobj", "12"},
        {"/Name/Other", "/Name"},
        {"(un (closed)", "(un (closed)"},
        {"<00ff>>>", "<00ff>"},
        {"<< /Open [", "<< /Open ["},
        {"true false", "true"},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ValueEnd(text, 0), std::string_view(value).size()) << text;
}

TEST(ObjectStream, MembersAndLies)
{
    const std::string data = "11 0 12 9 13 16 <</A 1>> [1 2]  (x)";  // a header of 16 bytes
    auto members = ReadObjectStreamMembers(data, 3, 16);
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0].number, 11);
    // Each member is its value, without what follows it.
    EXPECT_EQ(data.substr(members[0].start, members[0].end - members[0].start), "<</A 1>>");
    EXPECT_EQ(data.substr(members[1].start, members[1].end - members[1].start), "[1 2]");
    EXPECT_EQ(data.substr(members[2].start), "(x)");
    EXPECT_EQ(members[2].end, data.size());
    // Members that share an offset share the value, not the rest of the stream.
    members = ReadObjectStreamMembers("1 0 2 0 3 0 (a) (long rest)", 3, 12);
    ASSERT_EQ(members.size(), 3u);
    for (const ObjectStreamMember& member : members) EXPECT_EQ(member.end - member.start, 3u);

    // /N larger than the pairs, /First beyond the data, offsets beyond it.
    EXPECT_EQ(ReadObjectStreamMembers(data, 1000000, 16).size(), 3u);
    EXPECT_TRUE(ReadObjectStreamMembers(data, 3, 1000).empty());
    members = ReadObjectStreamMembers("5 0 6 99999 (a)", 2, 12);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].number, 5);
    EXPECT_EQ(members[1].number, -1);
}

TEST(ObjectScan, HeadersAndKeywords)
{
    const std::string file = "%PDF-1.4\n1 0 obj\n<< >>\nendobj\n12  3 obj<<>>endobj x4 0 obj 99999999999 0 obj\r7 0 obj"
                             " trailer\n<< >>\ntrailers\n";
    const auto objects = ScanObjectHeaders(file);
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0].number, 1);
    EXPECT_EQ(objects[0].offset, 9);
    EXPECT_EQ(objects[1].number, 12);
    EXPECT_EQ(objects[1].generation, 3);
    EXPECT_EQ(objects[2].number, 7);
    EXPECT_EQ(FindKeyword(file, "trailer"), (std::vector<int64_t>{static_cast<int64_t>(file.find(" trailer") + 1)}));
}

}  // namespace
}  // namespace folivo::test
