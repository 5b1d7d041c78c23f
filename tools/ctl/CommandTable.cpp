// The command table: one row a command with its name, operands, options, help line, the check
// of its operands made before the set is searched, and its handler.
#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/ctl/Arguments.h"
#include "tools/ctl/CommandHandlers.h"
#include "tools/ctl/CommandSupport.h"
#include "tools/ctl/Values.h"
#include "tools/ctl/VoiceFile.h"
#include "tools/ctl/Watch.h"

namespace fonerix::ctl {

namespace {

using Operands = std::vector<std::string>;
using Problem = std::optional<std::string>;

Problem Number(const char* command, const std::string& op, long min, long max, const char* what) {
    if (ParseNumber(op, min, max)) {
        return std::nullopt;
    }
    return std::string(command) + ": " + what + " is a number from " + std::to_string(min) +
           " to " + std::to_string(max) + ", not \"" + op + "\"";
}

Problem PhoneNumber(const char* command, const std::string& op) {
    if (IsPhoneNumber(op)) {
        return std::nullopt;
    }
    return std::string(command) + ": " + kPhoneNumberRule + "; not \"" + op + "\"";
}

Problem CheckProperty(const Operands& ops) {
    if (FindProperty(ops[0]) == nullptr) {
        return "no property \"" + ops[0] + "\"; the properties are " + PropertyNames();
    }
    return std::nullopt;
}

Problem CheckSet(const Operands& ops) {
    if (Problem p = CheckProperty(ops)) {
        return p;
    }
    const MemberInfo* m = FindProperty(ops[0]);
    std::string error;
    if (!PropertyValue(m->name, m->result, ops[1], error)) {
        return error;
    }
    return CheckPropertyValue(m->name, ops[1], Family::Any);
}

Problem CheckDial(const Operands& ops) {
    return PhoneNumber("dial", ops[0]);
}

Problem CheckKey(const Operands& ops) {
    const std::optional<long> code = ParseNumber(ops[0], 1, 64);
    if (!code || (*code > 35 && *code != 64)) {
        return "key: a key code is 1 to 35 or 64, not \"" + ops[0] + "\"";
    }
    return std::nullopt;
}

Problem CheckVoiceGet(const Operands& ops) {
    if (Problem p = Number("voice get", ops[0], 0, 32767, "the handle")) {
        return p;
    }
    const std::filesystem::path folder = std::filesystem::absolute(ops[1]).parent_path();
    if (!std::filesystem::is_directory(folder)) {
        return "voice get: there is no folder " + folder.string();
    }
    return std::nullopt;
}

Problem CheckVoiceDel(const Operands& ops) {
    return Number("voice del", ops[0], 0, 32767, "the handle");
}

Problem CheckVoicePut(const Operands& ops) {
    if (!std::filesystem::is_regular_file(ops[0])) {
        return "voice put: no file " + ops[0];
    }
    if (Problem p = VoiceFileProblem(ops[0])) {
        return "voice put: " + *p;
    }
    return std::nullopt;
}

Problem CheckRedirect(const Operands& ops) {
    return ops.empty() ? std::nullopt : PhoneNumber("redirect", ops[0]);
}

Problem CheckAutoDial(const Operands& ops) {
    if (ops.empty() || ops[0].empty()) {
        return std::nullopt;
    }
    const std::string& list = ops[0];
    for (size_t start = 0; start <= list.size();) {
        const size_t comma = std::min(list.find(',', start), list.size());
        if (!IsPhoneNumber(std::string_view(list).substr(start, comma - start))) {
            return "autodial: the list is numbers separated by commas, not \"" + list + "\"";
        }
        start = comma + 1;
    }
    return std::nullopt;
}

Problem CheckState(const Operands& ops) {
    if (Problem p = Number("state", ops[0], 0, 3, "the register")) {
        return p;
    }
    return ops.size() == 2 ? Number("state", ops[1], 0, 255, "the value") : std::nullopt;
}

constexpr std::array kCommands = {
    CommandSpec{"find", "", 0, 0, "f", "look for the set on COM1 to COM4 and say what it is",
                nullptr, Find},
    CommandSpec{"info", "", 0, 0, "f",
                "read the set's identity again (type, versions, port, speed)", nullptr, Info},
    CommandSpec{"get", "PROPERTY", 1, 1, "", "print one property", CheckProperty, Get},
    CommandSpec{"set", "PROPERTY VALUE", 2, 2, "",
                "change one property (dates \"YYYY-MM-DD HH:MM:SS\", alarm HH:MM)", CheckSet, Set},
    CommandSpec{"props", "", 0, 0, "f", "print every property", nullptr, Props},
    CommandSpec{"sync-clock", "", 0, 0, "", "set the set's clock to this computer's time", nullptr,
                SyncClock},
    CommandSpec{"dial", "NUMBER", 1, 1, "", "dial a number", CheckDial, Dial},
    CommandSpec{"key", "CODE", 1, 1, "", "send a key code (1..35, 64) as if pressed on the set",
                CheckKey, Key},
    CommandSpec{"incoming", "", 0, 0, "f", "list the incoming-call log", nullptr,
                [](Session& s) { return ReadList(s, List::Incoming); }},
    CommandSpec{"outgoing", "", 0, 0, "f", "list the outgoing-call log", nullptr,
                [](Session& s) { return ReadList(s, List::Outgoing); }},
    CommandSpec{"book", "", 0, 0, "f", "list the phone book", nullptr,
                [](Session& s) { return ReadList(s, List::Book); }},
    CommandSpec{"stats", "", 0, 0, "f", "call-time statistics, minutes", nullptr, Stats},
    CommandSpec{"callerid", "", 0, 0, "f",
                "caller-ID query parameters of the line and the parallel telephone", nullptr,
                CallerId},
    CommandSpec{"callerid set", "current|parallel NAME=VALUE...", 2, 6, "",
                "change caller-ID parameters: query-time, query-form, resolution-time, "
                "first-delay, min-digits",
                CheckCallerIdSet, CallerIdSet},
    CommandSpec{"voice get", "HANDLE FILE.wav", 2, 2, "", "save voice message HANDLE as a WAV file",
                CheckVoiceGet, VoiceGet},
    CommandSpec{"voice put", "FILE.wav", 1, 1, "",
                "store a WAV file as a voice message; prints its handle", CheckVoicePut, VoicePut},
    CommandSpec{"voice del", "HANDLE", 1, 1, "", "delete voice message HANDLE", CheckVoiceDel,
                VoiceDel},
    CommandSpec{"voice handles", "", 0, 0, "", "the special message handles kept in the settings",
                nullptr, VoiceHandles},
    CommandSpec{"voice free", "", 0, 0, "", "free voice-message space, seconds", nullptr,
                VoiceFree},
    CommandSpec{"redirect", "[NUMBER]", 0, 1, "", "print or set the redirection number",
                CheckRedirect, Redirect},
    CommandSpec{"autodial", "[LIST]", 0, 1, "",
                "print or set the auto-dial list (numbers separated by commas)", CheckAutoDial,
                AutoDial},
    CommandSpec{"state", "N [VALUE]", 1, 2, "", "read or write state register N", CheckState,
                State},
    CommandSpec{"watch", "", 0, 0, "js", "print the set's events as they come, until Ctrl-C",
                nullptr, Watch},
};

}  // namespace

std::span<const CommandSpec> Commands() {
    return kCommands;
}

const CommandSpec* FindCommand(std::string_view name) {
    const auto* c =
        std::ranges::find_if(kCommands, [&](const CommandSpec& x) { return name == x.name; });
    return c != kCommands.end() ? c : nullptr;
}

}  // namespace fonerix::ctl
