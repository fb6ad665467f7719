// Where a stream's data lies around its keywords "stream" and "endstream".
#pragma once

#include <cstdint>
#include <string_view>

namespace folivo {

// The start of the data of the stream whose keyword "stream" is at `keyword`: past the line end
// that follows it (CR LF, LF or CR). Further blank bytes belong to the data.
int64_t StreamDataStart(std::string_view file, int64_t keyword);

// "endstream" follows `end` after nothing but blanks and line ends: `end` closes the data.
bool EndstreamFollows(std::string_view file, int64_t end);

}  // namespace folivo
