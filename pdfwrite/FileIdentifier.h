// The elements of a file identifier (the trailer's /ID): 16 bytes that no other file has.
#pragma once

#include <string>
#include <string_view>

namespace folivo {

// An MD5 digest of the file's bytes, its name and the current time, as the identifier of a
// new or changed file.
std::string NewFileIdentifier(std::string_view content, std::string_view fileName);

// The trailer entry "/ID [ <first> <second> ]".
std::string FileIdentifierEntry(std::string_view first, std::string_view second);

}  // namespace folivo
