// Names the file being opened when the process dies while opening it, so that a crash, a
// sanitizer report or a hang in a loop over many files points at the file to look at.
#pragma once

#include <string>

namespace folivo::test {

class OpeningWatch {
public:
    // A watched opening of file; the process ends with a note naming the file when the
    // opening takes longer than hangSeconds.
    OpeningWatch(const std::string& file, int hangSeconds);
    ~OpeningWatch();
    OpeningWatch(const OpeningWatch&) = delete;
    OpeningWatch& operator=(const OpeningWatch&) = delete;
};

}  // namespace folivo::test
