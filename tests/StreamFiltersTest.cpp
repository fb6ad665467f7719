// Inflating, ASCII85 decoding and filter chains.
#include <gtest/gtest.h>
#include <zlib.h>

#include "core/Decodenow.h"
#include "syntax/FilterChain.h"
#include "syntax/StreamFilters.h"

namespace folivo {
namespace {

std::string Deflate(const std::string& text)
{
    uLongf size = compressBound(text.size());
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(text.data()), text.size(), 9);
    out.resize(size);
    return out;
}

TEST(Inflate, WholeBrokenOffAndDamagedData)
{
    const std::string text(100000, 'x');
    EXPECT_EQ(Inflate(Deflate(text)), text);
    EXPECT_EQ(Inflate(Deflate("")), "");
    // Without its checksum the data still gives its bytes.
    const std::string compressed = Deflate("q 1 0 0 1 0 0 cm Q");
    EXPECT_EQ(Inflate(compressed.substr(0, compressed.size() - 4)), "q 1 0 0 1 0 0 cm Q");
    EXPECT_FALSE(Inflate("not zlib at all"));
    EXPECT_FALSE(Inflate(""));
}

TEST(Inflate, StopsAtTheLimit)
{
    const std::string bomb = Deflate(std::string(1 << 20, '\0'));
    EXPECT_FALSE(Inflate(bomb, 1000));
    EXPECT_EQ(Inflate(bomb, 1 << 20)->size(), size_t{1} << 20);  // ends exactly at the limit
    EXPECT_FALSE(Inflate(bomb, (1 << 20) - 1));
}

TEST(Ascii85, GroupsZerosAndEndMarker)
{
    EXPECT_EQ(DecodeAscii85("z~>"), std::string(4, '\0'));
    EXPECT_EQ(DecodeAscii85("87cURD]i,\"Ebo80~>\r\n"), "Hello World!");
    // Seven digit characters: one full group and a final group of two digits give 5 bytes.
    EXPECT_EQ(DecodeAscii85("87cUR D]~>").size(), 5u);
    EXPECT_EQ(DecodeAscii85("87cURD]i,\"Ebo80").substr(0, 5), "Hello");
    // "z" inside a group is the digit 89; blanks between digits are skipped.
    EXPECT_EQ(DecodeAscii85("!!!!z\n!!!!!"), std::string("\0\0\0Y\0\0\0\0", 8));
    EXPECT_EQ(DecodeAscii85("s8W-!"), "\xFF\xFF\xFF\xFF");
    EXPECT_EQ(DecodeAscii85("~>"), "");
    EXPECT_EQ(DecodeAscii85("!"), "");  // a single digit gives nothing
}

// Decoders stop at their limit, and tell an output that was cut from one that fits.
TEST(StreamLimits, DecodersStopAtTheLimit)
{
    const std::string zeros(1 << 20, '\0');
    bool tooLarge = false;
    EXPECT_FALSE(Inflate(Deflate(zeros), 1000, &tooLarge));
    EXPECT_TRUE(tooLarge);
    tooLarge = false;
    EXPECT_FALSE(Inflate("not zlib at all", 1000, &tooLarge));
    EXPECT_FALSE(tooLarge);  // damaged, not too large
    EXPECT_EQ(Inflate(Deflate(zeros), zeros.size(), &tooLarge)->size(), zeros.size());
    EXPECT_FALSE(tooLarge);

    const std::string manyZ(1000, 'z');
    EXPECT_EQ(DecodeAscii85(manyZ, 4000).size(), 4000u);
    EXPECT_GT(DecodeAscii85(manyZ, 100).size(), 100u);
    EXPECT_LE(DecodeAscii85(manyZ, 100).size(), 104u);
}

TEST(FilterChain, IdentityCryptFilterPassesTheBytesAndUnknownFiltersFail)
{
    const std::string text = "0 0 1 rg 10 10 50 50 re f";
    const auto steps = [](std::vector<std::string> names) {
        std::vector<StreamFilterStep> chain;
        for (std::string& name : names) chain.push_back({std::move(name), {}});
        return chain;
    };
    EXPECT_EQ(UndoFilterChain(Deflate(text), steps({"/Crypt", "/FlateDecode"}), 1000), text);
    EXPECT_EQ(UndoFilterChain(text, steps({"/Crypt"}), 1000), text);
    EXPECT_EQ(UndoFilterChain(text, steps({"/Sparkle"}), 1000), std::nullopt);
}


// The chain as each reader sets it up: page content, object streams, pictures and fonts.
enum class ChainUse { Content, ObjectStream, Cut };

struct ChainRow {
    const char* what;
    ChainUse use;
    std::string data;
    std::vector<StreamFilterStep> steps;
    size_t limit;
    FilterChainResult::Outcome outcome;
    std::string decoded;  // checked when Decoded
    std::string unsupported;
    std::string codec;
};

std::vector<StreamFilterStep> Steps(std::initializer_list<const char*> names, PredictorParameters predictor = {})
{
    std::vector<StreamFilterStep> steps;
    for (const char* name : names) steps.push_back({name, predictor});
    return steps;
}

FilterChainOptions OptionsFor(ChainUse use)
{
    FilterChainOptions options;
    if (use == ChainUse::Content) {
        options.accepted = FlateFilter | LzwFilter | Ascii85Filter | CryptFilter;
        options.abbreviations = false;
        options.stepLimit = StepLimit::TooLarge;
        options.decodeLzw = [](std::string data, size_t room) { return DecodeLzw(data, room); };
    } else if (use == ChainUse::ObjectStream) {
        options.accepted = FlateFilter | Ascii85Filter;
        options.stepLimit = StepLimit::InflateTooLarge;
    }
    return options;
}

TEST(FilterChain, EachUseAcceptsItsFiltersAndKeepsItsLimit)
{
    using enum FilterChainResult::Outcome;
    using enum ChainUse;
    const std::string hello = "87cURD]i,\"Ebo80~>";  // "Hello World!"
    const std::string lzw("\x80\x0B\x60\x50\x22\x0C\x0C\x85\x01", 9);  // "-----A---B"
    const std::string bomb = Deflate(std::string(4096, '\0'));
    // Two rows of two bytes under the PNG "Up" predictor.
    const PredictorParameters up{12, 1, 8, 2};
    const PredictorParameters noRows{12, 0, 8, 2};
    const std::string rows = Deflate(std::string("\x02\x01\x02\x02\x01\x01", 6));
    const std::vector<ChainRow> table = {
        {"content flate", Content, Deflate("q Q"), Steps({"/Crypt", "/FlateDecode"}), 100, Decoded, "q Q", "", ""},
        {"content no abbreviations", Content, Deflate("q Q"), Steps({"/Fl"}), 100, Unsupported, "", "/Fl", ""},
        {"content no codecs", Content, "x", Steps({"/DCTDecode"}), 100, Unsupported, "", "/DCTDecode", ""},
        {"content later unknown", Content, Deflate("q Q"), Steps({"/FlateDecode", "/RunLengthDecode"}), 100, Unsupported, "",
         "/RunLengthDecode", ""},
        {"content damaged flate", Content, "not zlib", Steps({"/FlateDecode"}), 100, Undecodable, "", "", ""},
        {"content flate over", Content, bomb, Steps({"/FlateDecode"}), 4095, TooLarge, "", "", ""},
        {"content flate at limit", Content, bomb, Steps({"/FlateDecode"}), 4096, Decoded, std::string(4096, '\0'), "", ""},
        {"content a85 over", Content, hello, Steps({"/ASCII85Decode"}), 10, TooLarge, "", "", ""},
        {"content lzw fits", Content, lzw, Steps({"/LZWDecode"}), 10, Decoded, "-----A---B", "", ""},
        {"content lzw one over", Content, lzw, Steps({"/LZWDecode"}), 9, TooLarge, "", "", ""},
        {"content plain over", Content, "0 0 m", {}, 4, TooLarge, "", "", ""},
        {"object flate predictor", ObjectStream, rows, Steps({"/Fl"}, up), 100, Decoded, "\x01\x02\x02\x03", "", ""},
        {"object a85", ObjectStream, hello, Steps({"/A85"}), 100, Decoded, "Hello World!", "", ""},
        {"object a85 past limit", ObjectStream, hello, Steps({"/ASCII85Decode"}), 10, Decoded, "Hello World!", "", ""},
        {"object no lzw", ObjectStream, lzw, Steps({"/LZWDecode"}), 100, Unsupported, "", "/LZWDecode", ""},
        {"object flate over", ObjectStream, bomb, Steps({"/FlateDecode"}), 4095, TooLarge, "", "", ""},
        {"object no rows", ObjectStream, rows, Steps({"/FlateDecode"}, noRows), 100, Undecodable, "", "", ""},
        {"cut flate", Cut, bomb, Steps({"/Fl"}), 10, Decoded, std::string(10, '\0'), "", ""},
        {"cut whole rows", Cut, rows, Steps({"/FlateDecode"}, up), 1, Decoded, "\x01\x02", "", ""},
        {"cut a85", Cut, hello, Steps({"/A85"}), 10, Decoded, "Hello Worl", "", ""},
        {"cut lzw", Cut, lzw, Steps({"/LZW"}), 4, Decoded, "----", "", ""},
        {"cut hex and runs", Cut, "02616263FE7A>", Steps({"/AHx", "/RL"}), 5, Decoded, "abczz", "", ""},
        {"cut stops at codec", Cut, Deflate("JPEG"), Steps({"/FlateDecode", "/DCT", "/Sparkle"}), 2, Decoded, "JPEG", "",
         "/DCT"},
        {"cut unknown", Cut, "x", Steps({"/Sparkle"}), 10, Unsupported, "", "/Sparkle", ""},
    };
    for (const ChainRow& row : table) {
        SCOPED_TRACE(row.what);
        const FilterChainResult result = DecodeFilterChain(row.data, row.steps, row.limit, OptionsFor(row.use));
        EXPECT_EQ(result.outcome, row.outcome);
        EXPECT_EQ(result.unsupported, row.unsupported);
        EXPECT_EQ(result.codec, row.codec);
        if (row.outcome == Decoded) {
            EXPECT_EQ(result.data, row.decoded);
        }
    }
}

// Content's LZW decoder may give its input back undecoded; the chain takes what it gets.
TEST(FilterChain, LzwHookDecidesWhatCountsAsDecoded)
{
    FilterChainOptions options = OptionsFor(ChainUse::Content);
    std::vector<size_t> rooms;
    options.decodeLzw = [&](std::string data, size_t room) {
        rooms.push_back(room);
        return data;
    };
    const FilterChainResult kept = DecodeFilterChain("encoded", Steps({"/LZWDecode"}), 7, options);
    EXPECT_EQ(kept.outcome, FilterChainResult::Outcome::Decoded);
    EXPECT_EQ(kept.data, "encoded");
    EXPECT_EQ(DecodeFilterChain("encoded", Steps({"/LZWDecode"}), 6, options).outcome, FilterChainResult::Outcome::TooLarge);
    EXPECT_EQ(rooms, (std::vector<size_t>{8, 7}));
}

}  // namespace
}  // namespace folivo
