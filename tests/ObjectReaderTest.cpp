// The reader's object services over one small file: values by number, dictionaries entry by
// entry, raw and decoded streams, and damage reported with the object and where it was found.
#include <gtest/gtest.h>

#include "document/ObjectReader.h"

#include <string>
#include <vector>

#include "TestDocuments.h"

namespace folivo::test {
namespace {

std::string Joined(const TokenList& tokens)
{
    std::string text;
    for (const std::string& token : tokens) text += (text.empty() ? "" : " ") + token;
    return text;
}

// A file of numbered objects (index + 1) with the table a reader would build for it; the last
// object is listed but marked free.
struct SmallFile {
    std::string bytes;
    std::vector<XrefEntry> table;
    FileBuffer buffer;

    explicit SmallFile(const std::vector<std::string>& bodies)
    {
        bytes = "%PDF-1.4\n";
        table.push_back({0, 65535, 0, 1, 0});
        for (size_t i = 0; i < bodies.size(); ++i) {
            const bool free = i + 1 == bodies.size();
            table.push_back({static_cast<int32_t>(bytes.size()), 0, static_cast<uint8_t>(free ? 0 : 1), 1, 0});
            bytes += std::to_string(i + 1) + " 0 obj\n" + bodies[i] + "\nendobj\n";
        }
        buffer = {reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int32_t>(bytes.size()), 0};
    }
};

const std::string kCompressed = Deflate("BT /F1 12 Tf (Hallo) Tj ET");

SmallFile Sample()
{
    return SmallFile({
        "<< /Type /Catalog /Pages 2 0 R /Names [ /A 3 0 R ] >>",                       // 1
        "[ 4 0 R 5 0 R << /Inline 1 >> 6 0 R ]",                                        // 2
        "(a string)",                                                                   // 3
        "<< /Length 5 >>\nstream\nHallo\nendstream",                                    // 4
        "<< /Length 7 0 R /Filter /FlateDecode >>\nstream\n" + kCompressed + "\nendstream",  // 5
        "<< /Length 3 >>\nno stream here",                                              // 6
        std::to_string(kCompressed.size()),                                             // 7
        "<< /Length 4 /Filter /DCTDecode >>\nstream\nJPEG\nendstream",                  // 8
        "42",                                                                           // 9
        "<< /Kind /Free >>",                                                            // 10, free
    });
}

TEST(ObjectReaderTest, ValuesByNumberAndReference)
{
    const SmallFile file = Sample();
    const ObjectReader objects(file.buffer, file.table);
    struct Case {
        int32_t number;
        const char* tokens;
    };
    const Case cases[] = {
        {1, "<< /Type /Catalog /Pages 2 0 R /Names [ /A 3 0 R ] >>"},
        {2, "[ 4 0 R 5 0 R << /Inline 1 >> 6 0 R ]"},
        {3, "(a string)"},
        {9, "42"},
        {10, ""},  // free: no value
        {11, ""},  // beyond the table
        {0, ""},
        {-3, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Joined(objects.ObjectTokens(c.number)), c.tokens) << c.number;

    const TokenList catalog = objects.ObjectTokens(1);
    EXPECT_EQ(Joined(objects.ValueTokens(catalog, 4)), "[ 4 0 R 5 0 R << /Inline 1 >> 6 0 R ]");  // /Pages 2 0 R
    EXPECT_EQ(Joined(objects.ValueTokens(catalog, 8)), "[ /A 3 0 R ]");
    EXPECT_EQ(Joined(objects.ValueTokens(catalog, 0)), "");
    // Only the shallow resolution reaches a free object; it gives a dictionary's "<<" alone.
    EXPECT_EQ(Joined(objects.ResolvedValue({"10", "0", "R"})), "<<");
    EXPECT_EQ(Joined(objects.ResolvedValue({"2", "0", "R"})), "[ 4 0 R 5 0 R << /Inline 1 >> 6 0 R ]");
    EXPECT_EQ(Joined(objects.ResolvedValue({"/Name"})), "/Name");

    std::vector<int32_t> referenced;
    for (const ObjectReference& reference : objects.ReferencedArray(2)) referenced.push_back(reference.objectNumber);
    EXPECT_EQ(referenced, (std::vector<int32_t>{4, 5, 6}));
    EXPECT_TRUE(objects.ReferencedArray(3).empty());
    EXPECT_TRUE(objects.InUse(9));
    EXPECT_FALSE(objects.InUse(10));
    EXPECT_TRUE(objects.AnyValuePosition(10).has_value());
    EXPECT_FALSE(objects.ValuePosition(10).has_value());
}

TEST(ObjectReaderTest, EntriesSplitAtKeysAndReportAMissingDictionary)
{
    const std::string text = "<< /A 1 /B [ /X /Y ] /C << /D 2 >>\n/Broken\n/E 5 0 R >> trailing";
    const FileBuffer buffer{reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()), 0};
    const std::vector<XrefEntry> table;
    const ObjectReader reader(buffer, table);
    const DictionaryRead read = reader.EntriesAt(0);
    std::vector<std::string> entries;
    for (const DictionaryEntry& entry : read.entries) entries.push_back(Joined(entry.tokens));
    // A key at a line start opens an entry even after a key without value.
    EXPECT_EQ(entries, (std::vector<std::string>{"/A 1", "/B [ /X /Y ]", "/C << /D 2 >>", "/Broken", "/E 5 0 R"}));
    EXPECT_EQ(text.substr(static_cast<size_t>(read.end)), "trailing");
    EXPECT_EQ(text.substr(static_cast<size_t>(read.entries[1].valuePosition), 1), "[");
    EXPECT_FALSE(read.damage.has_value());
    EXPECT_EQ(Joined(reader.DictionaryAt(0)), "<< /A 1 /B [ /X /Y ] /C << /D 2 >> /Broken /E 5 0 R >>");

    const DictionaryRead none = reader.EntriesAt(static_cast<int32_t>(text.find("trailing")));
    ASSERT_TRUE(none.damage.has_value());
    EXPECT_EQ(none.damage->offset, static_cast<int64_t>(text.find("trailing")));
    EXPECT_TRUE(none.entries.empty());
    EXPECT_EQ(Joined(reader.DictionaryAt(static_cast<int32_t>(text.find("trailing")))), "<< >>");
}

TEST(ObjectReaderTest, StreamsRawAndDecodedWithDamageAsAValue)
{
    const SmallFile file = Sample();
    const ObjectReader objects(file.buffer, file.table);
    struct Case {
        int32_t number;
        size_t limit;
        bool decoded;
        const char* data;  // decoded data, or the damage's description
    };
    const Case cases[] = {
        {4, 100, true, "Hallo"},
        {5, 100, true, "BT /F1 12 Tf (Hallo) Tj ET"},  // /Length by reference, Flate undone
        {5, 10, true, "BT /F1 12 "},                    // cut at the limit
        {6, 100, false, "kein Datenstrom"},
        {8, 100, false, "nicht dekodierbar"},  // a picture codec is not undone here
        {9, 100, false, "keine Länge des Datenstroms"},
        {10, 100, false, "kein Objekt in Gebrauch"},
    };
    for (const Case& c : cases) {
        const ObjectRead<std::string> read = objects.DecodedStream(c.number, c.limit);
        ASSERT_EQ(static_cast<bool>(read), c.decoded) << c.number;
        EXPECT_EQ(c.decoded ? *read : read.damage.what, c.data) << c.number;
        EXPECT_EQ(read.damage.objectNumber, c.number);
        if (!c.decoded && c.number != 10) {
            EXPECT_GT(read.damage.offset, file.table[static_cast<size_t>(c.number)].offset);
        }
    }
    const ObjectRead<folivo::StreamObject> raw = objects.Stream(5);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->data, kCompressed);
    EXPECT_EQ(raw->entries.size(), 2u);
    EXPECT_EQ(objects.StreamLength({"/Length", "7", "0", "R"}), static_cast<int32_t>(kCompressed.size()));
    EXPECT_EQ(objects.StreamLength({"/Length", "-"}), -1);
    EXPECT_EQ(objects.StreamLength({"/Length", "99", "0", "R"}), -1);
    // No read moved the caller's position.
    EXPECT_EQ(file.buffer.position, 0);
}

}  // namespace
}  // namespace folivo::test
