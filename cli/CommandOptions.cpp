#include "cli/CommandOptions.h"

#include <charconv>
#include <utility>

#include "core/Windows1252.h"

namespace folivo::cli {

OptionTable::OptionTable(std::string command, std::string usage, std::ostream& out, std::ostream& err)
    : command_(std::move(command)), usage_(std::move(usage)), out_(out), err_(err)
{
}

void OptionTable::Flag(const std::string& name, bool& target, bool value)
{
    options_.push_back({name, false, MissingValue::Unknown, [&target, value](const std::string&) {
                            target = value;
                            return OptionError();
                        }});
}

void OptionTable::Value(const std::string& name, MissingValue missing,
                        std::function<OptionError(const std::string&)> handle)
{
    options_.push_back({name, true, missing, std::move(handle)});
}

const OptionTable::Option* OptionTable::Find(const std::string& name) const
{
    for (const Option& option : options_) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

std::optional<int> OptionTable::Parse(int argc, char** argv) const
{
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            out_ << usage_;
            return 0;
        }
        const Option* option = Find(argument);
        if (option && option->takesValue && i + 1 >= argc) {
            if (option->missing == MissingValue::Named) return Refuse(argument + " braucht einen Wert");
            option = nullptr;
        }
        if (option) {
            if (const OptionError error = option->handle(option->takesValue ? argv[++i] : "")) return Refuse(*error);
        } else if (positional_ && positional_->empty() && !argument.empty() && argument[0] != '-') {
            *positional_ = argument;
        } else {
            return Refuse("ungültige Angabe " + argument);
        }
    }
    return std::nullopt;
}

int OptionTable::Refuse(const std::string& text) const
{
    err_ << "folivo-cli " << command_ << ": " << text << '\n' << usage_;
    return 1;
}

void AddDocumentOptions(OptionTable& table, CommandOptions& options, bool json)
{
    table.Positional(options.path);
    if (json) table.Flag("--json", options.json);
    table.Flag("--no-images", options.readImages, false);
    table.Value("--font", MissingValue::Unknown, [&options](const std::string& value) -> OptionError {
        const auto font = ParseFontOption(value);
        if (!font) return "ungültige Angabe --font";
        options.font = *font;
        return std::nullopt;
    });
    table.Text("--password", options.password, MissingValue::Unknown);
}

bool ParseWhole(const std::string& text, long& value)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::optional<DisplayFont> ParseFontOption(const std::string& text)
{
    DisplayFont font;
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (parts.front().empty()) return std::nullopt;
    const auto family = Utf8ToWindows1252(parts.front());
    if (!family) return std::nullopt;
    font.family = *family;
    for (size_t i = 1; i < parts.size(); ++i) {
        if (parts[i] == "bold") font.bold = true;
        else if (parts[i] == "italic") font.italic = true;
        else return std::nullopt;
    }
    return font;
}

}  // namespace folivo::cli
