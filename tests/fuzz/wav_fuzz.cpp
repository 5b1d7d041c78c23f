// The RIFF reader and the voice-message upload check on arbitrary bytes. The input is exactly
// as long as the file (AddressSanitizer sees any read past it); every chunk the reader returns
// lies inside the file and inside its parent; a file the check accepts hands out exactly its
// sample count, and writing those samples as a download gives a file that is accepted again
// with the same samples. The codec runs over the bytes too, into buffers sized to the byte.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "control/voice/RiffReader.h"
#include "control/voice/VoiceCodec.h"
#include "control/voice/WavReader.h"
#include "control/voice/WavWriter.h"

namespace {

using namespace fonerix;

void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

void Walk(RiffReader& riff, const RiffChunk& parent, uint64_t size, int depth) {
    RiffChunk chunk;
    while (riff.Descend(chunk, parent, 0) == RiffStatus::kOk) {
        Check(chunk.start >= parent.dataOffset && chunk.dataEnd <= parent.dataEnd);
        Check(chunk.dataOffset <= chunk.dataEnd && chunk.dataEnd <= size);
        if (chunk.id == FourCC("LIST") && depth < 8) {
            Walk(riff, chunk, size, depth + 1);
        } else {
            uint8_t buffer[64];
            uint64_t total = 0;
            while (size_t n = riff.Read(chunk, buffer, sizeof buffer)) {
                total += n;
            }
            Check(total == chunk.dataEnd - chunk.dataOffset);
        }
        riff.Ascend(chunk);
    }
}

std::vector<uint8_t> ReadAll(VoiceWavReader& reader) {
    std::vector<uint8_t> samples;
    uint8_t page[1032];
    while (size_t n = reader.Read(page, sizeof page)) {
        samples.insert(samples.end(), page, page + n);
    }
    return samples;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryRiffSource source(data, size);

    RiffReader riff(source);
    RiffChunk form;
    if (riff.DescendRiff(form, 0) == RiffStatus::kOk) {
        Check(form.dataEnd <= size);
        Walk(riff, form, size, 0);
    }

    for (const SampleRateWindow& window : {kZeltaRateWindow, kZelta7RateWindow}) {
        VoiceWavReader reader;
        if (reader.Open(source, window) != WavRejection::kNone) {
            Check(reader.Remaining() == 0);
            continue;
        }
        const VoiceWavInfo info = reader.Info();
        Check(info.sampleCount > 0 && info.sampleCount <= size && window.Contains(info.sampleRate));
        const std::vector<uint8_t> samples = ReadAll(reader);
        Check(samples.size() == info.sampleCount);

        MemoryWavSink sink;
        {
            WavWriter writer(sink, info.sampleRate);
            Check(writer.Begin() && writer.Append(samples.data(), samples.size()) &&
                  writer.Finish());
        }
        MemoryRiffSource written(sink.Bytes().data(), sink.Bytes().size());
        VoiceWavReader again;
        Check(again.Open(written, window) == WavRejection::kNone);
        Check(ReadAll(again) == samples);
    }

    // Decoding writes exactly four samples per byte; encoding one byte per four samples.
    auto decoded = std::make_unique<uint8_t[]>(size * 4 + 1);
    VoiceDecoder().Decode(data, size, decoded.get());
    auto coded = std::make_unique<uint8_t[]>(size / 4 + 1);
    VoiceEncoder encoder;
    const size_t written = encoder.Encode(data, size, coded.get());
    Check(written == size / 4 && written + encoder.Finish(coded.get() + written) == (size + 3) / 4);
    return 0;
}
