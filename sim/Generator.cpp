#include "sim/Generator.h"

#include <algorithm>
#include <random>
#include <set>

#include "sim/DeviceFamily.h"
#include "sim/FlashLayout.h"
#include "sim/MemorySide.h"

namespace fonerix::sim {

namespace {

// std::mt19937's output is fixed by the standard, unlike the library's distributions, so the
// arithmetic on it is our own.
class Dice {
  public:
    explicit Dice(std::uint32_t seed) : m_engine(seed) {}
    // Uniform enough in low..high for content that only has to look real.
    unsigned Between(unsigned low, unsigned high) {
        return low + static_cast<unsigned>(m_engine() % (high - low + 1u));
    }
    bool Chance(unsigned percent) { return Between(1, 100) <= percent; }
    std::string Digits(unsigned count) {
        std::string text;
        for (unsigned i = 0; i < count; ++i) {
            text += static_cast<char>('0' + Between(0, 9));
        }
        return text;
    }

  private:
    std::mt19937 m_engine;
};

std::string PhoneNumber(Dice& dice) {
    switch (dice.Between(0, 9)) {
        case 0:  // a small town's five-digit number
            return std::to_string(dice.Between(2, 9)) + dice.Digits(4);
        case 1:
        case 2:  // six digits
            return std::to_string(dice.Between(2, 9)) + dice.Digits(5);
        case 3:
        case 4:
        case 5:  // a city's seven-digit number
            return std::to_string(dice.Between(2, 9)) + dice.Digits(6);
        case 6:
        case 7:  // a mobile: 8 9xx xxx-xx-xx
            return "89" + dice.Digits(9);
        default:  // long distance: 8, a three-digit area code, a seven-digit number
            return "8" + std::to_string(dice.Between(3, 8)) + dice.Digits(2) +
                   std::to_string(dice.Between(2, 9)) + dice.Digits(6);
    }
}

unsigned BookCapacity(int device_type) {
    if (StorageOfType(device_type) == Storage::kMemory) {
        return MemoryPlanOf(MemoryList::kBook).capacity;
    }
    const FlashPlan plan = FlashPlanOf(device_type);
    return plan.book.Count() / 2 * plan.records_per_block;
}

}  // namespace

Scenario GenerateScenario(int device_type, std::uint32_t seed, unsigned count,
                          const CivilTime& now) {
    Dice dice(seed);
    Scenario scenario;
    scenario.type = device_type;
    scenario.clock = now;

    const unsigned capacity = BookCapacity(device_type);
    std::set<unsigned> positions;
    while (positions.size() < std::min(count, capacity)) {
        positions.insert(dice.Between(1, capacity));
    }
    const bool memory = StorageOfType(device_type) == Storage::kMemory;
    for (const unsigned position : positions) {
        scenario.book.push_back(BookEntry{position, PhoneNumber(dice),
                                          static_cast<std::uint8_t>(dice.Between(0, 3)), 0});
    }

    // Seconds before now of every call, oldest first, so that each log is in the order the set
    // recorded it.
    const std::int64_t span = memory ? 27LL * 86400 : 150LL * 86400;
    const std::int64_t now_seconds =
        DaysFromCivil(now.year, now.month, now.day) * 86400 + now.hour * 3600 + now.minute * 60;
    std::vector<std::pair<std::int64_t, CallLog>> moments;
    for (const CallLog log : {CallLog::kOutgoing, CallLog::kIncoming}) {
        for (unsigned i = 0; i < count; ++i) {
            const auto ago =
                static_cast<std::int64_t>(dice.Between(60, static_cast<unsigned>(span)));
            moments.emplace_back(now_seconds - ago, log);
        }
    }
    std::sort(moments.begin(), moments.end());
    for (const auto& [at, log] : moments) {
        CallEntry call;
        call.log = log;
        const CivilTime date = CivilFromDays(at / 86400);
        call.year = date.year;
        call.month = date.month;
        call.day = date.day;
        call.hour = static_cast<int>(at % 86400 / 3600);
        call.minute = static_cast<int>(at % 3600 / 60);
        call.number = PhoneNumber(dice);
        const bool missed = log == CallLog::kIncoming && dice.Chance(30);
        call.duration = missed            ? 0
                        : dice.Chance(90) ? static_cast<std::uint8_t>(dice.Between(1, 15))
                                          : static_cast<std::uint8_t>(dice.Between(16, 90));
        if (memory && log == CallLog::kIncoming) {
            call.duration = 0;  // these sets keep no duration of incoming calls
        }
        if (!memory) {
            call.parallel = dice.Chance(10);
            call.flop = dice.Chance(5);
        }
        scenario.calls.push_back(call);
    }

    CallStatistics statistics;
    statistics.bill_month = static_cast<std::uint8_t>(now.month);
    statistics.current_local = static_cast<std::uint16_t>(dice.Between(0, 600));
    statistics.current_long = static_cast<std::uint16_t>(dice.Between(0, 120));
    statistics.previous_local = static_cast<std::uint16_t>(dice.Between(100, 900));
    statistics.previous_long = static_cast<std::uint16_t>(dice.Between(0, 200));
    scenario.statistics = statistics;

    if (HasListArea(device_type)) {
        scenario.redirection = PhoneNumber(dice);
        const unsigned entries = dice.Between(1, 5);
        for (unsigned i = 0; i < entries; ++i) {
            scenario.autodial.push_back(PhoneNumber(dice));
        }
    }
    return scenario;
}

}  // namespace fonerix::sim
