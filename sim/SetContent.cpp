#include "sim/SetContent.h"

#include <cstdio>
#include <set>
#include <stdexcept>

#include "sim/DeviceFamily.h"
#include "sim/FlashSide.h"
#include "sim/MemorySide.h"
#include "sim/PhoneDigits.h"
#include "sim/RegisterMap.h"
#include "sim/VoiceStore.h"
#include "sim/VoiceWav.h"

namespace fonerix::sim {

namespace {

void Refuse(const std::string& why) {
    throw std::invalid_argument(why);
}

bool Inside(const BlockSpan& span, std::uint16_t block, bool with_spare) {
    const unsigned last = with_spare ? span.alternative_last : span.last;
    return block >= span.Block(span.first) && block <= span.Block(last);
}

void CheckFlashChoices(const Scenario& scenario, FlashPlan& plan) {
    if (scenario.map_block) {
        plan.map_block = *scenario.map_block;
    }
    if (scenario.settings_block) {
        const std::uint16_t block = *scenario.settings_block;
        if (block < plan.settings_first || block > plan.settings_last ||
            Inside(plan.book, block, false) || Inside(plan.incoming, block, true) ||
            Inside(plan.outgoing, block, true) ||
            (plan.has_list && Inside(plan.list, block, false))) {
            Refuse("settings-block " + std::to_string(block) + " is not a free block of " +
                   std::to_string(plan.settings_first) + ".." + std::to_string(plan.settings_last));
        }
        plan.settings_block = block;
    }
    if (scenario.settings_copies > plan.SettingsCopies()) {
        Refuse("a settings block holds at most " + std::to_string(plan.SettingsCopies()) +
               " copies");
    }
    if (scenario.lost_book_block && *scenario.lost_book_block >= plan.book.Count() / 2) {
        Refuse("lose-book-block takes a first-half block from 0 to " +
               std::to_string(plan.book.Count() / 2 - 1));
    }
}

void RefuseFlashOnly(const Scenario& scenario) {
    if (scenario.map_block || scenario.no_map || !scenario.map_bytes.empty() ||
        scenario.settings_block || scenario.settings_copies != 1 || scenario.lost_book_block ||
        !scenario.voice.empty()) {
        Refuse(
            "map-block, map-byte, settings-block, settings-copies, lose-book-block and voice are "
            "for the flash models only");
    }
}

void RefuseDuplicatePositions(const Scenario& scenario) {
    std::set<unsigned> positions;
    for (const BookEntry& entry : scenario.book) {
        if (!positions.insert(entry.position).second) {
            Refuse("phone-book position " + std::to_string(entry.position) + " is given twice");
        }
    }
}

void PutWord(SettingsRecord& settings, std::size_t at, std::uint16_t value) {
    settings[at] = static_cast<std::uint8_t>(value >> 8);
    settings[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

// Every voice block goes into the free chain, then the scenario's messages are recorded from
// it, as the set would have recorded them; the settings name the chain's head and the specials.
void RecordVoice(DeviceStores& stores, const FlashPlan& plan, const Scenario& scenario,
                 SettingsRecord& settings) {
    VoiceStore voice(stores.flash, plan.storage, plan.settings_block);
    std::uint16_t head = voice.FormatFreeChain();
    const bool plain = plan.storage == Storage::kFlash64;
    const unsigned rate = plain ? kPlainVoiceRate : kCodedVoiceRate;
    for (const Scenario::VoiceMessage& message : scenario.voice) {
        VoiceSound sound;
        try {
            sound = ReadVoiceWav(message.wav);
        } catch (const std::invalid_argument& error) {
            Refuse("voice " + message.file + ": " + error.what());
        }
        // The set plays at its own rate; a sound far from it would play at the wrong speed.
        if (sound.rate + 1000 < rate || sound.rate > rate + 1000) {
            Refuse("voice " + message.file + ": the set records at " + std::to_string(rate) +
                   " samples a second, not " + std::to_string(sound.rate));
        }
        try {
            const VoiceStore::Recorded recorded = voice.Record(sound.samples, head);
            head = recorded.free_head;
            if (message.special != 0) {
                PutWord(settings, kSettingsSpecialMessages + 2 * (message.special - 1),
                        recorded.handle);
            }
        } catch (const std::invalid_argument& error) {
            Refuse("voice " + message.file + ": " + error.what());
        }
    }
    PutWord(settings, kSettingsFreeChain, head);
}

// Bytes put in as they are, as if the set's memory or flash had gone bad there.
void PokeMemory(DeviceStores& stores, const Scenario& scenario) {
    for (const auto& [address, value] : scenario.memory) {
        stores.memory.Write(address, value);
    }
    for (const Scenario::FlashBytes& poke : scenario.flash_bytes) {
        std::vector<std::uint8_t> page(stores.flash.Geometry().page_size);
        stores.flash.Read(FlashLocation{poke.block, poke.page, 0}, page);
        if (poke.column + poke.bytes.size() > page.size()) {
            Refuse("flash-bytes run past the end of the page");
        }
        std::copy(poke.bytes.begin(), poke.bytes.end(), page.begin() + poke.column);
        stores.flash.RestorePage(FlashStore::PageKey{poke.block, poke.page}, page);
    }
}

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

std::string Where(const FlashLocation& at) {
    return " block=" + std::to_string(at.block) + " page=" + std::to_string(at.page) +
           " column=" + std::to_string(at.column);
}

std::string Digits(const Record& record) {
    const std::size_t count = std::min<std::size_t>(record[7], kMaxFlashDigits);
    return TextOfDigitCodes(std::span(record).subspan(8, count));
}

std::string Word(const Record& record, std::size_t at) {
    return std::to_string(record[at] << 8 | record[at + 1]);
}

std::string DumpFlash(const DeviceStores& stores, int type) {
    // FlashSide is for writing too; a copy of the few programmed pages keeps the stores as
    // they are.
    FlashStore flash = stores.flash;
    const FlashSide side(flash, FlashPlanOf(type));
    std::string text;
    if (const auto settings = side.CurrentSettings()) {
        const SettingsRecord& r = settings->record;
        char flags[8];
        std::snprintf(flags, sizeof flags, "0x%02X", r[kSettingsAreaFlags]);
        text += "settings" + Where(settings->at) + " callup=" + std::to_string(r[2]) +
                " line-free=" + std::to_string(r[3]) + " area-flags=" + flags + "\n";
    }
    for (const auto& [position, found] : side.BookRecords()) {
        const Record& r = found.record;
        text += "book position=" + std::to_string(position) + " number=" + Digits(r) +
                " rank=" + std::to_string(r[2]) + " voice=" + Word(r, 28) + Where(found.at) + "\n";
    }
    for (const CallLog log : {CallLog::kOutgoing, CallLog::kIncoming}) {
        for (const auto& found : side.LogRecords(log)) {
            const Record& r = found.record;
            text += std::string(log == CallLog::kOutgoing ? "out" : "in") + " number=" + Digits(r) +
                    " year=" + std::to_string(r[6]) + " month=" + std::to_string(r[5]) +
                    " day=" + std::to_string(r[4]) + " hour=" + std::to_string(r[3]) +
                    " minute=" + std::to_string(r[2]) + " duration=" + std::to_string(r[30]) +
                    " parallel=" + std::to_string(r[31] >> 7 & 1) +
                    " flop=" + std::to_string(r[31] >> 6 & 1) + " voice=" + Word(r, 28) +
                    Where(found.at) + "\n";
        }
    }
    if (const auto redirection = side.Redirection()) {
        text += "redirection number=" + Digits(redirection->record) + Where(redirection->at) + "\n";
    }
    unsigned index = 0;
    for (const auto& found : side.AutoDial()) {
        text += "autodial index=" + std::to_string(++index) + " number=" + Digits(found.record) +
                Where(found.at) + "\n";
    }
    if (const auto settings = side.CurrentSettings()) {
        const SettingsRecord& r = settings->record;
        const auto handle = [&r](std::size_t at) {
            return static_cast<std::uint16_t>(r[at] << 8 | r[at + 1]);
        };
        const FlashPlan plan = FlashPlanOf(type);
        const VoiceStore voice(flash, plan.storage, plan.settings_block);
        const VoiceSurvey survey = voice.Survey(handle(kSettingsFreeChain));
        text += "voice handles first=" + std::to_string(handle(kSettingsSpecialMessages)) +
                " second=" + std::to_string(handle(kSettingsSpecialMessages + 2)) +
                " free=" + std::to_string(handle(kSettingsFreeChain)) +
                " further=" + std::to_string(handle(kSettingsFurtherHandle)) + "\n";
        text += "voice free blocks=" + std::to_string(survey.free_blocks) + "\n";
        for (const VoiceMessageInfo& message : survey.messages) {
            text += "voice message handle=" + std::to_string(message.handle) +
                    " blocks=" + std::to_string(message.blocks) +
                    " samples=" + std::to_string(message.samples) + "\n";
        }
    }
    return text;
}

std::string DumpMemory(const DeviceStores& stores) {
    DeviceMemory memory = stores.memory;
    const MemorySide side(memory);
    std::string text;
    for (const auto& found : side.Records(MemoryList::kBook)) {
        text += "book position=" + std::to_string(found.index + 1) +
                " number=" + MemorySide::NumberOf(MemoryList::kBook, found.bytes) +
                " rank=" + std::to_string(found.bytes[0] >> 2 & 3) +
                " address=" + Hex4(found.address) + "\n";
    }
    for (const MemoryList list : {MemoryList::kOutgoing, MemoryList::kIncoming}) {
        for (const auto& found : side.Records(list)) {
            const auto& b = found.bytes;
            text += std::string(list == MemoryList::kOutgoing ? "out" : "in") +
                    " number=" + MemorySide::NumberOf(list, b) + " day=" + std::to_string(b[2]) +
                    " hour=" + std::to_string(b[1]) + " minute=" + std::to_string(b[0]);
            if (list == MemoryList::kOutgoing) {
                text += " duration=" + std::to_string(b[11]);
            }
            text += " address=" + Hex4(found.address) + "\n";
        }
    }
    return text;
}

}  // namespace

DeviceStores BuildSet(int device_type, const Scenario& scenario,
                      std::chrono::system_clock::time_point now) {
    const auto traits = TraitsOfType(device_type);
    if (!traits) {
        Refuse("no set of device type " + std::to_string(device_type));
    }
    if (scenario.type && *scenario.type != device_type) {
        Refuse("the scenario is for a set of type " + std::to_string(*scenario.type) + ", not " +
               std::to_string(device_type));
    }
    DeviceStores stores{RegisterFile{}, DeviceMemory{static_cast<std::uint8_t>(device_type)},
                        FlashStore{}, MillisecondsOf(now)};

    const RegisterMap& map = RegisterMapOf(traits->family);
    for (const NamedRegister& named : map.named) {
        stores.registers.Write(named.reg, named.fresh_value);
    }
    for (const auto& [name, value] : scenario.settings) {
        const auto reg = NamedRegisterOf(traits->family, name);
        if (!reg) {
            Refuse("a set of type " + std::to_string(device_type) + " has no setting " + name);
        }
        stores.registers.Write(*reg, value);
    }
    for (const auto& [reg, value] : scenario.registers) {
        stores.registers.Write(reg, value);
    }
    const CivilTime clock =
        scenario.clock_now ? LocalCivilTime(now) : scenario.clock.value_or(CivilTime{});
    SetClockRegisters(stores.registers, map.clock, clock);

    const CallerIdParameters current = scenario.current_caller_id.value_or(CallerIdParameters{});
    const CallStatistics statistics = scenario.statistics.value_or(CallStatistics{});
    RefuseDuplicatePositions(scenario);
    if (!HasListArea(device_type) && (scenario.redirection || !scenario.autodial.empty())) {
        Refuse("only sets of type 7 and 8 keep a redirection number and an auto-dial list");
    }

    if (StorageOfType(device_type) == Storage::kMemory) {
        RefuseFlashOnly(scenario);
        if (scenario.parallel_caller_id) {
            Refuse("a set of type " + std::to_string(device_type) +
                   " keeps no caller-ID parameters for the parallel telephone");
        }
        MemorySide side(stores.memory);
        side.Format(statistics, current);
        for (const BookEntry& entry : scenario.book) {
            side.PutBookEntry(entry);
        }
        for (const CallEntry& call : scenario.calls) {
            side.AppendCall(call);
        }
        PokeMemory(stores, scenario);
        return stores;
    }

    FlashPlan plan = FlashPlanOf(device_type);
    CheckFlashChoices(scenario, plan);
    if (scenario.autodial.size() > kAutoDialEntries) {
        Refuse("the auto-dial list holds at most " + std::to_string(kAutoDialEntries) + " numbers");
    }
    FlashSide side(stores.flash, plan);
    SettingsRecord settings =
        MakeSettings(stores.registers.Read(*NamedRegisterOf(traits->family, "UtCallup")),
                     stores.registers.Read(*NamedRegisterOf(traits->family, "UtLineFree")), current,
                     scenario.parallel_caller_id.value_or(CallerIdParameters{}), statistics);
    RecordVoice(stores, plan, scenario, settings);
    side.Format(settings);
    for (unsigned copy = 1; copy < scenario.settings_copies; ++copy) {
        side.AppendSettings(settings);
    }
    const unsigned lost = scenario.lost_book_block.value_or(~0u);
    for (const BookEntry& entry : scenario.book) {
        side.PutBookEntry(entry, (entry.position - 1) / plan.records_per_block != lost);
    }
    for (const CallEntry& call : scenario.calls) {
        side.AppendCall(call);
    }
    if (plan.has_list) {
        side.PutLists(scenario.redirection.value_or(""), scenario.autodial);
    }
    if (scenario.no_map) {
        stores.flash.EraseBlock(plan.map_block);
    } else if (!scenario.map_bytes.empty()) {
        // The lists stay where the set keeps them; only the map says otherwise.
        MapBytes areas = side.AreaMap();
        for (const auto& [index, value] : scenario.map_bytes) {
            areas[index] = value;
        }
        side.WriteMap(areas);
    }
    PokeMemory(stores, scenario);
    return stores;
}

std::string DumpLists(const DeviceStores& stores) {
    const int type = stores.memory.DeviceType();
    if (StorageOfType(type) == Storage::kMemory) {
        return DumpMemory(stores);
    }
    return DumpFlash(stores, type);
}

}  // namespace fonerix::sim
