#include "tests/ToolOutput.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

namespace folivo::test {

ToolRun RunTool(const std::string& command)
{
    ToolRun run;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return run;
    run.started = true;
    char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) run.output.append(chunk, n);
    const int status = pclose(pipe);
    if (status != -1 && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    return run;
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool ToolWorks(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

}  // namespace folivo::test
