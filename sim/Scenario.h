// What a simulated set holds when it is made: a scenario file, or a generated scenario.
//
// A scenario file is plain text, one item a line; '#' starts a comment. Values are decimal, or
// hexadecimal with 0x. Calls are recorded in the order they appear, each log on its own.
//
//   type 5                                  the device type (optional; --type may give it)
//   clock 2026-12-09 23:58:00 | clock now   the set's clock (a fresh set's reads 2000-01-01)
//   setting NumLength 6                     a register setting by the host's property name
//   register 0x50 3                         any register by number
//   callerid current|parallel query-time=80 query-form=0x34 first-delay=300 min-digits=3
//            resolution-time=500            caller-ID query parameters (on one line)
//   statistics month=12 local=120 long=30 previous-local=200 previous-long=45
//   book 3 84951234567 rank=2 voice=0       a phone-book entry at the set's slot 3 (1-based)
//   out 2026-11-30 14:05 2345678 duration=12 parallel flop voice=40
//   in 2026-12-01 09:15 89161234567 duration=3
//   redirection 89031112233                 types 7 and 8
//   autodial 2345678                        types 7 and 8, at most 11
//   map-block 1                             flash: the map page in block 1 instead of block 0;
//                                           map-block none: no map page at all
//   map-byte 8 40                           flash: a map byte (0..24) that lies about the areas
//   memory 0x0009 0x1F                      a memory byte, put last (not the type byte)
//   flash-bytes 14 0 3 00 01 02             raw flash bytes at block, page, column, put last as
//                                           they are (e.g. a group of three different bytes)
//   settings-block 21                       flash: where the settings copies are kept
//   settings-copies 3                       flash: how many copies the settings block has
//   lose-book-block 1                       flash: the first-half phone-book block 1 (0-based)
//                                           keeps nothing; only its partner has its entries
//   voice greeting.wav special=1            flash: a voice message recorded from an 8-bit mono
//                                           WAV file (relative to the scenario file), optionally
//                                           made the first or second special message
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/ListEntries.h"
#include "sim/SetClock.h"

namespace fonerix::sim {

struct Scenario {
    std::optional<int> type;
    std::optional<CivilTime> clock;
    bool clock_now = false;
    std::vector<std::pair<std::string, std::uint8_t>> settings;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> registers;
    std::optional<CallerIdParameters> current_caller_id;
    std::optional<CallerIdParameters> parallel_caller_id;
    std::optional<CallStatistics> statistics;
    std::vector<BookEntry> book;
    std::vector<CallEntry> calls;
    std::optional<std::string> redirection;
    std::vector<std::string> autodial;
    std::optional<std::uint16_t> map_block;
    bool no_map = false;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> map_bytes;
    std::vector<std::pair<std::uint16_t, std::uint8_t>> memory;
    struct FlashBytes {
        std::uint16_t block;
        std::uint8_t page;
        std::uint8_t column;
        std::vector<std::uint8_t> bytes;
        bool operator==(const FlashBytes&) const = default;
    };
    std::vector<FlashBytes> flash_bytes;
    std::optional<std::uint16_t> settings_block;
    unsigned settings_copies = 1;
    std::optional<unsigned> lost_book_block;
    struct VoiceMessage {
        std::string file;
        unsigned special = 0;           // 1 or 2: the settings name it as that special message
        std::vector<std::uint8_t> wav;  // the file's bytes, once the caller has read it
        bool operator==(const VoiceMessage&) const = default;
    };
    std::vector<VoiceMessage> voice;
    bool operator==(const Scenario&) const = default;
};

struct ParsedScenario {
    std::optional<Scenario> scenario;
    std::string error;  // "line N: why" when the text is not a scenario
};

ParsedScenario ParseScenario(std::string_view text);

// The scenario as a scenario file, for reference and for the generator's output.
std::string ScenarioText(const Scenario& scenario);

}  // namespace fonerix::sim
