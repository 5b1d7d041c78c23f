#include "sim/Scenario.h"

#include <charconv>
#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>

#include "sim/DeviceFamily.h"
#include "sim/PhoneDigits.h"

namespace fonerix::sim {

namespace {

// A line that is not what it should be; caught per line and reported with its number.
struct LineError {
    std::string why;
};

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (true) {
        at = line.find_first_not_of(" \t\r", at);
        if (at == std::string_view::npos) {
            return words;
        }
        const std::size_t end = std::min(line.find_first_of(" \t\r", at), line.size());
        words.push_back(line.substr(at, end - at));
        at = end;
    }
}

unsigned Number(std::string_view text, unsigned low, unsigned high, std::string_view what) {
    int base = 10;
    std::string_view digits = text;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    }
    unsigned value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() ||
        value < low || value > high) {
        throw LineError{std::string(what) + " takes a number from " + std::to_string(low) + " to " +
                        std::to_string(high) + ", not '" + std::string(text) + "'"};
    }
    return value;
}

std::string PhoneNumber(std::string_view text) {
    const DigitCodesResult digits = DigitCodesOf(text);
    if (digits.bad_position) {
        throw LineError{"'" + std::string(text) + "' is not a phone number (0-9 F J L P _)"};
    }
    if (digits.codes.empty() || digits.codes.size() > 20) {
        throw LineError{"a phone number has 1 to 20 digits, not " +
                        std::to_string(digits.codes.size())};
    }
    return std::string(text);
}

// Parses "YYYY-MM-DD" and "HH:MM" or "HH:MM:SS".
CivilTime DateTime(std::string_view date, std::string_view time, bool seconds) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char tail = 0;
    const std::string date_text(date);
    const std::string time_text(time);
    if (std::sscanf(date_text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3 ||
        !IsValidDate(year, month, day) || year < 1950 || year > 2049) {
        throw LineError{"'" + date_text + "' is not a date YYYY-MM-DD from 1950 to 2049"};
    }
    const int fields =
        seconds ? std::sscanf(time_text.c_str(), "%2d:%2d:%2d%c", &hour, &minute, &second, &tail)
                : std::sscanf(time_text.c_str(), "%2d:%2d%c", &hour, &minute, &tail);
    if (fields != (seconds ? 3 : 2) || hour > 23 || minute > 59 || second > 59 || hour < 0 ||
        minute < 0 || second < 0) {
        throw LineError{"'" + time_text + "' is not a time " + (seconds ? "HH:MM:SS" : "HH:MM")};
    }
    return CivilTime{year, month, day, hour, minute, second};
}

// name=value options after the fixed words; a bare word is a flag.
class Options {
  public:
    Options(const std::vector<std::string_view>& words, std::size_t from) {
        for (std::size_t i = from; i < words.size(); ++i) {
            const std::size_t equals = words[i].find('=');
            if (equals == std::string_view::npos) {
                m_values[std::string(words[i])] = {};
            } else {
                m_values[std::string(words[i].substr(0, equals))] =
                    std::string(words[i].substr(equals + 1));
            }
        }
    }
    unsigned Get(const std::string& name, unsigned low, unsigned high, unsigned fallback) {
        const auto found = m_values.find(name);
        if (found == m_values.end()) {
            return fallback;
        }
        const std::string value = found->second;
        m_values.erase(found);
        return Number(value, low, high, name);
    }
    bool Flag(const std::string& name) {
        const auto found = m_values.find(name);
        if (found == m_values.end()) {
            return false;
        }
        if (!found->second.empty()) {
            throw LineError{name + " takes no value"};
        }
        m_values.erase(found);
        return true;
    }
    void RefuseOthers() const {
        if (!m_values.empty()) {
            throw LineError{"unknown option '" + m_values.begin()->first + "'"};
        }
    }

  private:
    std::map<std::string, std::string> m_values;
};

void Expect(const std::vector<std::string_view>& words, std::size_t low, std::size_t high,
            std::string_view usage) {
    if (words.size() < low || words.size() > high) {
        throw LineError{"usage: " + std::string(usage)};
    }
}

CallerIdParameters ParseCallerId(Options& options) {
    // The set keeps the times in steps of 2 and 10 ms; a value between steps would not come back
    // as written.
    CallerIdParameters p;
    p.query_time = options.Get("query-time", 10, 250, p.query_time);
    p.query_form = static_cast<std::uint8_t>(options.Get("query-form", 0, 255, p.query_form));
    p.first_delay = options.Get("first-delay", 10, 990, p.first_delay);
    p.min_digits = static_cast<std::uint8_t>(options.Get("min-digits", 0, 5, p.min_digits));
    p.resolution_time = options.Get("resolution-time", 10, 990, p.resolution_time);
    options.RefuseOthers();
    if (p.query_time % 2 != 0 || p.first_delay % 10 != 0 || p.resolution_time % 10 != 0) {
        throw LineError{"query-time is kept in steps of 2 ms, the delays in steps of 10 ms"};
    }
    return p;
}

void ParseLine(const std::vector<std::string_view>& words, Scenario& s) {
    const std::string_view verb = words[0];
    if (verb == "type") {
        Expect(words, 2, 2, "type N");
        s.type = static_cast<int>(Number(words[1], kLowestDeviceType, kHighestDeviceType, "type"));
    } else if (verb == "clock") {
        Expect(words, 2, 3, "clock YYYY-MM-DD HH:MM:SS, or clock now");
        if (words.size() == 2 && words[1] == "now") {
            s.clock_now = true;
            s.clock.reset();
        } else if (words.size() == 3) {
            s.clock = DateTime(words[1], words[2], true);
            s.clock_now = false;
        } else {
            throw LineError{"usage: clock YYYY-MM-DD HH:MM:SS, or clock now"};
        }
    } else if (verb == "setting") {
        Expect(words, 3, 3, "setting NAME VALUE");
        s.settings.emplace_back(std::string(words[1]),
                                static_cast<std::uint8_t>(Number(words[2], 0, 255, "setting")));
    } else if (verb == "register") {
        Expect(words, 3, 3, "register N VALUE");
        const auto reg = static_cast<std::uint8_t>(Number(words[1], 1, 255, "register"));
        s.registers.emplace_back(reg,
                                 static_cast<std::uint8_t>(Number(words[2], 0, 255, "a value")));
    } else if (verb == "callerid") {
        Expect(words, 2, 7, "callerid current|parallel name=value...");
        Options options(words, 2);
        if (words[1] == "current") {
            s.current_caller_id = ParseCallerId(options);
        } else if (words[1] == "parallel") {
            s.parallel_caller_id = ParseCallerId(options);
        } else {
            throw LineError{"callerid takes current or parallel"};
        }
    } else if (verb == "statistics") {
        Options options(words, 1);
        CallStatistics t;
        t.bill_month = static_cast<std::uint8_t>(options.Get("month", 0, 255, t.bill_month));
        t.current_local = static_cast<std::uint16_t>(options.Get("local", 0, 65535, 0));
        t.current_long = static_cast<std::uint16_t>(options.Get("long", 0, 65535, 0));
        t.previous_local = static_cast<std::uint16_t>(options.Get("previous-local", 0, 65535, 0));
        t.previous_long = static_cast<std::uint16_t>(options.Get("previous-long", 0, 65535, 0));
        options.RefuseOthers();
        s.statistics = t;
    } else if (verb == "book") {
        Expect(words, 3, 5, "book POSITION NUMBER [rank=R] [voice=H]");
        BookEntry entry;
        entry.position = Number(words[1], 1, 255, "a phone-book position");
        entry.number = PhoneNumber(words[2]);
        Options options(words, 3);
        entry.rank = static_cast<std::uint8_t>(options.Get("rank", 0, 255, 0));
        entry.voice = static_cast<std::uint16_t>(options.Get("voice", 0, 65535, 0));
        options.RefuseOthers();
        s.book.push_back(entry);
    } else if (verb == "out" || verb == "in") {
        Expect(words, 4, 8,
               std::string(verb) +
                   " YYYY-MM-DD HH:MM NUMBER [duration=D] [parallel] [flop] "
                   "[voice=H]");
        CallEntry call;
        call.log = verb == "out" ? CallLog::kOutgoing : CallLog::kIncoming;
        const CivilTime at = DateTime(words[1], words[2], false);
        call.year = at.year;
        call.month = at.month;
        call.day = at.day;
        call.hour = at.hour;
        call.minute = at.minute;
        call.number = PhoneNumber(words[3]);
        Options options(words, 4);
        call.duration = static_cast<std::uint8_t>(options.Get("duration", 0, 255, 0));
        call.parallel = options.Flag("parallel");
        call.flop = options.Flag("flop");
        call.voice = static_cast<std::uint16_t>(options.Get("voice", 0, 65535, 0));
        options.RefuseOthers();
        s.calls.push_back(call);
    } else if (verb == "redirection") {
        Expect(words, 2, 2, "redirection NUMBER");
        s.redirection = PhoneNumber(words[1]);
    } else if (verb == "autodial") {
        Expect(words, 2, 2, "autodial NUMBER");
        s.autodial.push_back(PhoneNumber(words[1]));
    } else if (verb == "map-block") {
        Expect(words, 2, 2, "map-block 0|1|none");
        if (words[1] == "none") {
            s.no_map = true;
            s.map_block.reset();
        } else {
            s.map_block = static_cast<std::uint16_t>(Number(words[1], 0, 1, "map-block"));
            s.no_map = false;
        }
    } else if (verb == "map-byte") {
        Expect(words, 3, 3, "map-byte N VALUE");
        s.map_bytes.emplace_back(static_cast<std::uint8_t>(Number(words[1], 0, 24, "map-byte")),
                                 static_cast<std::uint8_t>(Number(words[2], 0, 255, "a value")));
    } else if (verb == "flash-bytes") {
        Expect(words, 5, 5 + 255, "flash-bytes BLOCK PAGE COLUMN HEX...");
        Scenario::FlashBytes poke{static_cast<std::uint16_t>(Number(words[1], 0, 1023, "block")),
                                  static_cast<std::uint8_t>(Number(words[2], 0, 63, "page")),
                                  static_cast<std::uint8_t>(Number(words[3], 0, 255, "column")),
                                  {}};
        for (std::size_t i = 4; i < words.size(); ++i) {
            poke.bytes.push_back(
                static_cast<std::uint8_t>(Number("0x" + std::string(words[i]), 0, 255, "a byte")));
        }
        s.flash_bytes.push_back(std::move(poke));
    } else if (verb == "memory") {
        Expect(words, 3, 3, "memory ADDRESS VALUE");
        s.memory.emplace_back(static_cast<std::uint16_t>(Number(words[1], 0, 0x1FFE, "memory")),
                              static_cast<std::uint8_t>(Number(words[2], 0, 255, "a value")));
    } else if (verb == "settings-block") {
        Expect(words, 2, 2, "settings-block N");
        s.settings_block = static_cast<std::uint16_t>(Number(words[1], 0, 1023, "settings-block"));
    } else if (verb == "settings-copies") {
        Expect(words, 2, 2, "settings-copies N");
        s.settings_copies = Number(words[1], 1, 64, "settings-copies");
    } else if (verb == "lose-book-block") {
        Expect(words, 2, 2, "lose-book-block N");
        s.lost_book_block = Number(words[1], 0, 255, "lose-book-block");
    } else if (verb == "voice") {
        Expect(words, 2, 3, "voice FILE [special=1|2]");
        Options options(words, 2);
        Scenario::VoiceMessage message;
        message.file = std::string(words[1]);
        message.special = options.Get("special", 1, 2, 0);
        options.RefuseOthers();
        s.voice.push_back(std::move(message));
    } else {
        throw LineError{"unknown item '" + std::string(verb) + "'"};
    }
}

std::string Two(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string CallerIdText(const CallerIdParameters& p) {
    return " query-time=" + std::to_string(p.query_time) +
           " query-form=" + std::to_string(p.query_form) +
           " first-delay=" + std::to_string(p.first_delay) +
           " min-digits=" + std::to_string(p.min_digits) +
           " resolution-time=" + std::to_string(p.resolution_time);
}

}  // namespace

ParsedScenario ParseScenario(std::string_view text) {
    Scenario scenario;
    std::size_t line_number = 0;
    while (!text.empty()) {
        ++line_number;
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        line = line.substr(0, std::min(line.find('#'), line.size()));
        const std::vector<std::string_view> words = Words(line);
        if (words.empty()) {
            continue;
        }
        try {
            ParseLine(words, scenario);
        } catch (const LineError& error) {
            return {std::nullopt, "line " + std::to_string(line_number) + ": " + error.why};
        }
    }
    return {std::move(scenario), {}};
}

std::string ScenarioText(const Scenario& s) {
    std::string text;
    const auto line = [&text](const std::string& item) { text += item + "\n"; };
    if (s.type) {
        line("type " + std::to_string(*s.type));
    }
    if (s.clock_now) {
        line("clock now");
    } else if (s.clock) {
        const CivilTime& c = *s.clock;
        line("clock " + std::to_string(c.year) + "-" + Two(c.month) + "-" + Two(c.day) + " " +
             Two(c.hour) + ":" + Two(c.minute) + ":" + Two(c.second));
    }
    for (const auto& [name, value] : s.settings) {
        line("setting " + name + " " + std::to_string(value));
    }
    for (const auto& [reg, value] : s.registers) {
        line("register " + std::to_string(reg) + " " + std::to_string(value));
    }
    if (s.current_caller_id) {
        line("callerid current" + CallerIdText(*s.current_caller_id));
    }
    if (s.parallel_caller_id) {
        line("callerid parallel" + CallerIdText(*s.parallel_caller_id));
    }
    if (s.statistics) {
        const CallStatistics& t = *s.statistics;
        line("statistics month=" + std::to_string(t.bill_month) + " local=" +
             std::to_string(t.current_local) + " long=" + std::to_string(t.current_long) +
             " previous-local=" + std::to_string(t.previous_local) +
             " previous-long=" + std::to_string(t.previous_long));
    }
    if (s.no_map) {
        line("map-block none");
    } else if (s.map_block) {
        line("map-block " + std::to_string(*s.map_block));
    }
    for (const auto& [index, value] : s.map_bytes) {
        line("map-byte " + std::to_string(index) + " " + std::to_string(value));
    }
    for (const Scenario::FlashBytes& poke : s.flash_bytes) {
        std::string bytes;
        for (const std::uint8_t byte : poke.bytes) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", byte);
            bytes += hex;
        }
        line("flash-bytes " + std::to_string(poke.block) + " " + std::to_string(poke.page) + " " +
             std::to_string(poke.column) + bytes);
    }
    for (const auto& [address, value] : s.memory) {
        line("memory " + std::to_string(address) + " " + std::to_string(value));
    }
    if (s.settings_block) {
        line("settings-block " + std::to_string(*s.settings_block));
    }
    if (s.settings_copies != 1) {
        line("settings-copies " + std::to_string(s.settings_copies));
    }
    if (s.lost_book_block) {
        line("lose-book-block " + std::to_string(*s.lost_book_block));
    }
    for (const BookEntry& e : s.book) {
        line("book " + std::to_string(e.position) + " " + e.number +
             " rank=" + std::to_string(e.rank) + " voice=" + std::to_string(e.voice));
    }
    for (const CallEntry& c : s.calls) {
        line(std::string(c.log == CallLog::kOutgoing ? "out " : "in ") + std::to_string(c.year) +
             "-" + Two(c.month) + "-" + Two(c.day) + " " + Two(c.hour) + ":" + Two(c.minute) + " " +
             c.number + " duration=" + std::to_string(c.duration) +
             (c.parallel ? " parallel" : "") + (c.flop ? " flop" : "") +
             " voice=" + std::to_string(c.voice));
    }
    if (s.redirection) {
        line("redirection " + *s.redirection);
    }
    for (const std::string& number : s.autodial) {
        line("autodial " + number);
    }
    for (const Scenario::VoiceMessage& message : s.voice) {
        line("voice " + message.file +
             (message.special != 0 ? " special=" + std::to_string(message.special) : ""));
    }
    return text;
}

}  // namespace fonerix::sim
