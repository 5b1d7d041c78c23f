// The simulator's command language, one command per line, as typed on standard input or sent
// over the control socket. Parsing only: what a command does is up to the program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sim/LineFaults.h"
#include "sim/ListEntries.h"

namespace fonerix::sim {

// call, dialling, key, up, down, parallel-up, end, linked, failed, busy: an event frame.
struct SendEventCommand {
    std::vector<std::uint8_t> frame;
};
// raw: bytes on the line as given.
struct SendRawCommand {
    std::vector<std::uint8_t> bytes;
};
struct FaultCommand {
    FaultSwitch change;
};
struct TraceCommand {
    bool on;
};
struct StatusCommand {};
// record in|out NUMBER [duration=D] [parallel] [flop] [voice=H]: a call in the set's log, at the
// time of the set's clock.
struct RecordCallCommand {
    CallEntry call;
};
// dump lists FILE: what the set's lists hold, written to FILE.
struct DumpListsCommand {
    std::string path;
};
struct QuitCommand {};

using Command = std::variant<SendEventCommand, SendRawCommand, FaultCommand, TraceCommand,
                             StatusCommand, RecordCallCommand, DumpListsCommand, QuitCommand>;

struct ParsedCommand {
    std::optional<Command> command;
    std::string error;  // why the line is not a command, when it is not
};

ParsedCommand ParseCommand(std::string_view line);

}  // namespace fonerix::sim
