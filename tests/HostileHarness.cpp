#include "tests/HostileHarness.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <zlib.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "tests/ScratchFolder.h"

extern char** environ;

namespace folivo::test {

namespace {

struct CommandRun {
    int status = -1;  // exit status, -1 when ended by a signal
    long maxResidentKiB = 0;
    double seconds = 0;
    std::string output;  // standard output and error
};

CommandRun RunCli(const std::vector<std::string>& arguments, const std::string& outputFile)
{
    std::vector<std::string> words{FOLIVO_CLI_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t child = 0;
    CommandRun run;
    const auto started = std::chrono::steady_clock::now();
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.maxResidentKiB = usage.ru_maxrss;
    std::ifstream file(outputFile);
    run.output.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return run;
}

}  // namespace

int64_t Scaled(int64_t count) { return HostileSanitized ? std::max<int64_t>(count / 200, 1) : count; }

std::string DeflateRepeated(const std::string& head, const std::string& chunk, int64_t times, const std::string& tail)
{
    z_stream stream{};
    deflateInit(&stream, 9);
    std::string out;
    char buffer[1 << 16];
    auto feed = [&](const std::string& data, int flush) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        stream.avail_in = static_cast<uInt>(data.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    };
    feed(head, Z_NO_FLUSH);
    std::string block;
    while (block.size() < (1 << 16)) block += chunk;
    const int64_t perBlock = static_cast<int64_t>(block.size() / chunk.size());
    int64_t left = times;
    for (; left >= perBlock; left -= perBlock) feed(block, Z_NO_FLUSH);
    std::string rest;
    for (; left > 0; --left) rest += chunk;
    feed(rest + tail, Z_FINISH);
    deflateEnd(&stream);
    return out;
}

void RunEveryCommand(const HostileCase& hostile)
{
    ScratchFolder folder;
    const std::string file = folder.Write("hostile.pdf", hostile.build());
    ASSERT_LE(std::ifstream(file, std::ios::ate | std::ios::binary).tellg(), 10 << 20) << "inputs stay within 10 MB";
    // For measuring other builds on the same files.
    if (const char* keep = std::getenv("FOLIVO_KEEP_HOSTILE_FILES"))
        std::filesystem::copy_file(file, std::filesystem::path(keep) / (std::string(hostile.name) + ".pdf"),
                                   std::filesystem::copy_options::overwrite_existing);
    const std::vector<std::vector<std::string>> commands = {
        {"info", file},
        {"items", file, "--page", "1"},
        {"render", file, "--page", "1", "-o", folder.File("page.png")},
        {"save", file, "-o", folder.File("saved.pdf")},
        {"save", file, "-o", folder.File("protected.pdf"), "--protect"},
    };
    for (const auto& command : commands) {
        const std::string name = command[0] + (command.back() == "--protect" ? " --protect" : "");
        SCOPED_TRACE(name);
        const CommandRun run = RunCli(command, folder.File("output.txt"));
        std::printf("[ HOSTILE  ] %s %s: %.1f s, %ld MiB\n", hostile.name, name.c_str(), run.seconds,
                    run.maxResidentKiB / 1024);
        EXPECT_EQ(run.status, 0) << run.output.substr(0, 2000);
        if (!HostileSanitized) {
            EXPECT_LT(run.maxResidentKiB, 1L << 20) << "KiB at most";
        }
        if (command[0] == "info") {
            EXPECT_NE(run.output.find(hostile.memo), std::string::npos) << run.output;
        }
    }
}

std::string HostileCaseName(const HostileCase& hostile)
{
    std::string name = hostile.name;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

}  // namespace folivo::test
