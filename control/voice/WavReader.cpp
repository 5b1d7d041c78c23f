#include "control/voice/WavReader.h"

namespace fonerix {

namespace {

WavRejection ChunkRejection(RiffStatus status) {
    switch (status) {
        case RiffStatus::kReadFailed:
            return WavRejection::kReadFailed;
        case RiffStatus::kNotRiff:
            return WavRejection::kNotRiff;
        case RiffStatus::kWrongForm:
            return WavRejection::kNotWave;
        default:
            return WavRejection::kTruncatedChunk;
    }
}

}  // namespace

const char* WavRejectionText(WavRejection rejection) {
    switch (rejection) {
        case WavRejection::kNone:
            return "ok";
        case WavRejection::kNotRiff:
            return "not a RIFF file";
        case WavRejection::kNotWave:
            return "not a WAVE file";
        case WavRejection::kRiffSizeLies:
            return "RIFF size exceeds the file";
        case WavRejection::kNoFormat:
            return "no format chunk";
        case WavRejection::kFormatTooShort:
            return "format chunk too short";
        case WavRejection::kNotPcm:
            return "not PCM";
        case WavRejection::kNotMono:
            return "not mono";
        case WavRejection::kNot8Bit:
            return "not 8 bits per sample";
        case WavRejection::kRateOutOfRange:
            return "sample rate out of range";
        case WavRejection::kNoData:
            return "no data chunk";
        case WavRejection::kEmptyData:
            return "empty data chunk";
        case WavRejection::kTruncatedChunk:
            return "chunk cut off or larger than its parent";
        case WavRejection::kReadFailed:
            return "read failed";
    }
    return "unknown";
}

WavRejection VoiceWavReader::Open(RiffSource& source, SampleRateWindow window) {
    m_source = nullptr;
    m_info = {};
    m_next = m_end = 0;

    RiffReader riff(source);
    RiffChunk form;
    RiffStatus status = riff.DescendRiff(form, kWaveId);
    if (status == RiffStatus::kSizeLies) {
        return WavRejection::kRiffSizeLies;
    }
    if (status != RiffStatus::kOk) {
        return ChunkRejection(status);
    }

    RiffChunk fmt;
    status = riff.Descend(fmt, form, kFmtId);
    if (status == RiffStatus::kNotFound) {
        return WavRejection::kNoFormat;
    }
    if (status != RiffStatus::kOk) {
        return ChunkRejection(status);
    }
    // The PCM format: tag, channels, rate, bytes per second, block align, bits per sample.
    // Longer formats carry more after these 16 bytes, which PCM does not need.
    uint8_t format[16];
    if (fmt.size < sizeof format) {
        return WavRejection::kFormatTooShort;
    }
    if (riff.Read(fmt, format, sizeof format) != sizeof format) {
        return WavRejection::kReadFailed;
    }
    if (GetLe16(format) != kWavePcm) {
        return WavRejection::kNotPcm;
    }
    if (GetLe16(format + 2) != 1) {
        return WavRejection::kNotMono;
    }
    if (GetLe16(format + 14) != 8) {
        return WavRejection::kNot8Bit;
    }
    const uint32_t rate = GetLe32(format + 4);
    if (!window.Contains(rate)) {
        return WavRejection::kRateOutOfRange;
    }
    riff.Ascend(fmt);

    RiffChunk data;
    status = riff.Descend(data, form, kDataId);
    if (status == RiffStatus::kNotFound) {
        return WavRejection::kNoData;
    }
    if (status != RiffStatus::kOk) {
        return ChunkRejection(status);
    }
    if (data.size == 0) {
        return WavRejection::kEmptyData;
    }

    m_source = &source;
    m_info.sampleRate = rate;
    m_info.sampleCount = data.size;
    m_next = data.dataOffset;
    m_end = data.dataEnd;
    return WavRejection::kNone;
}

uint32_t VoiceWavReader::Remaining() const {
    return static_cast<uint32_t>(m_end - m_next);
}

size_t VoiceWavReader::Read(uint8_t* samples, size_t count) {
    if (m_source == nullptr || m_next >= m_end) {
        return 0;
    }
    const uint64_t left = m_end - m_next;
    const size_t n =
        m_source->ReadAt(m_next, samples, count < left ? count : static_cast<size_t>(left));
    m_next += n;
    return n;
}

}  // namespace fonerix
