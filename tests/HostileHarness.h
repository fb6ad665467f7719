// Running folivo-cli on generated hostile files: each command ends normally within 1 GiB of
// memory and says in German what it left out. Shared by the suites of hostile cases.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace folivo::test {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool HostileSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool HostileSanitized = true;
#else
inline constexpr bool HostileSanitized = false;
#endif
#else
inline constexpr bool HostileSanitized = false;
#endif

// Full size outside the sanitizer build, a small share of it inside.
int64_t Scaled(int64_t count);

// zlib data of head, chunk repeated, tail: hundreds of megabytes inflated from a small file.
std::string DeflateRepeated(const std::string& head, const std::string& chunk, int64_t times,
                            const std::string& tail = "");

struct HostileCase {
    const char* name;
    std::function<std::string()> build;
    const char* memo;  // a line the reading must report; empty when nothing is left out
};

inline void PrintTo(const HostileCase& hostile, std::ostream* out) { *out << hostile.name; }

// Runs info, items, render, save and save --protect on the case's file and checks each; prints
// the time and memory each took.
void RunEveryCommand(const HostileCase& hostile);

// A test name made of the case's name.
std::string HostileCaseName(const HostileCase& hostile);

}  // namespace folivo::test
