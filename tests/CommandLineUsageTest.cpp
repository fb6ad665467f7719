// folivo-cli's wrong calls, command by command: the exit status, the first line on standard error
// and the command's help after it. Each row is refused before any file is opened.
#include <gtest/gtest.h>

#include <string>

#include "tests/ScratchFolder.h"
#include "tests/ToolOutput.h"

namespace folivo::test {
namespace {

struct Usage {
    std::string arguments;  // shell words after "folivo-cli"
    int status;
    std::string error;  // the first line on standard error; empty: help on standard output
};

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(CommandLineUsage, EachCommandRefusesWrongCallsWithItsOwnWords)
{
    const Usage rows[] = {
        {"info", 1, "folivo-cli info: keine Datei angegeben"},
        {"info --bogus a.pdf", 1, "folivo-cli info: ungültige Angabe --bogus"},
        {"info a.pdf b.pdf", 1, "folivo-cli info: ungültige Angabe b.pdf"},
        {"info -- a.pdf", 1, "folivo-cli info: ungültige Angabe --"},
        {"info a.pdf --font", 1, "folivo-cli info: ungültige Angabe --font"},
        {"info a.pdf --font Arial,fett", 1, "folivo-cli info: ungültige Angabe --font"},
        {"info a.pdf --password", 1, "folivo-cli info: ungültige Angabe --password"},
        // A value is taken as it stands, even when it looks like an option.
        {"info --password --help", 1, "folivo-cli info: keine Datei angegeben"},
        {"info --bogus --help", 1, "folivo-cli info: ungültige Angabe --bogus"},
        {"info --help --bogus", 0, ""},
        {"info a.pdf -h", 0, ""},
        {"items a.pdf", 1, "folivo-cli items: DATEI und --page N angeben"},
        {"items --page 1 --json", 1, "folivo-cli items: DATEI und --page N angeben"},
        {"items a.pdf --page 0", 1, "folivo-cli items: ungültige Seitenzahl 0"},
        {"items a.pdf --page --help", 1, "folivo-cli items: ungültige Seitenzahl --help"},
        {"items a.pdf --page", 1, "folivo-cli items: ungültige Angabe --page"},
        {"items a.pdf --zoom 50", 1, "folivo-cli items: ungültige Angabe --zoom"},
        {"items --help", 0, ""},
        {"render a.pdf --page 1", 1, "folivo-cli render: DATEI, --page N (oder --pages A-B) und -o ZIEL.png angeben"},
        {"render a.pdf --page 1 -o ''", 1,
         "folivo-cli render: DATEI, --page N (oder --pages A-B) und -o ZIEL.png angeben"},
        {"render a.pdf --page 1 -o", 1, "folivo-cli render: ungültige Angabe -o"},
        {"render a.pdf --page 1 --json -o x.png", 1, "folivo-cli render: ungültige Angabe --json"},
        {"render a.pdf --page 1 --page 0", 1, "folivo-cli render: ungültige Seitenzahl 0"},
        // After a range, --page is refused under its own name, whatever its value.
        {"render a.pdf --pages 1-2 --page 1", 1, "folivo-cli render: ungültige Seitenzahl --page"},
        {"render a.pdf --page 1 --pages 1-2", 1, "folivo-cli render: ungültiger Seitenbereich --pages"},
        {"render a.pdf --pages 1-2 --pages 1-2", 1, "folivo-cli render: ungültiger Seitenbereich --pages"},
        {"render a.pdf --pages 2-1", 1, "folivo-cli render: ungültiger Seitenbereich 2-1"},
        {"render a.pdf --pages", 1, "folivo-cli render: ungültige Angabe --pages"},
        {"render a.pdf --zoom 9", 1, "folivo-cli render: ungültige Vergrößerung 9"},
        {"render a.pdf --zoom 301", 1, "folivo-cli render: ungültige Vergrößerung 301"},
        {"render a.pdf --zoom", 1, "folivo-cli render: ungültige Angabe --zoom"},
        {"render -h", 0, ""},
        {"save a.pdf", 1, "folivo-cli save: DATEI und -o ZIEL angeben"},
        {"save -o --help", 1, "folivo-cli save: DATEI und -o ZIEL angeben"},
        {"save a.pdf -o", 1, "folivo-cli save: -o braucht einen Wert"},
        {"save a.pdf -o x.pdf --title", 1, "folivo-cli save: --title braucht einen Wert"},
        {"save a.pdf -o x.pdf --font", 1, "folivo-cli save: ungültige Angabe --font"},
        {"save a.pdf -o x.pdf --password", 1, "folivo-cli save: ungültige Angabe --password"},
        {"save a.pdf -o x.pdf --json", 1, "folivo-cli save: ungültige Angabe --json"},
        {"save a.pdf -o x.pdf --", 1, "folivo-cli save: ungültige Angabe --"},
        {"save --version 9 --help", 1, "folivo-cli save: unbekannte Version 9"},
        {"save a.pdf -o x.pdf --encrypt-user u", 1,
         "folivo-cli save: der Kennwortschutz braucht --encrypt-owner KENNWORT"},
        {"save a.pdf -o x.pdf --encrypt-owner ''", 1,
         "folivo-cli save: der Kennwortschutz braucht --encrypt-owner KENNWORT"},
        {"save a.pdf -o x.pdf --encrypt-owner o --decrypt", 1,
         "folivo-cli save: --decrypt und --encrypt-... schließen einander aus"},
        {"save a.pdf -o x.pdf --append --decrypt", 1,
         "folivo-cli save: beim Anhängen (--append) bleiben PDF-Version und Kennwortschutz, wie sie sind; --version, "
         "--encrypt-... und --decrypt gehen nur beim Speichern als neue Datei"},
        {"save a.pdf -o x.pdf --encrypt-owner o --deny print,scan", 1,
         "folivo-cli save: --deny kennt nur print, modify, copy und annotate"},
        {"save --protect --help", 0, ""},
    };
    ScratchFolder folder;
    const std::string output = folder.File("stdout.txt");
    for (const Usage& row : rows) {
        SCOPED_TRACE(row.arguments);
        const ToolRun run =
            RunTool("( " + ShellQuoted(FOLIVO_CLI_PATH) + " " + row.arguments + " 2>&1 >" + ShellQuoted(output) + " )");
        const std::string command = row.arguments.substr(0, row.arguments.find(' '));
        const std::string help = "Aufruf: folivo-cli " + command + " ";
        EXPECT_EQ(run.exitCode, row.status);
        if (row.error.empty()) {
            EXPECT_EQ(run.output, "");
            EXPECT_EQ(ReadBytes(output).rfind(help, 0), 0u);
        } else {
            EXPECT_EQ(FirstLine(run.output), row.error);
            EXPECT_EQ(run.output.substr(row.error.size() + 1, help.size()), help);
            EXPECT_EQ(ReadBytes(output), "");
        }
    }
}

}  // namespace
}  // namespace folivo::test
