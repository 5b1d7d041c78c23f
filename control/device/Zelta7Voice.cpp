// Voice messages of type 7: plain signed 8-bit samples at 6400 a second. A block has 32 pages of
// 528 bytes (512 and 16 spare), each addressed as two halves: page byte 2p from byte 0, 2p + 1
// from byte 256, 2p + 128 from the spare bytes. Page 0 starts with a 12-byte header (decoded
// 0, 0 on a voice block) and its spare bytes 0..5 hold the link (bit 7 of the high byte: no next
// block); spare bytes 6..8 of every page hold its end mark, nonzero on the message's last page.
#include <cstring>

#include "control/device/ProtocolBytes.h"
#include "control/device/Triples.h"
#include "control/device/Zelta7Device.h"
#include "control/voice/VoiceCodec.h"
#include "control/voice/WavReader.h"
#include "control/voice/WavWriter.h"

namespace fonerix {

namespace {

constexpr uint8_t kPages = 32;
constexpr size_t kPageBytes = 528;
constexpr uint8_t kReadRaw = 132;  // a page is read in four parts
constexpr uint8_t kSpare = 128;    // added to the page byte
constexpr size_t kSpareAt = 512;
constexpr uint8_t kEndAt = 6;  // in the spare bytes
constexpr uint8_t kHeadRaw = 12;
constexpr uint8_t kLinkRaw = 6;
constexpr uint8_t kNoNext = 0x80;
constexpr size_t kFirstData = 12;  // page 0's samples start here, the others' at 6
constexpr size_t kOtherData = 6;

bool IsZelta7Handle(uint16_t block) {
    return block == 16 || (block >= 30 && block <= 255) || (block >= 261 && block <= 1023);
}

std::optional<uint16_t> LinkOf(const uint8_t* decoded) {
    const auto next = static_cast<uint16_t>(decoded[0] << 8 | decoded[1]);
    if ((decoded[0] & kNoNext) != 0 || !IsZelta7Handle(next)) {
        return std::nullopt;
    }
    return next;
}

uint8_t Half(uint8_t page, bool second) {
    return static_cast<uint8_t>(2 * page + (second ? 1 : 0));
}

}  // namespace

const CZeltaDevice::VoiceLayout& CZelta7Device::Voice() const {
    static constexpr VoiceLayout kLayout{
        .rate = kZelta7VoiceRate,
        .window = kZelta7RateWindow,
        .samplesPerBlock = 500 + 31 * 506,
        .secondsTimesFour = 11,  // 2.75 s
        .isHandle = IsZelta7Handle,
        .voiceBlocks = 1 + (255 - 30 + 1) + (1023 - 261 + 1),
        .lowestLow = 16,
        .lowReplacement = 16,
    };
    return kLayout;
}

bool CZelta7Device::ReadVoiceHead(uint16_t block, VoiceHead& head) {
    uint8_t raw[kLinkRaw + 3];
    uint8_t h[3];
    if (!ReadFlash(FlashAddress::At(block, 0, 0, kLinkRaw), raw)) {
        return false;
    }
    DecodeTriples(kLinkRaw, raw, h);
    if (h[0] != 0 || h[1] != 0 || !ReadFlash(FlashAddress::At(block, kSpare, 0, sizeof raw), raw)) {
        return false;
    }
    DecodeTriples(sizeof raw, raw, h);
    head.next = LinkOf(h);
    // The end mark stays erased on a free block until something is recorded into it.
    head.recorded = h[2] != 0xFF;
    return true;
}

bool CZelta7Device::ReadVoiceBlock(uint16_t block, VoiceDecoder&, WavWriter& out, VoiceHead& head,
                                   bool& ended) {
    uint8_t page[kPageBytes];
    for (uint8_t p = 0; p < kPages && !ended; ++p) {
        if (!ReadFlash(FlashAddress::At(block, Half(p, false), 0, kReadRaw), page) ||
            !ReadFlash(FlashAddress::At(block, Half(p, false), kReadRaw, kReadRaw),
                       page + kReadRaw) ||
            !ReadFlash(FlashAddress::At(block, Half(p, true), 8, kReadRaw), page + 2 * kReadRaw) ||
            !ReadFlash(FlashAddress::At(block, Half(p, true), 8 + kReadRaw, kReadRaw),
                       page + 3 * kReadRaw)) {
            return false;
        }
        uint8_t spare[3];
        if (p == 0) {
            uint8_t h[2];
            DecodeTriples(kLinkRaw, page, h);
            if (h[0] != 0 || h[1] != 0) {
                return false;
            }
            DecodeTriples(kLinkRaw + 3, page + kSpareAt, spare);
            head.next = LinkOf(spare);
            head.recorded = spare[2] != 0xFF;
        }
        DecodeTriples(3, page + kSpareAt + kEndAt, spare);
        ended = spare[0] != 0;
        const size_t from = p == 0 ? kFirstData : kOtherData;
        FlipSampleSign(page + from, kSpareAt - from);
        if (!out.Append(page + from, kSpareAt - from)) {
            return false;
        }
    }
    return true;
}

bool CZelta7Device::ResetVoiceBlock(uint16_t block, std::optional<uint16_t> next) {
    const uint8_t header[kHeadRaw] = {};
    const uint8_t link[2] = {static_cast<uint8_t>(next ? *next >> 8 : kNoNext),
                             static_cast<uint8_t>(next ? *next & 0xFF : 0)};
    uint8_t raw[kLinkRaw];
    EncodeTriples(link, sizeof link, raw);
    if (!EraseFlashBlock(FlashAddress::At(block, 0, 0, 0))) {
        return false;
    }
    const bool written = WriteFlash(FlashAddress::At(block, 0, 0, kHeadRaw), header);
    m_port->Pause(protocol::kFlashPause);
    if (!written || !WriteFlash(FlashAddress::At(block, kSpare, 0, kLinkRaw), raw)) {
        return false;
    }
    m_port->Pause(protocol::kFlashPause);
    return true;
}

bool CZelta7Device::WriteVoiceBlock(uint16_t block, VoiceWavReader& in, VoiceEncoder&) {
    uint8_t samples[kSpareAt];
    bool last = false;
    for (uint8_t p = 0; p < kPages && !last; ++p) {
        const size_t count = kSpareAt - (p == 0 ? kFirstData : kOtherData);
        const size_t wanted = std::min<size_t>(count, in.Remaining());
        const size_t got = in.Read(samples, wanted);
        if (got != wanted) {
            return false;
        }
        // The rest of the page the message ends in is silence.
        std::memset(samples + got, 128, count - got);
        last = in.Remaining() == 0;
        FlipSampleSign(samples, count);
        const auto half = static_cast<uint8_t>(count / 2);
        const FlashAddress first = FlashAddress::At(block, Half(p, false), p == 0 ? 12 : 6, half);
        const FlashAddress second = FlashAddress::At(block, Half(p, true), p == 0 ? 6 : 3, half);
        // Every page gets its end mark: an erased one would read as the end.
        const uint8_t end = last ? 1 : 0;
        uint8_t endRaw[3];
        EncodeTriples(&end, 1, endRaw);
        const FlashAddress mark = FlashAddress::At(block, Half(p, false) + kSpare, kEndAt, 3);
        bool written = WriteFlash(first, samples);
        m_port->Pause(protocol::kFlashPause);
        written = written && WriteFlash(second, samples + half);
        m_port->Pause(protocol::kFlashPause);
        written = written && WriteFlash(mark, endRaw);
        m_port->Pause(protocol::kFlashPause);
        if (!written) {
            return false;
        }
    }
    return true;
}

}  // namespace fonerix
