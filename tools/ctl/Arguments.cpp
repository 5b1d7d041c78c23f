#include "tools/ctl/Arguments.h"

#include <charconv>

namespace fonerix::ctl {

namespace {

const std::vector<CommandSpec> kCommands = {
    {"find", "", 0, 0, "f", "look for the set on COM1 to COM4 and say what it is"},
    {"info", "", 0, 0, "f", "read the set's identity again (type, versions, port, speed)"},
    {"get", "PROPERTY", 1, 1, "", "print one property"},
    {"set", "PROPERTY VALUE", 2, 2, "",
     "change one property (dates \"YYYY-MM-DD HH:MM:SS\", alarm HH:MM)"},
    {"props", "", 0, 0, "f", "print every property"},
    {"sync-clock", "", 0, 0, "", "set the set's clock to this computer's time"},
    {"dial", "NUMBER", 1, 1, "", "dial a number"},
    {"key", "CODE", 1, 1, "", "send a key code (1..35, 64) as if pressed on the set"},
    {"incoming", "", 0, 0, "f", "list the incoming-call log"},
    {"outgoing", "", 0, 0, "f", "list the outgoing-call log"},
    {"book", "", 0, 0, "f", "list the phone book"},
    {"stats", "", 0, 0, "f", "call-time statistics, minutes"},
    {"callerid", "", 0, 0, "f",
     "caller-ID query parameters of the line and the parallel telephone"},
    {"callerid set", "current|parallel NAME=VALUE...", 2, 6, "",
     "change caller-ID parameters: query-time, query-form, resolution-time, first-delay, "
     "min-digits"},
    {"voice get", "HANDLE FILE.wav", 2, 2, "", "save voice message HANDLE as a WAV file"},
    {"voice put", "FILE.wav", 1, 1, "", "store a WAV file as a voice message; prints its handle"},
    {"voice del", "HANDLE", 1, 1, "", "delete voice message HANDLE"},
    {"voice handles", "", 0, 0, "", "the special message handles kept in the settings"},
    {"voice free", "", 0, 0, "", "free voice-message space, seconds"},
    {"redirect", "[NUMBER]", 0, 1, "", "print or set the redirection number"},
    {"autodial", "[LIST]", 0, 1, "",
     "print or set the auto-dial list (numbers separated by commas)"},
    {"state", "N [VALUE]", 1, 2, "", "read or write state register N"},
    {"watch", "", 0, 0, "js", "print the set's events as they come, until Ctrl-C"},
};

// Commands that only name a group; the word after them picks the command.
bool IsGroup(std::string_view word) {
    return word == "voice";
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

const std::vector<CommandSpec>& Commands() {
    return kCommands;
}

const CommandSpec* FindCommand(std::string_view name) {
    for (const CommandSpec& c : kCommands) {
        if (name == c.name) {
            return &c;
        }
    }
    return nullptr;
}

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
            r.error =
                "there is no --port: the control searches COM1 to COM4; choose the ports "
                "with FONERIX_COM1..FONERIX_COM4 or ~/.config/fonerix/ports.conf";
            return r;
        } else {
            r.error = "unknown option " + name;
            return r;
        }
        if (value && name != "--format" && name != "--seconds") {
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
    std::string commandName = words[0];
    size_t operandsFrom = 1;
    if (IsGroup(words[0])) {
        if (words.size() < 2) {
            if (inv.help) {
                return r;  // general help
            }
            r.error = "\"voice\" needs one of get, put, del, handles, free";
            return r;
        }
        commandName += " " + words[1];
        operandsFrom = 2;
    } else if (words[0] == "callerid" && words.size() >= 2 && words[1] == "set") {
        commandName = "callerid set";
        operandsFrom = 2;
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
        "registered (fonerix-regsvr libfonerix.so); each command that needs the set first looks\n"
        "for it on COM1 to COM4 (FONERIX_COM<n>, ~/.config/fonerix/ports.conf, /dev/ttyS<n-1>).\n\n"
        "Commands:\n";
    for (const CommandSpec& c : kCommands) {
        std::string left = "  " + std::string(c.name);
        if (*c.operands != '\0') {
            left += " " + std::string(c.operands);
        }
        left.resize(std::max<size_t>(left.size() + 1, 34), ' ');
        text += left + c.summary + "\n";
    }
    text +=
        "\nOptions: --format table|csv|json (lists, props, stats, find, info), --json and\n"
        "--seconds N (watch).\n"
        "Exit codes: 0 ok, 1 the operation failed, 2 bad arguments, 3 no set found,\n"
        "4 the set stopped answering, 5 the control is not registered or cannot be created.\n";
    return text;
}

}  // namespace fonerix::ctl
