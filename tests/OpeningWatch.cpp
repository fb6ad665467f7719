#include "tests/OpeningWatch.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define FOLIVO_WATCH_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FOLIVO_WATCH_SANITIZED 1
#endif
#endif

#ifdef FOLIVO_WATCH_SANITIZED
#include <sanitizer/common_interface_defs.h>
#endif

namespace folivo::test {

namespace {

// Read from signal handlers: a fixed buffer and lock-free flags only.
char watchedFile[1024];
std::atomic<bool> watching{false};
std::atomic<int64_t> watchStart{0};
std::atomic<int> watchLimit{0};

int64_t NowSeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void WriteNote(const char* what)
{
    if (!watching.load(std::memory_order_acquire)) return;
    const char* parts[] = {"\n*** ", what, " while opening ", watchedFile, "\n"};
    for (const char* part : parts) {
        ssize_t ignored = write(STDERR_FILENO, part, std::strlen(part));
        (void)ignored;
    }
}

void OnCrashSignal(int signalNumber)
{
    WriteNote("crash signal");
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

#ifdef FOLIVO_WATCH_SANITIZED
void OnSanitizerDeath() { WriteNote("sanitizer report"); }
#endif

void WatchForHangs()
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        if (watching.load(std::memory_order_acquire) && NowSeconds() - watchStart.load() > watchLimit.load()) {
            WriteNote("no end after the time limit");
            std::_Exit(EXIT_FAILURE);
        }
    }
}

void InstallOnce()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        // The sanitizers catch faults themselves and report through their death callback.
#ifdef FOLIVO_WATCH_SANITIZED
        __sanitizer_set_death_callback(OnSanitizerDeath);
#else
        for (int signalNumber : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) std::signal(signalNumber, OnCrashSignal);
#endif
        std::signal(SIGABRT, OnCrashSignal);
        std::thread(WatchForHangs).detach();
    });
}

}  // namespace

OpeningWatch::OpeningWatch(const std::string& file, int hangSeconds)
{
    InstallOnce();
    const size_t length = std::min(file.size(), sizeof watchedFile - 1);
    std::memcpy(watchedFile, file.data(), length);
    watchedFile[length] = '\0';
    watchLimit.store(hangSeconds);
    watchStart.store(NowSeconds());
    watching.store(true, std::memory_order_release);
}

OpeningWatch::~OpeningWatch() { watching.store(false, std::memory_order_release); }

}  // namespace folivo::test
