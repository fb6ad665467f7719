#include "syntax/StreamData.h"

namespace folivo {

int64_t StreamDataStart(std::string_view file, int64_t keyword)
{
    auto at = static_cast<size_t>(keyword) + 6;
    if (at < file.size() && file[at] == '\r') ++at;
    if (at < file.size() && file[at] == '\n') ++at;
    return static_cast<int64_t>(at);
}

bool EndstreamFollows(std::string_view file, int64_t end)
{
    if (end < 0 || static_cast<size_t>(end) > file.size()) return false;
    auto at = static_cast<size_t>(end);
    while (at < file.size() && (file[at] == '\r' || file[at] == '\n' || file[at] == ' ')) ++at;
    return file.substr(at, 9) == "endstream";
}

}  // namespace folivo
