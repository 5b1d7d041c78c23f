// Voice messages of the flash models: what every generation shares (the walks along the block
// chains, the settings handles, the order of the writes), and the layout of types 5 and 6.
//
// Types 5 and 6, a block of 16 pages of 264 raw bytes: page 0 starts with six triple-coded
// header bytes (0, the sound-block tag 0x20, next block high and low, flags, one more), the
// other pages with two (flags, one more); bit 7 of the flags marks the page the message ends on.
// The rest of each page is audio in the 2-bit code, four samples a byte.
#include <algorithm>
#include <cstring>
#include <set>

#include "control/device/ProtocolBytes.h"
#include "control/device/Triples.h"
#include "control/device/ZeltaDevice.h"
#include "control/voice/RiffReader.h"
#include "control/voice/VoiceCodec.h"
#include "control/voice/WavReader.h"
#include "control/voice/WavWriter.h"
#include "platform/automation/Bstr.h"

namespace fonerix {

namespace {

using Hold = WatcherGate::Hold;

// Settings-record bytes of the voice handles, big-endian, in the order GetSoundHandles reports.
constexpr size_t kSettingsFirstSpecial = 16;
constexpr size_t kSettingsSecondSpecial = 18;
constexpr size_t kSettingsFreeHead = 14;
constexpr size_t kSettingsFurther = 30;
constexpr size_t kHandleBytes[4] = {kSettingsFirstSpecial, kSettingsSecondSpecial,
                                    kSettingsFreeHead, kSettingsFurther};

constexpr uint8_t kSoundTag = 0x20;
constexpr uint8_t kLastPage = 0x80;
// A link that names no block: the set reads anything that is not a voice block as the end.
constexpr uint8_t kNoNextHigh = 0x80;
constexpr uint8_t kPages = 16;
constexpr uint8_t kPageRaw = 132;      // a page is read in two halves
constexpr uint8_t kFirstHeadRaw = 18;  // page 0: six header bytes
constexpr uint8_t kHeadRaw = 6;        // other pages: two
constexpr uint8_t kLinkRaw = 12;       // page 0: tag and link
constexpr uint8_t kFirstCoded = 246;   // 984 samples
constexpr uint8_t kCoded = 258 / 2;    // a later page's 258 coded bytes, in two writes
constexpr uint8_t kFirstCodedHalf = 123;

bool IsZeltaHandle(uint16_t block) {
    return (block >= 33 && block <= 255) || (block >= 261 && block <= 511);
}

uint16_t HandleAt(const uint8_t* record, size_t at) {
    return static_cast<uint16_t>(record[at] << 8 | record[at + 1]);
}

void PutHandle(uint8_t* record, size_t at, uint16_t handle) {
    record[at] = static_cast<uint8_t>(handle >> 8);
    record[at + 1] = static_cast<uint8_t>(handle & 0xFF);
}

// Takes up to `count` samples; a page the message ends inside is filled with silence, so that
// the set plays nothing after the end. False when the file could not be read.
bool TakeSamples(VoiceWavReader& in, uint8_t* samples, size_t count, bool& last) {
    const size_t wanted = std::min<size_t>(count, in.Remaining());
    const size_t got = in.Read(samples, wanted);
    std::memset(samples + got, 128, count - got);
    last = in.Remaining() == 0;
    return got == wanted;
}

}  // namespace

const CZeltaDevice::VoiceLayout& CZeltaDevice::Voice() const {
    static constexpr VoiceLayout kLayout{
        .rate = kZeltaVoiceRate,
        .window = kZeltaRateWindow,
        .samplesPerBlock = 984 + 15 * 1032,
        .secondsTimesFour = 6,  // 1.5 s
        .isHandle = IsZeltaHandle,
        .voiceBlocks = (255 - 33 + 1) + (511 - 261 + 1),
        .lowestLow = 0x21,
        .lowReplacement = 0x22,
    };
    return kLayout;
}

bool CZeltaDevice::WalkVoiceChain(uint16_t first, std::vector<uint16_t>& chain,
                                  std::vector<VoiceHead>& heads, uint32_t limit) {
    const VoiceLayout& v = Voice();
    chain.clear();
    heads.clear();
    std::set<uint16_t> seen;
    std::optional<uint16_t> at = first;
    while (at && chain.size() < std::min(limit, v.voiceBlocks)) {
        VoiceHead head;
        // A block met again: the chain loops.
        if (!v.isHandle(*at) || !seen.insert(*at).second || !ReadVoiceHead(*at, head)) {
            return false;
        }
        chain.push_back(*at);
        heads.push_back(head);
        at = head.next;
    }
    return !at || chain.size() == limit;
}

bool CZeltaDevice::GetSoundMessage(int16_t handle, const std::u16string& fileName) {
    const VoiceLayout& v = Voice();
    const auto first = static_cast<uint16_t>(handle);
    if (!v.isHandle(first)) {
        return false;
    }
    FileWavSink sink;
    if (!sink.Create(Utf8FromUtf16(fileName))) {
        return false;
    }
    WavWriter writer(sink, v.rate);
    bool ok = writer.Begin();
    {
        Hold hold(m_gate);
        VoiceDecoder decoder;
        std::set<uint16_t> seen;
        std::optional<uint16_t> block = first;
        bool ended = false;
        while (ok && block && !ended) {
            // A block met again: the chain loops, and what was read is all there is.
            VoiceHead head;
            ok = seen.insert(*block).second && ReadVoiceBlock(*block, decoder, writer, head, ended);
            block = head.next;
        }
    }
    ok = writer.Finish() && ok;
    return sink.Close() && ok;
}

bool CZeltaDevice::SetSoundMessage(int16_t& handle, const std::u16string& fileName) {
    const VoiceLayout& v = Voice();
    FileRiffSource source;
    VoiceWavReader in;
    if (!source.Open(Utf8FromUtf16(fileName)) || in.Open(source, v.window) != WavRejection::kNone) {
        return false;
    }
    Hold hold(m_gate);
    uint8_t settings[kSettingsSize];
    if (!ReadSettingsBlock(settings)) {
        return false;
    }
    uint16_t head = HandleAt(settings, kSettingsFreeHead);
    if ((head & 0xFF) < v.lowestLow) {
        head = static_cast<uint16_t>((head & 0xFF00) | v.lowReplacement);
    }
    if (!v.isHandle(head)) {
        return false;
    }
    // The blocks the file needs must all be there before the first one is touched.
    const uint32_t needed = (in.Remaining() + v.samplesPerBlock - 1) / v.samplesPerBlock;
    std::vector<uint16_t> chain;
    std::vector<VoiceHead> heads;
    if (needed > v.voiceBlocks || !WalkVoiceChain(head, chain, heads, needed) ||
        chain.size() < needed) {
        return false;
    }
    VoiceEncoder encoder;
    for (uint32_t b = 0; b < needed; ++b) {
        const std::optional<uint16_t> next =
            b + 1 < needed ? std::optional<uint16_t>(chain[b + 1]) : std::nullopt;
        if (!ResetVoiceBlock(chain[b], next) || !WriteVoiceBlock(chain[b], in, encoder)) {
            return false;
        }
    }
    // The message is complete: only now does the free chain move past it.
    PutHandle(settings, kSettingsFreeHead, heads[needed - 1].next.value_or(0));
    if (!WriteSettingsBlock(settings)) {
        return false;
    }
    handle = static_cast<int16_t>(head);
    return true;
}

bool CZeltaDevice::DelSoundMessage(int16_t handle) {
    const VoiceLayout& v = Voice();
    const auto first = static_cast<uint16_t>(handle);
    if (!v.isHandle(first)) {
        return false;
    }
    Hold hold(m_gate);
    uint8_t settings[kSettingsSize];
    if (!ReadSettingsBlock(settings)) {
        return false;
    }
    const uint16_t freeHead = HandleAt(settings, kSettingsFreeHead);
    std::vector<uint16_t> chain;
    std::vector<VoiceHead> heads;
    // A free block, or a chain that runs into the free chain, would make the free chain loop.
    if (!WalkVoiceChain(first, chain, heads) ||
        std::any_of(heads.begin(), heads.end(), [](const VoiceHead& h) { return !h.recorded; }) ||
        std::find(chain.begin(), chain.end(), freeHead) != chain.end()) {
        return false;
    }
    const std::optional<uint16_t> rest =
        v.isHandle(freeHead) ? std::optional<uint16_t>(freeHead) : std::nullopt;
    for (size_t i = 0; i < chain.size(); ++i) {
        const std::optional<uint16_t> next =
            i + 1 < chain.size() ? std::optional<uint16_t>(chain[i + 1]) : rest;
        if (!ResetVoiceBlock(chain[i], next)) {
            return false;
        }
    }
    PutHandle(settings, kSettingsFreeHead, first);
    return WriteSettingsBlock(settings);
}

int16_t CZeltaDevice::GetSoundHandles(int16_t* table, int16_t count) {
    // A count of 0 needs no table: the settings block is still read, and 0 entries filled.
    if (count < 0 || (table == nullptr && count > 0)) {
        return -1;
    }
    uint8_t settings[kSettingsSize];
    if (!ReadSettingsBlock(settings)) {
        return -1;
    }
    const int16_t filled = std::min<int16_t>(count, 4);
    for (int16_t i = 0; i < filled; ++i) {
        table[i] = static_cast<int16_t>(HandleAt(settings, kHandleBytes[i]));
    }
    return filled;
}

bool CZeltaDevice::SetSoundHandles(const int16_t* table, int16_t count) {
    // A count of 0 changes no entry but still writes the settings block.
    if (count < 0 || (table == nullptr && count > 0)) {
        return false;
    }
    Hold hold(m_gate);
    uint8_t settings[kSettingsSize];
    if (!ReadSettingsBlock(settings)) {
        return false;
    }
    if (count > 0) {
        PutHandle(settings, kSettingsFirstSpecial, static_cast<uint16_t>(table[0]));
    }
    if (count > 1) {
        PutHandle(settings, kSettingsSecondSpecial, static_cast<uint16_t>(table[1]));
    }
    return WriteSettingsBlock(settings);
}

int32_t CZeltaDevice::GetFreeSoundSpace() {
    const VoiceLayout& v = Voice();
    Hold hold(m_gate);
    uint8_t settings[kSettingsSize];
    if (!ReadSettingsBlock(settings)) {
        return 0;
    }
    const uint16_t head = HandleAt(settings, kSettingsFreeHead);
    if (!v.isHandle(head)) {
        return 0;
    }
    // Only a block that links on to a next free block counts: the chain's last block is its
    // tail, and the walk ends at a block that is no voice block, holds the end of a message or
    // was met before.
    std::set<uint16_t> seen;
    uint32_t blocks = 0;
    std::optional<uint16_t> at = head;
    while (at && blocks < v.voiceBlocks && seen.insert(*at).second) {
        VoiceHead block;
        if (!ReadVoiceHead(*at, block) || block.endsMessage || !block.next) {
            break;
        }
        ++blocks;
        at = block.next;
    }
    return static_cast<int32_t>(blocks * v.secondsTimesFour / 4);
}

bool CZeltaDevice::ReadVoiceHead(uint16_t block, VoiceHead& head) {
    uint8_t raw[kFirstHeadRaw];
    uint8_t h[kFirstHeadRaw / 3];
    if (!ReadFlash(FlashAddress::At(block, 0, 0, sizeof raw), raw)) {
        return false;
    }
    DecodeTriples(sizeof raw, raw, h);
    if (h[0] != 0 || h[1] != kSoundTag) {
        return false;
    }
    const auto next = static_cast<uint16_t>(h[2] << 8 | h[3]);
    head.next = IsZeltaHandle(next) ? std::optional<uint16_t>(next) : std::nullopt;
    // The flags stay erased on a free block until something is recorded into it.
    head.recorded = h[4] != 0xFF;
    head.endsMessage = head.recorded && (h[4] & kLastPage) != 0;
    return true;
}

bool CZeltaDevice::ReadVoiceBlock(uint16_t block, VoiceDecoder& decoder, WavWriter& out,
                                  VoiceHead& head, bool& ended) {
    // A page's coded bytes are read into the tail of its sample buffer and expanded there.
    uint8_t page[2 * kPageRaw];
    uint8_t samples[4 * 2 * kPageRaw];
    for (uint8_t p = 0; p < kPages && !ended; ++p) {
        if (!ReadFlash(FlashAddress::At(block, p, 0, kPageRaw), page) ||
            !ReadFlash(FlashAddress::At(block, p, kPageRaw, kPageRaw), page + kPageRaw)) {
            return false;
        }
        const uint8_t headRaw = p == 0 ? kFirstHeadRaw : kHeadRaw;
        uint8_t h[kFirstHeadRaw / 3];
        DecodeTriples(headRaw, page, h);
        if (p == 0) {
            if (h[0] != 0 || h[1] != kSoundTag) {
                return false;
            }
            const auto next = static_cast<uint16_t>(h[2] << 8 | h[3]);
            head.next = IsZeltaHandle(next) ? std::optional<uint16_t>(next) : std::nullopt;
            head.recorded = h[4] != 0xFF;
        }
        ended = (h[p == 0 ? 4 : 0] & kLastPage) != 0;
        const size_t coded = sizeof page - headRaw;
        uint8_t* tail = samples + 3 * coded;
        std::memcpy(tail, page + headRaw, coded);
        decoder.Decode(tail, coded, samples);
        if (!out.Append(samples, 4 * coded)) {
            return false;
        }
    }
    return true;
}

bool CZeltaDevice::ResetVoiceBlock(uint16_t block, std::optional<uint16_t> next) {
    const uint8_t h[4] = {0, kSoundTag, static_cast<uint8_t>(next ? *next >> 8 : kNoNextHigh),
                          static_cast<uint8_t>(next ? *next & 0xFF : 0)};
    uint8_t raw[kLinkRaw];
    EncodeTriples(h, sizeof h, raw);
    if (!EraseFlashBlock(FlashAddress::At(block, 0, 0, 0))) {
        return false;
    }
    const bool written = WriteFlash(FlashAddress::At(block, 0, 0, sizeof raw), raw);
    m_port->Pause(protocol::kFlashPause);
    return written;
}

bool CZeltaDevice::WriteVoiceBlock(uint16_t block, VoiceWavReader& in, VoiceEncoder& encoder) {
    // The page as it is written: header triples, then the coded bytes; encoded in place.
    uint8_t page[kHeadRaw + 2 * kCoded];
    uint8_t samples[4 * 2 * kCoded];
    bool last = false;
    for (uint8_t p = 0; p < kPages && !last; ++p) {
        const size_t coded = p == 0 ? kFirstCoded : 2 * kCoded;
        if (!TakeSamples(in, samples, 4 * coded, last)) {
            return false;
        }
        encoder.Encode(samples, 4 * coded, page + kHeadRaw);
        // The flags go with the page: programming cannot set a bit that was cleared before.
        const uint8_t h[2] = {static_cast<uint8_t>(last ? kLastPage : 0), 0};
        EncodeTriples(h, sizeof h, page);
        const FlashAddress first =
            p == 0 ? FlashAddress::At(block, 0, kLinkRaw, kHeadRaw + kFirstCodedHalf)
                   : FlashAddress::At(block, p, 0, kHeadRaw + kCoded);
        const FlashAddress second =
            p == 0 ? FlashAddress::At(block, 0, kLinkRaw + kHeadRaw + kFirstCodedHalf,
                                      kFirstCoded - kFirstCodedHalf)
                   : FlashAddress::At(block, p, kHeadRaw + kCoded, kCoded);
        const bool written = WriteFlash(first, page);
        m_port->Pause(protocol::kFlashPause);
        if (!written || !WriteFlash(second, page + first.count)) {
            return false;
        }
        m_port->Pause(protocol::kFlashPause);
    }
    return true;
}

}  // namespace fonerix
