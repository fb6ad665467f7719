// Zlib compression of the data a saved file holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace folivo {

// Zlib data of the bytes at the given level; empty when compressing fails.
std::string Compress(std::string_view data, int level);

// Each block compressed as Compress does, the blocks spread over the processor's cores: a
// protected document recompresses every page.
std::vector<std::string> CompressEach(const std::vector<std::string_view>& blocks, int level);

}  // namespace folivo
