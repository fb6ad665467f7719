// How folivo-cli's commands read their arguments: each command fills one table of its options,
// and one loop reads every command's arguments, so help, unknown options and missing values are
// answered the same way everywhere.
#pragma once

#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "pdfwrite/OutlineFontMetrics.h"

namespace folivo::cli {

// What a handler says of its value: nothing when it is taken, else the complaint.
using OptionError = std::optional<std::string>;

// What a value option that ends the arguments is told.
enum class MissingValue {
    Unknown,  // "ungültige Angabe NAME", as for an option the command does not have
    Named,    // "NAME braucht einen Wert"
};

class OptionTable {
public:
    // Help goes to `out`, complaints to `err`.
    OptionTable(std::string command, std::string usage, std::ostream& out = std::cout, std::ostream& err = std::cerr);

    void Flag(const std::string& name, bool& target, bool value = true);
    // The handler sees every value, also one that looks like an option; a repeated option calls
    // it again.
    void Value(const std::string& name, MissingValue missing, std::function<OptionError(const std::string&)> handle);
    // Keeps the value in `target`, a string or an optional one.
    template <typename Target>
    void Text(const std::string& name, Target& target, MissingValue missing)
    {
        Value(name, missing, [&target](const std::string& value) {
            target = value;
            return OptionError();
        });
    }
    // The one argument that is not an option: not empty and not starting with '-'.
    void Positional(std::string& target) { positional_ = &target; }

    // Reads all arguments: nothing when the command goes on, else its exit status (0 after
    // --help or -h, 1 after a complaint). The first argument that fails ends the reading.
    std::optional<int> Parse(int argc, char** argv) const;
    // "folivo-cli COMMAND: TEXT" and the help; returns 1, the status of a wrong call.
    int Refuse(const std::string& text) const;

private:
    struct Option {
        std::string name;
        bool takesValue;
        MissingValue missing;
        std::function<OptionError(const std::string&)> handle;
    };
    const Option* Find(const std::string& name) const;

    std::string command_;
    std::string usage_;
    std::ostream& out_;
    std::ostream& err_;
    std::vector<Option> options_;
    std::string* positional_ = nullptr;
};

// What every document command reads: the file and how to open it.
struct CommandOptions {
    std::string path;
    bool json = false;
    bool readImages = true;
    // Set by commands that need neither pixels nor page items.
    bool interpretPages = true;
    // The password of an encrypted file (UTF-8).
    std::string password;
    // The display font, which text is measured with (and the protection describes).
    DisplayFont font;
};

// The file name, --no-images, --font and --password, and --json for commands that print a report.
void AddDocumentOptions(OptionTable& table, CommandOptions& options, bool json);

// A whole number that is the whole text.
bool ParseWhole(const std::string& text, long& value);

// "FAMILY[,bold][,italic]"; empty when the text has another form.
std::optional<DisplayFont> ParseFontOption(const std::string& text);

}  // namespace folivo::cli
