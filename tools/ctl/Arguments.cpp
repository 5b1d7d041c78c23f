#include "tools/ctl/Arguments.h"

#include <charconv>

#include "tools/probe/PortDiagnosis.h"

namespace fonerix::ctl {

namespace {

// The sub-commands of `word` when it only names a group ("voice"): "get, put, ...", or empty.
std::string GroupMembers(std::string_view word) {
    std::string members;
    for (const CommandSpec& c : Commands()) {
        const std::string_view name = c.name;
        if (name.size() > word.size() && name.starts_with(word) && name[word.size()] == ' ') {
            members += (members.empty() ? "" : ", ") + std::string(name.substr(word.size() + 1));
        }
    }
    return members;
}

std::optional<int> ParseCount(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value <= 0) {
        return std::nullopt;
    }
    return value;
}

bool Takes(const CommandSpec* command, char option) {
    return command != nullptr &&
           std::string_view(command->options).find(option) != std::string_view::npos;
}

}  // namespace

ParseResult ParseArguments(const std::vector<std::string>& args) {
    ParseResult r;
    Invocation& inv = r.invocation;
    std::vector<std::string> words;
    bool optionsEnded = false;
    std::optional<std::string> format;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-' || (a[1] >= '0' && a[1] <= '9')) {
            words.push_back(a);  // "-1" is a value, not an option
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = a;
        std::optional<std::string> value;
        if (const auto eq = a.find('='); a.starts_with("--") && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        }
        auto takeValue = [&]() -> bool {
            if (value) {
                return true;
            }
            if (i + 1 >= args.size()) {
                r.error = name + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        if (name == "--help" || name == "-h") {
            inv.help = true;
        } else if (name == "--version" || name == "-V") {
            inv.version = true;
        } else if (name == "--json") {
            inv.json = true;
        } else if (name == "--format") {
            if (!takeValue()) {
                return r;
            }
            format = *value;
        } else if (name == "--seconds") {
            if (!takeValue()) {
                return r;
            }
            inv.seconds = ParseCount(*value);
            if (!inv.seconds) {
                r.error =
                    "--seconds takes a whole number of seconds above 0, not \"" + *value + "\"";
                return r;
            }
        } else if (name == "--port") {
            if (!takeValue()) {
                return r;
            }
            inv.port = ParseComPort(*value);
            if (!inv.port) {
                r.error = ComPortOptionError(*value);
                return r;
            }
        } else {
            r.error = "unknown option " + name;
            return r;
        }
        if (value && name != "--format" && name != "--seconds" && name != "--port") {
            r.error = name + " takes no value";
            return r;
        }
    }

    if (words.empty()) {
        if (!inv.help && !inv.version) {
            r.error = "no command given";
        }
        return r;
    }
    // A command of two words ("voice get", "callerid set") before one of one word ("callerid").
    std::string commandName = words[0];
    size_t operandsFrom = 1;
    if (words.size() >= 2 && FindCommand(words[0] + " " + words[1]) != nullptr) {
        commandName = words[0] + " " + words[1];
        operandsFrom = 2;
    } else if (FindCommand(words[0]) == nullptr) {
        if (const std::string members = GroupMembers(words[0]); !members.empty()) {
            if (words.size() < 2) {
                if (inv.help) {
                    return r;  // general help
                }
                r.error = "\"" + words[0] + "\" needs one of " + members;
                return r;
            }
            commandName = words[0] + " " + words[1];
        }
    }
    inv.command = FindCommand(commandName);
    if (inv.command == nullptr) {
        r.error = "unknown command \"" + commandName + "\"";
        return r;
    }
    inv.operands.assign(words.begin() + static_cast<std::ptrdiff_t>(operandsFrom), words.end());
    if (inv.help) {
        return r;  // help for the command; its operands do not matter
    }
    const CommandSpec& c = *inv.command;
    const int n = static_cast<int>(inv.operands.size());
    if (n < c.minOperands || n > c.maxOperands) {
        r.error = std::string(c.name) +
                  (n < c.minOperands ? ": missing operand" : ": too many operands") +
                  "; usage: fonerixctl " + c.name + (*c.operands != '\0' ? " " : "") + c.operands;
        return r;
    }
    if (format) {
        if (!Takes(inv.command, 'f')) {
            r.error = std::string(c.name) + " takes no --format";
            return r;
        }
        if (*format == "table") {
            inv.format = OutputFormat::Table;
        } else if (*format == "csv") {
            inv.format = OutputFormat::Csv;
        } else if (*format == "json") {
            inv.format = OutputFormat::Json;
        } else {
            r.error = "--format takes table, csv or json, not \"" + *format + "\"";
            return r;
        }
    }
    if (inv.json && !Takes(inv.command, 'j')) {
        r.error = std::string(c.name) + " takes no --json (use --format json)";
        return r;
    }
    if (inv.seconds && !Takes(inv.command, 's')) {
        r.error = std::string(c.name) + " takes no --seconds";
        return r;
    }
    return r;
}

std::string CommandHelp(const CommandSpec& c) {
    std::string text = "Usage: fonerixctl " + std::string(c.name);
    if (*c.operands != '\0') {
        text += " " + std::string(c.operands);
    }
    if (Takes(&c, 'f')) {
        text += " [--format table|csv|json]";
    }
    if (Takes(&c, 'j')) {
        text += " [--json]";
    }
    if (Takes(&c, 's')) {
        text += " [--seconds N]";
    }
    text += "\n" + std::string(c.summary) + ".\n";
    return text;
}

std::string UsageText() {
    std::string text =
        "Usage: fonerixctl COMMAND [OPERANDS] [OPTIONS]\n"
        "       fonerixctl --help | --version | COMMAND --help\n"
        "A command-line client of the FONERIX control (FONERIX.FonerixCtrl.1). The control must "
        "be\n"
        "registered (fonerix-regsvr libfonerix.so); each command first looks for the set on\n"
        "COM1 to COM4, or with --port N on COM N alone.\n" +
        ComPortRuleText() +
        "\n\n"
        "Commands:\n";
    for (const CommandSpec& c : Commands()) {
        std::string left = "  " + std::string(c.name);
        if (*c.operands != '\0') {
            left += " " + std::string(c.operands);
        }
        left.resize(std::max<size_t>(left.size() + 1, 34), ' ');
        text += left + c.summary + "\n";
    }
    text +=
        "\nOptions: --port N (every command: search COM N alone, 1 to 4), --format\n"
        "table|csv|json (lists, props, stats, find, info, callerid), --json and --seconds N\n"
        "(watch).\n"
        "Exit codes: 0 ok, 1 the operation failed, 2 bad arguments, 3 no set found,\n"
        "4 the set stopped answering, 5 the control is not registered or cannot be created.\n";
    return text;
}

}  // namespace fonerix::ctl
