#include "sim/VoiceStore.h"

#include <algorithm>
#include <array>
#include <set>
#include <stdexcept>
#include <string>

#include "sim/Triples.h"

namespace fonerix::sim {

namespace {

constexpr std::array<unsigned, 16> kSteps{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 22};
constexpr std::uint8_t kSilence = 128;

// Coded generations: page 0 starts with six header bytes (0, the sound-block tag, the next
// block, flags, one more), the other pages with two (flags, one more); bit 7 of the flags marks
// the page the message ends on. 264 raw bytes a page, 16 pages a block.
constexpr std::uint8_t kSoundTag = 0x20;
constexpr std::uint8_t kLastPage = 0x80;
constexpr unsigned kCodedPages = 16;
constexpr unsigned kCodedPageBytes = 264;
constexpr unsigned kFirstHeadRaw = 18;
constexpr unsigned kHeadRaw = 6;

// Plain generations: 528-byte pages (512 bytes and 16 spare), 32 a block. Page 0 holds a
// 12-byte header (decoded 0, 0 on a voice block); the others leave bytes 0..5 unused. The spare
// bytes hold the link (bit 7 of its high byte: no next block) on page 0 and the end mark on
// every page.
constexpr unsigned kPlainPages = 32;
constexpr unsigned kPlainData = 512;
constexpr unsigned kPlainFirstAt = 12;
constexpr unsigned kPlainOtherAt = 6;
constexpr unsigned kSpareLinkAt = kPlainData;
constexpr unsigned kSpareEndAt = kPlainData + 6;
constexpr std::uint8_t kNoNext = 0x80;

std::vector<std::uint8_t> Decoded(std::span<const std::uint8_t> raw) {
    return DecodeTriples(raw).value_or(std::vector<std::uint8_t>(raw.size() / 3, 0xFF));
}

}  // namespace

std::uint8_t AdaptiveCode::Move(bool large, bool down) {
    const unsigned step = kSteps[m_index];
    const int delta = static_cast<int>(step / 2 + (large ? step : 0));
    m_value = static_cast<unsigned>(
        std::clamp(static_cast<int>(m_value) + (down ? -delta : delta), 0, 255));
    m_index = large ? std::min(m_index + 2, 15u) : (m_index == 0 ? 0 : m_index - 1);
    return static_cast<std::uint8_t>(m_value);
}

std::uint8_t AdaptiveCode::Record(std::uint8_t sample) {
    const int error = static_cast<int>(sample) - static_cast<int>(m_value);
    const bool large = static_cast<int>(kSteps[m_index]) < std::abs(error);
    const bool down = error < 0;
    Move(large, down);
    return static_cast<std::uint8_t>((large ? 1 : 0) | (down ? 2 : 0));
}

std::uint8_t AdaptiveCode::Play(std::uint8_t code) {
    return Move((code & 1) != 0, (code & 2) != 0);
}

VoiceStore::VoiceStore(FlashStore& flash, Storage storage, std::optional<std::uint16_t> reserved)
    : m_flash(flash), m_plain(storage == Storage::kFlash64), m_reserved(reserved) {
    if (storage == Storage::kMemory) {
        throw std::invalid_argument("a set without flash keeps no voice messages");
    }
}

bool VoiceStore::IsVoiceBlock(std::uint16_t block) const {
    if (m_reserved && block == *m_reserved) {
        return false;
    }
    if (m_plain) {
        return block == 16 || (block >= 30 && block <= 255) || (block >= 261 && block <= 1023);
    }
    return (block >= 33 && block <= 255) || (block >= 261 && block <= 511);
}

std::vector<std::uint16_t> VoiceStore::VoiceBlocks() const {
    std::vector<std::uint16_t> blocks;
    for (unsigned block = 0; block < 1024; ++block) {
        if (IsVoiceBlock(static_cast<std::uint16_t>(block))) {
            blocks.push_back(static_cast<std::uint16_t>(block));
        }
    }
    return blocks;
}

unsigned VoiceStore::Pages() const {
    return m_plain ? kPlainPages : kCodedPages;
}

std::size_t VoiceStore::PageSamples(unsigned page) const {
    if (m_plain) {
        return kPlainData - (page == 0 ? kPlainFirstAt : kPlainOtherAt);
    }
    return 4 * (kCodedPageBytes - (page == 0 ? kFirstHeadRaw : kHeadRaw));
}

std::size_t VoiceStore::SamplesPerBlock() const {
    std::size_t samples = 0;
    for (unsigned page = 0; page < Pages(); ++page) {
        samples += PageSamples(page);
    }
    return samples;
}

void VoiceStore::ReadWhole(std::uint16_t block, unsigned page, unsigned offset,
                           std::span<std::uint8_t> out) const {
    const unsigned half = offset >= kPlainData ? 128u + 2 * page : 2 * page + offset / 256;
    const unsigned column = offset >= kPlainData ? offset - kPlainData : offset % 256;
    m_flash.ReadHalves(
        FlashLocation{block, static_cast<std::uint8_t>(half), static_cast<std::uint8_t>(column)},
        out);
}

void VoiceStore::ProgramWhole(std::uint16_t block, unsigned page, unsigned offset,
                              std::span<const std::uint8_t> data) {
    const unsigned half = offset >= kPlainData ? 128u + 2 * page : 2 * page + offset / 256;
    const unsigned column = offset >= kPlainData ? offset - kPlainData : offset % 256;
    m_flash.ProgramHalves(
        FlashLocation{block, static_cast<std::uint8_t>(half), static_cast<std::uint8_t>(column)},
        data);
}

std::optional<std::uint16_t> VoiceStore::Link(std::uint16_t raw) const {
    if (m_plain && (raw & 0x8000) != 0) {
        return std::nullopt;
    }
    return IsVoiceBlock(raw) ? std::optional<std::uint16_t>(raw) : std::nullopt;
}

std::optional<VoiceStore::BlockHead> VoiceStore::Head(std::uint16_t block) const {
    if (!IsVoiceBlock(block)) {
        return std::nullopt;
    }
    if (m_plain) {
        std::array<std::uint8_t, 6> head{};
        std::array<std::uint8_t, 6> link{};
        ReadWhole(block, 0, 0, head);
        ReadWhole(block, 0, kSpareLinkAt, link);
        const auto h = Decoded(head);
        const auto l = Decoded(link);
        if (h[0] != 0 || h[1] != 0) {
            return std::nullopt;
        }
        return BlockHead{Link(static_cast<std::uint16_t>(l[0] << 8 | l[1]))};
    }
    std::array<std::uint8_t, 12> raw{};
    m_flash.Read(FlashLocation{block, 0, 0}, raw);
    const auto h = Decoded(raw);
    if (h[0] != 0 || h[1] != kSoundTag) {
        return std::nullopt;
    }
    return BlockHead{Link(static_cast<std::uint16_t>(h[2] << 8 | h[3]))};
}

std::vector<std::uint16_t> VoiceStore::Chain(std::uint16_t block) const {
    std::vector<std::uint16_t> chain;
    std::set<std::uint16_t> seen;
    std::optional<std::uint16_t> at = block;
    // A block met again ends the walk: a damaged chain may come back on itself.
    while (at && seen.insert(*at).second) {
        const auto head = Head(*at);
        if (!head) {
            break;
        }
        chain.push_back(*at);
        at = head->next;
    }
    return chain;
}

void VoiceStore::WriteBlockHead(std::uint16_t block, std::optional<std::uint16_t> next) {
    if (m_plain) {
        const std::array<std::uint8_t, 4> head{};
        ProgramWhole(block, 0, 0, EncodeTriples(head));
        const std::array<std::uint8_t, 2> link{
            static_cast<std::uint8_t>(next ? *next >> 8 : kNoNext),
            static_cast<std::uint8_t>(next ? *next & 0xFF : 0)};
        ProgramWhole(block, 0, kSpareLinkAt, EncodeTriples(link));
        return;
    }
    // The flags and the byte after them stay erased until the block is recorded into.
    const std::array<std::uint8_t, 4> head{0, kSoundTag,
                                           static_cast<std::uint8_t>(next ? *next >> 8 : 0),
                                           static_cast<std::uint8_t>(next ? *next & 0xFF : 0)};
    m_flash.Program(FlashLocation{block, 0, 0}, EncodeTriples(head));
}

std::uint16_t VoiceStore::FormatFreeChain() {
    const std::vector<std::uint16_t> blocks = VoiceBlocks();
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        m_flash.EraseBlock(blocks[i]);
        WriteBlockHead(blocks[i],
                       i + 1 < blocks.size() ? std::optional(blocks[i + 1]) : std::nullopt);
    }
    return blocks.front();
}

void VoiceStore::WritePage(std::uint16_t block, unsigned page,
                           std::span<const std::uint8_t> samples, AdaptiveCode& code, bool last) {
    if (m_plain) {
        std::vector<std::uint8_t> bytes(samples.begin(), samples.end());
        for (std::uint8_t& b : bytes) {
            b ^= 0x80;  // signed: the sample minus 128
        }
        if (page != 0) {
            const std::array<std::uint8_t, kPlainOtherAt> unused{};
            ProgramWhole(block, page, 0, unused);
        }
        ProgramWhole(block, page, page == 0 ? kPlainFirstAt : kPlainOtherAt, bytes);
        const std::array<std::uint8_t, 1> end{static_cast<std::uint8_t>(last ? 1 : 0)};
        ProgramWhole(block, page, kSpareEndAt, EncodeTriples(end));
        return;
    }
    std::vector<std::uint8_t> coded(samples.size() / 4, 0);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        coded[i / 4] |= static_cast<std::uint8_t>(code.Record(samples[i]) << (2 * (i % 4)));
    }
    const std::uint8_t flags = last ? kLastPage : 0;
    if (page == 0) {
        const std::array<std::uint8_t, 2> head{flags, 0};
        m_flash.Program(FlashLocation{block, 0, 12}, EncodeTriples(head));
        m_flash.Program(FlashLocation{block, 0, kFirstHeadRaw}, coded);
    } else {
        const std::array<std::uint8_t, 2> head{flags, 0};
        m_flash.Program(FlashLocation{block, static_cast<std::uint8_t>(page), 0},
                        EncodeTriples(head));
        m_flash.Program(FlashLocation{block, static_cast<std::uint8_t>(page), kHeadRaw}, coded);
    }
}

VoiceStore::Recorded VoiceStore::Record(std::span<const std::uint8_t> samples,
                                        std::uint16_t free_head) {
    if (samples.empty()) {
        throw std::invalid_argument("a voice message needs at least one sample");
    }
    const std::vector<std::uint16_t> chain = Chain(free_head);
    const std::size_t per_block = SamplesPerBlock();
    const std::size_t needed = (samples.size() + per_block - 1) / per_block;
    if (needed > chain.size()) {
        throw std::invalid_argument("a voice message of " + std::to_string(samples.size()) +
                                    " samples needs " + std::to_string(needed) +
                                    " blocks; the free chain has " + std::to_string(chain.size()));
    }
    const std::optional<std::uint16_t> rest = Head(chain[needed - 1])->next;
    AdaptiveCode code;
    std::size_t at = 0;
    for (std::size_t b = 0; b < needed; ++b) {
        const std::uint16_t block = chain[b];
        m_flash.EraseBlock(block);
        WriteBlockHead(block, b + 1 < needed ? std::optional(chain[b + 1]) : std::nullopt);
        for (unsigned page = 0; page < Pages() && at < samples.size(); ++page) {
            // The page the message ends on is filled with silence, so that nothing is played
            // after the end.
            std::vector<std::uint8_t> part(PageSamples(page), kSilence);
            const std::size_t n = std::min(part.size(), samples.size() - at);
            std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(at), n, part.begin());
            at += n;
            WritePage(block, page, part, code, at == samples.size());
        }
    }
    return {chain.front(), rest.value_or(0)};
}

std::vector<std::uint8_t> VoiceStore::ReadPage(std::uint16_t block, unsigned page,
                                               AdaptiveCode& code, bool& last) const {
    if (m_plain) {
        const unsigned from = page == 0 ? kPlainFirstAt : kPlainOtherAt;
        std::vector<std::uint8_t> samples(kPlainData - from);
        ReadWhole(block, page, from, samples);
        for (std::uint8_t& s : samples) {
            s ^= 0x80;
        }
        std::array<std::uint8_t, 3> end{};
        ReadWhole(block, page, kSpareEndAt, end);
        last = Decoded(end)[0] != 0;
        return samples;
    }
    const unsigned head_raw = page == 0 ? kFirstHeadRaw : kHeadRaw;
    std::vector<std::uint8_t> raw(kCodedPageBytes);
    m_flash.Read(FlashLocation{block, static_cast<std::uint8_t>(page), 0}, raw);
    const auto head = Decoded(std::span(raw).first(head_raw));
    last = (head[page == 0 ? 4 : 0] & kLastPage) != 0;
    std::vector<std::uint8_t> samples;
    for (unsigned i = head_raw; i < kCodedPageBytes; ++i) {
        for (unsigned k = 0; k < 4; ++k) {
            samples.push_back(code.Play(static_cast<std::uint8_t>(raw[i] >> (2 * k) & 3)));
        }
    }
    return samples;
}

std::optional<std::vector<std::uint8_t>> VoiceStore::Play(std::uint16_t handle) const {
    if (!Head(handle)) {
        return std::nullopt;
    }
    AdaptiveCode code;
    std::vector<std::uint8_t> samples;
    bool last = false;
    for (const std::uint16_t block : Chain(handle)) {
        for (unsigned page = 0; page < Pages() && !last; ++page) {
            const auto part = ReadPage(block, page, code, last);
            samples.insert(samples.end(), part.begin(), part.end());
        }
        if (last) {
            break;
        }
    }
    return samples;
}

VoiceSurvey VoiceStore::Survey(std::uint16_t free_head) const {
    VoiceSurvey survey;
    const std::vector<std::uint16_t> free_chain = Chain(free_head);
    survey.free_blocks = static_cast<unsigned>(free_chain.size());
    const std::set<std::uint16_t> free(free_chain.begin(), free_chain.end());
    std::set<std::uint16_t> used;
    std::set<std::uint16_t> linked;
    for (const std::uint16_t block : VoiceBlocks()) {
        if (free.count(block) != 0) {
            continue;
        }
        if (const auto head = Head(block)) {
            used.insert(block);
            if (head->next) {
                linked.insert(*head->next);
            }
        }
    }
    for (const std::uint16_t block : used) {
        if (linked.count(block) != 0) {
            continue;
        }
        VoiceMessageInfo info;
        info.handle = block;
        info.blocks = static_cast<unsigned>(Chain(block).size());
        info.samples = Play(block).value_or(std::vector<std::uint8_t>{}).size();
        survey.messages.push_back(info);
    }
    return survey;
}

}  // namespace fonerix::sim
