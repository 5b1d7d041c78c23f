#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fonerix::ctl {

enum class OutputFormat { Table, Csv, Json };

// One command of the command line, as --help lists it.
struct CommandSpec {
    const char* name;      // "voice get": a command with its sub-command
    const char* operands;  // for the usage line, e.g. "PROPERTY VALUE"
    int minOperands;
    int maxOperands;
    const char* options;  // which of --format, --json, --seconds it takes: "f", "js", ""
    const char* summary;
};

const std::vector<CommandSpec>& Commands();
const CommandSpec* FindCommand(std::string_view name);

struct Invocation {
    const CommandSpec* command = nullptr;  // null with --help or --version alone
    std::vector<std::string> operands;
    OutputFormat format = OutputFormat::Table;
    bool json = false;
    std::optional<int> seconds;
    bool help = false;
    bool version = false;
};

struct ParseResult {
    Invocation invocation;
    std::string error;  // empty when the command line is good
};

// argv without the program name. Options may stand anywhere after the command; "--" ends them.
ParseResult ParseArguments(const std::vector<std::string>& args);

// The usage text: all commands, or one command's.
std::string UsageText();
std::string CommandHelp(const CommandSpec& command);

}  // namespace fonerix::ctl
