#include "sim/Commands.h"

#include <algorithm>
#include <charconv>

#include "sim/EventFrames.h"
#include "sim/PhoneDigits.h"
#include "sim/WireCodes.h"

namespace fonerix::sim {

namespace {

struct EventWord {
    std::string_view word;
    std::uint8_t code;
};

constexpr EventWord kEventWords[] = {
    {"end", wire::kEventEndOfCall},         {"linked", wire::kEventAutoDialLinked},
    {"failed", wire::kEventAutoDialFailed}, {"up", wire::kEventHandsetUp},
    {"down", wire::kEventHandsetDown},      {"parallel-up", wire::kEventParallelHandsetUp},
    {"busy", wire::kEventAutoDialBusy},
};

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (true) {
        at = line.find_first_not_of(" \t\r\n", at);
        if (at == std::string_view::npos) {
            return words;
        }
        const std::size_t end = std::min(line.find_first_of(" \t\r\n", at), line.size());
        words.push_back(line.substr(at, end - at));
        at = end;
    }
}

ParsedCommand Error(std::string why) {
    return {std::nullopt, std::move(why)};
}
ParsedCommand Ok(Command command) {
    return {std::move(command), {}};
}

ParsedCommand ParseNumberEvent(std::string_view verb, std::uint8_t code,
                               const std::vector<std::string_view>& words) {
    if (words.size() > 2) {
        return Error(std::string(verb) + " takes one number without spaces");
    }
    const std::string_view number = words.size() == 2 ? words[1] : std::string_view{};
    const DigitCodesResult digits = DigitCodesOf(number);
    if (digits.bad_position) {
        return Error("'" + std::string(1, number[*digits.bad_position]) +
                     "' is not a phone-number character (0-9 F J L P _)");
    }
    if (digits.codes.size() > wire::kMaxNumberDigits) {
        return Error("a number has at most " + std::to_string(wire::kMaxNumberDigits) +
                     " digits; use raw for longer frames");
    }
    return Ok(SendEventCommand{NumberEventFrame(code, digits.codes)});
}

ParsedCommand ParseKey(const std::vector<std::string_view>& words) {
    unsigned key = 0;
    if (words.size() == 2) {
        const std::string_view text = words[1];
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), key);
        if (error == std::errc{} && end == text.data() + text.size() && wire::IsKeyCode(key)) {
            return Ok(SendEventCommand{CodeEventFrame(static_cast<std::uint8_t>(key))});
        }
    }
    return Error("key takes a key code: 1 to 35, or 64");
}

ParsedCommand ParseRaw(const std::vector<std::string_view>& words) {
    if (words.size() < 2) {
        return Error("raw takes one or more hexadecimal bytes");
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i < words.size(); ++i) {
        std::string_view text = words[i];
        if (text.starts_with("0x") || text.starts_with("0X")) {
            text.remove_prefix(2);
        }
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(text.data(), text.data() + text.size(), value, 16);
        if (text.empty() || text.size() > 2 || error != std::errc{} ||
            end != text.data() + text.size()) {
            return Error("'" + std::string(words[i]) + "' is not a hexadecimal byte");
        }
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return Ok(SendRawCommand{std::move(bytes)});
}

ParsedCommand ParseFault(const std::vector<std::string_view>& words) {
    if (words.size() != 3) {
        return Error("fault takes a fault and a value, e.g. 'fault drop 7' or 'fault echo on'");
    }
    FaultSwitchResult result = ParseFaultSwitch(words[1], words[2]);
    if (!result.change) {
        return Error(std::move(result.error));
    }
    return Ok(FaultCommand{*result.change});
}

ParsedCommand ParseTrace(const std::vector<std::string_view>& words) {
    if (words.size() == 2 && (words[1] == "on" || words[1] == "off")) {
        return Ok(TraceCommand{words[1] == "on"});
    }
    return Error("trace takes on or off");
}

ParsedCommand ParseRecord(const std::vector<std::string_view>& words) {
    constexpr const char* kUsage =
        "usage: record in|out NUMBER [duration=D] [parallel] [flop] [voice=H]";
    if (words.size() < 3 || (words[1] != "in" && words[1] != "out")) {
        return Error(kUsage);
    }
    CallEntry call;
    call.log = words[1] == "out" ? CallLog::kOutgoing : CallLog::kIncoming;
    const DigitCodesResult digits = DigitCodesOf(words[2]);
    if (digits.bad_position || digits.codes.empty() ||
        digits.codes.size() > wire::kMaxNumberDigits) {
        return Error("'" + std::string(words[2]) + "' is not a phone number of 1 to 20 digits");
    }
    call.number = std::string(words[2]);
    for (std::size_t i = 3; i < words.size(); ++i) {
        const std::string_view word = words[i];
        unsigned value = 0;
        const auto number = [&value](std::string_view text, unsigned high) {
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), value);
            return !text.empty() && error == std::errc{} && end == text.data() + text.size() &&
                   value <= high;
        };
        if (word == "parallel") {
            call.parallel = true;
        } else if (word == "flop") {
            call.flop = true;
        } else if (word.starts_with("duration=") && number(word.substr(9), 255)) {
            call.duration = static_cast<std::uint8_t>(value);
        } else if (word.starts_with("voice=") && number(word.substr(6), 65535)) {
            call.voice = static_cast<std::uint16_t>(value);
        } else {
            return Error(kUsage);
        }
    }
    return Ok(RecordCallCommand{call});
}

ParsedCommand WithoutArguments(const std::vector<std::string_view>& words, Command command) {
    if (words.size() != 1) {
        return Error(std::string(words[0]) + " takes no arguments");
    }
    return Ok(std::move(command));
}

}  // namespace

ParsedCommand ParseCommand(std::string_view line) {
    const std::vector<std::string_view> words = Words(line);
    if (words.empty()) {
        return Error("empty command");
    }
    const std::string_view verb = words[0];
    if (verb == "call") {
        return ParseNumberEvent(verb, wire::kEventIncomingCall, words);
    }
    if (verb == "dialling") {
        return ParseNumberEvent(verb, wire::kEventParallelDialling, words);
    }
    if (verb == "key") {
        return ParseKey(words);
    }
    for (const EventWord& event : kEventWords) {
        if (verb == event.word) {
            return WithoutArguments(words, SendEventCommand{CodeEventFrame(event.code)});
        }
    }
    if (verb == "raw") {
        return ParseRaw(words);
    }
    if (verb == "fault") {
        return ParseFault(words);
    }
    if (verb == "trace") {
        return ParseTrace(words);
    }
    if (verb == "status") {
        return WithoutArguments(words, StatusCommand{});
    }
    if (verb == "record") {
        return ParseRecord(words);
    }
    if (verb == "dump") {
        if (words.size() != 3 || words[1] != "lists") {
            return Error("usage: dump lists FILE");
        }
        return Ok(DumpListsCommand{std::string(words[2])});
    }
    if (verb == "quit") {
        return WithoutArguments(words, QuitCommand{});
    }
    return Error("unknown command '" + std::string(verb) + "'");
}

}  // namespace fonerix::sim
