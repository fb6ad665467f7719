// The bounds that keep any input's cost in time and memory within reach: what one hostile file
// may make the reader decode, hold or write. Each is far above what real documents need, and
// each says why it has its value. Sizes are bytes unless named otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

namespace folivo {

// --- Decoding streams ---

// No stream inflates beyond this: a stream that would is treated as undecodable, so no
// compressed bomb can exhaust memory.
inline constexpr size_t InflateLimit = size_t{256} << 20;
// LZW expands up to a few thousand times, so a small hostile stream could otherwise ask for
// gigabytes; its decoded output is cut off here.
inline constexpr size_t LzwOutputLimit = size_t{256} << 20;
// A page's joined content stays within InflateLimit; a whole reading within this, however many
// pages share one stream.
inline constexpr uint64_t DocumentContentLimit = uint64_t{64} << 20;
// Object streams of one document decode to at most this much together.
inline constexpr size_t ObjectStreamLimit = size_t{256} << 20;
// The object-stream members' copies behind the file's bytes: far more than any document's
// objects outside its streams, and bounded though members may share their bytes.
inline constexpr size_t MemberCopyLimit = size_t{128} << 20;
// An XMP packet larger than this is no document's metadata.
inline constexpr size_t MaxMetadataBytes = size_t{16} << 20;
// A /ToUnicode or encoding CMap larger than this is not read: real ones are far smaller.
inline constexpr size_t MaxCMapBytes = size_t{16} << 20;

// --- Pictures ---

// Decoded pictures stay within this, and so does what the libraries allocate for them.
inline constexpr size_t CodecMemoryLimit = size_t{256} << 20;
// JBIG2 pictures have one bit per pixel, and jbig2dec decodes every pixel that it allocates: a
// few forged bytes can ask for millions of symbols. This holds a 600 dpi A3 page with its
// symbols and keeps such decoding to about a second.
inline constexpr size_t Jbig2MemoryLimit = size_t{16} << 20;
// Largest pixel buffer a raster record may hold, so a forged width or height can neither
// overflow the size computation nor exhaust memory.
inline constexpr int64_t RasterImageMaxPixelBytes = int64_t{512} << 20;
// Decoded pictures of one document take at most this much memory together.
inline constexpr int64_t PictureMemoryLimit = int64_t{512} << 20;
// Inline pictures of a document together stay within this many bytes of pixels.
inline constexpr int64_t InlinePixelLimit = int64_t{256} << 20;

// --- Document structure ---

// Pages listed again in the tree stop adding pages here; a page of its own always counts.
inline constexpr uint32_t MaxPageOccurrences = uint32_t{1} << 16;
// Content streams and comments the pages may name together: pages can share one array of
// them, so the number of pages times the array's length is bounded.
inline constexpr uint32_t PageElementLimit = uint32_t{1} << 19;
// What further copies of repeated page objects may add to a saved file, at most.
inline constexpr uint64_t RepeatedPagesByteLimit = uint64_t{64} << 20;
// Forms searched for the pictures they draw, each once.
inline constexpr size_t MaxFormsSearched = 4096;
// A form holds a few fields per page; more than this is hostile.
inline constexpr size_t MaxFieldsVisited = 100000;
inline constexpr size_t MaxFieldDepth = 64;
// Tokens of one referenced array (/W, /Widths, /DescendantFonts, /Differences).
inline constexpr size_t MaxArrayTokens = size_t{1} << 20;
// Fonts kept for a whole reading.
inline constexpr size_t MaxTextFonts = 4096;
// Entries of one character map, and of all maps of a reading together.
inline constexpr size_t CMapEntryLimit = size_t{1} << 20;
inline constexpr size_t DocumentCMapEntryLimit = 2 * CMapEntryLimit;

// --- Interpreting content ---

// Graphics states saved at once; deeper q ... Q pairs change nothing further.
inline constexpr size_t SavedStateLimit = size_t{1} << 16;
// Forms inside forms; deeper ones are not entered.
inline constexpr size_t FormDepthLimit = 32;
// Operands before an operator: more than any operator or text array of a real page holds,
// with room for a string of several megabytes.
inline constexpr size_t OperandCountLimit = size_t{1} << 16;
inline constexpr size_t OperandBytesLimit = size_t{16} << 20;
// Sample data of a sampled shading function that is read at most, and functions inside
// functions.
inline constexpr size_t MaxSampleBytes = size_t{4} << 20;
inline constexpr int MaxFunctionDepth = 4;
// Shadings kept read per document.
inline constexpr size_t MaxCachedShadings = 4096;

}  // namespace folivo
