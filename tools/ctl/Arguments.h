#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fonerix::ctl {

enum class OutputFormat { Table, Csv, Json };

struct Session;

// One command: everything about it is in its row of the command table (CommandTable.cpp), so
// that adding a command is adding a row (and writing its handler).
struct CommandSpec {
    // What is wrong with the operands, found without the set, or nullopt when they are good.
    using Check = std::optional<std::string> (*)(const std::vector<std::string>& operands);
    // Runs the command against the set the session found; returns the exit code.
    using Run = int (*)(Session& session);

    const char* name;      // "voice get": a command with its sub-command
    const char* operands;  // for the usage line, e.g. "PROPERTY VALUE"
    int minOperands;
    int maxOperands;
    const char* options;  // which of --format, --json, --seconds it takes: "f", "js", ""
    const char* summary;
    Check check;  // null: any operands within the count
    Run run;
};

std::span<const CommandSpec> Commands();
const CommandSpec* FindCommand(std::string_view name);

struct Invocation {
    const CommandSpec* command = nullptr;  // null with --help or --version alone
    std::vector<std::string> operands;
    OutputFormat format = OutputFormat::Table;
    bool json = false;
    std::optional<int> seconds;
    std::optional<unsigned> port;  // --port: the only COM port searched
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
