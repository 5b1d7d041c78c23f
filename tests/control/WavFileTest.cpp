// Voice-message WAV files: the download header byte for byte, the incremental writer when a
// transfer or the disk gives out midway, the RIFF chunk walk, and the upload check over a table
// of good and bad files.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "control/voice/RiffReader.h"
#include "control/voice/WavFormat.h"
#include "control/voice/WavReader.h"
#include "control/voice/WavWriter.h"

namespace fonerix::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Le16(uint16_t v) {
    return {uint8_t(v), uint8_t(v >> 8)};
}
Bytes Le32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

Bytes Id(const char (&id)[5]) {
    return Bytes(id, id + 4);
}

// A chunk with its body and pad byte; `declared` overrides the size field.
Bytes Chunk(const char (&id)[5], const Bytes& body, std::optional<uint32_t> declared = {}) {
    Bytes out = Cat({Id(id), Le32(declared.value_or(uint32_t(body.size()))), body});
    if (body.size() & 1) {
        out.push_back(0);
    }
    return out;
}

Bytes Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    const uint16_t align = uint16_t(channels * bits / 8);
    return Cat(
        {Le16(tag), Le16(channels), Le32(rate), Le32(rate * align), Le16(align), Le16(bits)});
}

Bytes Samples(size_t count) {
    Bytes out(count);
    for (size_t i = 0; i < count; ++i) {
        out[i] = uint8_t(i * 7 + 3);
    }
    return out;
}

// RIFF around the given chunks; `declared` overrides the RIFF size.
Bytes Riff(const Bytes& chunks, std::optional<uint32_t> declared = {},
           const char (&form)[5] = "WAVE") {
    return Cat(
        {Id("RIFF"), Le32(declared.value_or(uint32_t(chunks.size() + 4))), Id(form), chunks});
}

Bytes GoodWav(uint32_t rate = 11025, size_t samples = 100) {
    return Riff(Cat({Chunk("fmt ", Format(1, 1, rate, 8)), Chunk("data", Samples(samples))}));
}

TEST(WavHeader, MatchesTheDownloadLayoutByteForByte) {
    // 1000 samples at 11025 samples/s.
    const uint8_t golden[kWavHeaderSize] = {
        'R',  'I',  'F',  'F',  0x18, 0x04, 0x00, 0x00,  // RIFF, 48 + 1000
        'W',  'A',  'V',  'E',  'f',  'm',  't',  ' ',   //
        0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,  // 16, PCM, mono
        0x11, 0x2B, 0x00, 0x00, 0x11, 0x2B, 0x00, 0x00,  // 11025 samples/s, 11025 bytes/s
        0x01, 0x00, 0x08, 0x00, 'f',  'a',  'c',  't',   // align 1, 8 bits
        0x04, 0x00, 0x00, 0x00, 0xE8, 0x03, 0x00, 0x00,  // 4, 1000 samples
        'd',  'a',  't',  'a',  0xE8, 0x03, 0x00, 0x00,  // data, 1000 bytes
    };
    uint8_t header[kWavHeaderSize];
    BuildWavHeader(kZeltaVoiceRate, 1000, header);
    EXPECT_EQ(Bytes(header, header + kWavHeaderSize), Bytes(golden, golden + kWavHeaderSize));

    BuildWavHeader(kZelta7VoiceRate, 0, header);
    EXPECT_EQ(GetLe32(header + 4), 48u);
    EXPECT_EQ(GetLe32(header + 24), 6400u);
    EXPECT_EQ(GetLe32(header + 28), 6400u);
    EXPECT_EQ(GetLe32(header + 44), 0u);
    EXPECT_EQ(GetLe32(header + 52), 0u);
}

// Reads back what a writer produced through the upload check, as the set's own files would be.
void ExpectValidWav(const Bytes& file, uint32_t rate, const Bytes& samples) {
    MemoryRiffSource source(file.data(), file.size());
    VoiceWavReader reader;
    const SampleRateWindow any{0, 0xFFFFFFFF};
    ASSERT_EQ(reader.Open(source, any), WavRejection::kNone) << samples.size();
    EXPECT_EQ(reader.Info().sampleRate, rate);
    ASSERT_EQ(reader.Info().sampleCount, samples.size());
    Bytes back(samples.size() + 10);
    EXPECT_EQ(reader.Read(back.data(), back.size()), samples.size());
    back.resize(samples.size());
    EXPECT_EQ(back, samples);
    ASSERT_GE(file.size(), kWavHeaderSize);
    EXPECT_EQ(GetLe32(file.data() + 44), samples.size());  // the fact chunk agrees
    EXPECT_EQ(file.size(), 8 + GetLe32(file.data() + 4)) << "the RIFF size covers the file";
}

TEST(WavWriter, AppendsPiecesAndRewritesTheSizesAtTheEnd) {
    const Bytes samples = Samples(984 + 1032 + 1032);
    MemoryWavSink sink;
    {
        WavWriter writer(sink, kZeltaVoiceRate);
        ASSERT_TRUE(writer.Begin());
        EXPECT_EQ(GetLe32(sink.Bytes().data() + 52), 0u);  // a header with no samples yet
        ASSERT_TRUE(writer.Append(samples.data(), 984));
        ASSERT_TRUE(writer.Append(samples.data() + 984, 2064));
        EXPECT_TRUE(writer.Finish());
        EXPECT_EQ(writer.SampleCount(), samples.size());
    }
    uint8_t header[kWavHeaderSize];
    BuildWavHeader(kZeltaVoiceRate, uint32_t(samples.size()), header);
    EXPECT_EQ(sink.Bytes(), Cat({Bytes(header, header + kWavHeaderSize), samples}));
    ExpectValidWav(sink.Bytes(), kZeltaVoiceRate, samples);
}

TEST(WavWriter, ATransferThatBreaksMidwayLeavesTheSamplesSoFar) {
    // The download gives up after two pages and returns without calling Finish.
    const Bytes samples = Samples(500 + 506);
    MemoryWavSink sink;
    {
        WavWriter writer(sink, kZelta7VoiceRate);
        ASSERT_TRUE(writer.Begin());
        ASSERT_TRUE(writer.Append(samples.data(), 500));
        ASSERT_TRUE(writer.Append(samples.data() + 500, 506));
    }
    ExpectValidWav(sink.Bytes(), kZelta7VoiceRate, samples);

    MemoryWavSink empty;
    {
        WavWriter writer(empty, kZeltaVoiceRate);
        ASSERT_TRUE(writer.Begin());
    }
    EXPECT_EQ(empty.Bytes().size(), kWavHeaderSize);
    EXPECT_EQ(GetLe32(empty.Bytes().data() + 4), 48u);
}

TEST(WavWriter, AFullDiskCountsOnlyTheSamplesThatLanded) {
    const Bytes samples = Samples(300);
    MemoryWavSink sink(kWavHeaderSize + 120);
    WavWriter writer(sink, kZeltaVoiceRate);
    ASSERT_TRUE(writer.Begin());
    EXPECT_TRUE(writer.Append(samples.data(), 100));
    EXPECT_FALSE(writer.Append(samples.data() + 100, 100));
    EXPECT_FALSE(writer.Append(samples.data() + 200, 100));  // nothing more after a failure
    EXPECT_EQ(writer.SampleCount(), 120u);
    EXPECT_TRUE(writer.Finish());
    ExpectValidWav(sink.Bytes(), kZeltaVoiceRate, Bytes(samples.begin(), samples.begin() + 120));
}

TEST(WavWriter, AnOddCountGetsItsPadByte) {
    const Bytes samples = Samples(7);
    MemoryWavSink sink;
    WavWriter writer(sink, kZeltaVoiceRate);
    ASSERT_TRUE(writer.Begin());
    ASSERT_TRUE(writer.Append(samples.data(), samples.size()));
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(GetLe32(sink.Bytes().data() + 4), 48u + 7 + 1);
    EXPECT_EQ(GetLe32(sink.Bytes().data() + 52), 7u);
    ExpectValidWav(sink.Bytes(), kZeltaVoiceRate, samples);

    // No room for the pad: the odd sample is dropped so that the sizes still match.
    MemoryWavSink tight(kWavHeaderSize + 7);
    WavWriter cut(tight, kZeltaVoiceRate);
    ASSERT_TRUE(cut.Begin());
    ASSERT_TRUE(cut.Append(samples.data(), samples.size()));
    ASSERT_TRUE(cut.Finish());
    EXPECT_EQ(cut.SampleCount(), 6u);
    EXPECT_EQ(GetLe32(tight.Bytes().data() + 4), 48u + 6);
    EXPECT_EQ(GetLe32(tight.Bytes().data() + 52), 6u);
}

TEST(WavWriter, NothingIsAppendedWithoutAHeader) {
    MemoryWavSink sink(20);
    WavWriter writer(sink, kZeltaVoiceRate);
    EXPECT_FALSE(writer.Begin());
    const uint8_t sample = 1;
    EXPECT_FALSE(writer.Append(&sample, 1));
    EXPECT_FALSE(writer.Finish());

    MemoryWavSink unused;
    WavWriter notBegun(unused, kZeltaVoiceRate);
    EXPECT_FALSE(notBegun.Append(&sample, 1));
    EXPECT_FALSE(notBegun.Finish());
    EXPECT_TRUE(unused.Bytes().empty());
}

class TempDir : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/fonerix-wav-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::filesystem::path m_dir;
};

using WavFiles = TempDir;

TEST_F(WavFiles, WrittenFileReadsBackThroughTheUploadCheck) {
    const std::string path = m_dir / "RID0000_TRACK00022_DEV00000001.wav";
    const Bytes samples = Samples(1032);
    {
        FileWavSink file;
        ASSERT_TRUE(file.Create(path));
        WavWriter writer(file, kZeltaVoiceRate);
        ASSERT_TRUE(writer.Begin());
        ASSERT_TRUE(writer.Append(samples.data(), samples.size()));
        ASSERT_TRUE(writer.Finish());
        EXPECT_TRUE(file.Close());
    }
    std::ifstream in(path, std::ios::binary);
    const Bytes written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ExpectValidWav(written, kZeltaVoiceRate, samples);

    FileRiffSource source;
    ASSERT_TRUE(source.Open(path));
    VoiceWavReader reader;
    EXPECT_EQ(reader.Open(source, kZeltaRateWindow), WavRejection::kNone);
    EXPECT_EQ(reader.Open(source, kZelta7RateWindow), WavRejection::kRateOutOfRange);
}

TEST_F(WavFiles, FilesThatCannotBeCreatedOrOpenedAreReported) {
    FileWavSink file;
    EXPECT_FALSE(file.Create(m_dir / "no-such-folder" / "message.wav"));
    EXPECT_FALSE(file.Create(m_dir));  // a directory
    EXPECT_FALSE(file.Close());

    FileRiffSource source;
    EXPECT_FALSE(source.Open(m_dir / "missing.wav"));
    EXPECT_FALSE(source.Open(m_dir));
}

TEST(RiffReader, DescendsIntoListsAndReadsOnlyInsideAChunk) {
    const Bytes file =
        Riff(Cat({Chunk("LIST", Cat({Id("INFO"), Chunk("INAM", Bytes{'h', 'i', '!'})})),
                  Chunk("abc ", Bytes{1, 2, 3}), Chunk("data", Bytes{9, 8})}));
    MemoryRiffSource source(file.data(), file.size());
    RiffReader riff(source);
    RiffChunk form;
    ASSERT_EQ(riff.DescendRiff(form, kWaveId), RiffStatus::kOk);

    RiffChunk list;
    ASSERT_EQ(riff.Descend(list, form, 0), RiffStatus::kOk);
    EXPECT_EQ(list.id, FourCC("LIST"));
    EXPECT_EQ(list.formType, FourCC("INFO"));
    RiffChunk name;
    ASSERT_EQ(riff.Descend(name, list, FourCC("INAM")), RiffStatus::kOk);
    uint8_t buffer[16] = {};
    EXPECT_EQ(riff.Read(name, buffer, sizeof buffer), 3u);  // not the pad, not the next chunk
    EXPECT_EQ(buffer[2], '!');
    riff.Ascend(name);
    RiffChunk none;
    EXPECT_EQ(riff.Descend(none, list, 0), RiffStatus::kNotFound);
    riff.Ascend(list);

    // Past the odd-sized chunk and its pad byte to the data.
    RiffChunk data;
    ASSERT_EQ(riff.Descend(data, form, kDataId), RiffStatus::kOk);
    EXPECT_EQ(riff.Read(data, buffer, sizeof buffer), 2u);
    EXPECT_EQ(buffer[0], 9);
    EXPECT_EQ(riff.Read(data, buffer, sizeof buffer), 0u);
    riff.Ascend(data);
    EXPECT_EQ(riff.Descend(none, form, FourCC("fmt ")), RiffStatus::kNotFound);
}

TEST(RiffReader, AFailedDescendLeavesThePositionAlone) {
    const Bytes file = Riff(Cat({Chunk("fmt ", Format(1, 1, 11025, 8)), Chunk("junk", {}, 1000)}));
    MemoryRiffSource source(file.data(), file.size());
    RiffReader riff(source);
    RiffChunk form;
    ASSERT_EQ(riff.DescendRiff(form, kWaveId), RiffStatus::kOk);
    const uint64_t before = riff.Position();
    RiffChunk chunk;
    EXPECT_EQ(riff.Descend(chunk, form, kDataId), RiffStatus::kSizeLies);
    EXPECT_EQ(riff.Position(), before);
    EXPECT_EQ(riff.Descend(chunk, form, kFmtId), RiffStatus::kOk);
}

TEST(VoiceWavCheck, GoodAndBadFiles) {
    const Bytes pcm = Chunk("fmt ", Format(1, 1, 11025, 8));
    const Bytes data = Chunk("data", Samples(100));
    const Bytes good = GoodWav();
    Bytes cutShort = good;
    cutShort.resize(good.size() - 30);
    struct Case {
        const char* what;
        Bytes file;
        WavRejection expected;
        uint32_t samples = 0;
    };
    const Case cases[] = {
        {"plain 8-bit mono 11025", good, WavRejection::kNone, 100},
        {"lowest rate of the window", GoodWav(10025), WavRejection::kNone, 100},
        {"highest rate of the window", GoodWav(12025), WavRejection::kNone, 100},
        {"odd sample count", GoodWav(11025, 77), WavRejection::kNone, 77},
        {"extra chunks before fmt and data",
         Riff(Cat({Chunk("LIST", Cat({Id("INFO"), Chunk("ISFT", Bytes(5, 'x'))})), pcm,
                   Chunk("fact", Le32(100)), Chunk("junk", Bytes(3, 0)), data})),
         WavRejection::kNone, 100},
        {"format with its extension size",
         Riff(Cat({Chunk("fmt ", Cat({Format(1, 1, 11025, 8), Le16(0)})), data})),
         WavRejection::kNone, 100},
        {"bytes after the RIFF form", Cat({good, Bytes(13, 0x55)}), WavRejection::kNone, 100},

        {"16-bit", Riff(Cat({Chunk("fmt ", Format(1, 1, 11025, 16)), data})),
         WavRejection::kNot8Bit},
        {"stereo", Riff(Cat({Chunk("fmt ", Format(1, 2, 11025, 8)), data})),
         WavRejection::kNotMono},
        {"not PCM", Riff(Cat({Chunk("fmt ", Format(3, 1, 11025, 8)), data})),
         WavRejection::kNotPcm},
        {"rate of a type 7 set", GoodWav(6400), WavRejection::kRateOutOfRange},
        {"just below the window", GoodWav(10024), WavRejection::kRateOutOfRange},
        {"just above the window", GoodWav(12026), WavRejection::kRateOutOfRange},
        {"empty data", Riff(Cat({pcm, Chunk("data", {})})), WavRejection::kEmptyData},
        {"no data", Riff(pcm), WavRejection::kNoData},
        {"data before fmt", Riff(Cat({data, pcm})), WavRejection::kNoData},
        {"no fmt", Riff(data), WavRejection::kNoFormat},
        {"fmt too short", Riff(Cat({Chunk("fmt ", Bytes(14, 1)), data})),
         WavRejection::kFormatTooShort},
        {"data chunk claims more than the file",
         Riff(Cat({pcm, Chunk("data", Samples(100), 5000)})), WavRejection::kTruncatedChunk},
        {"data size 0xFFFFFFFF", Riff(Cat({pcm, Chunk("data", Samples(100), 0xFFFFFFFF)})),
         WavRejection::kTruncatedChunk},
        {"fmt chunk claims more than the RIFF",
         Riff(Cat({Chunk("fmt ", Format(1, 1, 11025, 8), 0x7FFFFFF0), data})),
         WavRejection::kTruncatedChunk},
        {"data header cut off", Riff(Cat({pcm, Bytes{'d', 'a', 0, 0}})),
         WavRejection::kTruncatedChunk},
        {"RIFF size larger than the file", Riff(Cat({pcm, data}), 10000),
         WavRejection::kRiffSizeLies},
        {"RIFF size 0xFFFFFFFF", Riff(Cat({pcm, data}), 0xFFFFFFFF), WavRejection::kRiffSizeLies},
        {"file cut short inside data", cutShort, WavRejection::kRiffSizeLies},
        {"RIFF size ends inside data", Riff(Cat({pcm, data}), 4 + 24 + 8 + 50),
         WavRejection::kTruncatedChunk},
        {"RIFF size too small for a form type", Riff({}, 2), WavRejection::kTruncatedChunk},
        {"not RIFF", Cat({Id("RIFX"), Bytes(good.begin() + 4, good.end())}),
         WavRejection::kNotRiff},
        {"not RIFF and a huge size", Cat({Id("MThd"), Le32(0xFFFFFF00), Bytes(20, 0)}),
         WavRejection::kNotRiff},
        {"not WAVE", Riff(Cat({pcm, data}), {}, "AVI "), WavRejection::kNotWave},
        {"empty file", {}, WavRejection::kNotRiff},
        {"seven bytes", Bytes(good.begin(), good.begin() + 7), WavRejection::kNotRiff},
    };
    for (const Case& c : cases) {
        MemoryRiffSource source(c.file.data(), c.file.size());
        VoiceWavInfo info;
        const WavRejection got = CheckVoiceWav(source, kZeltaRateWindow, info);
        EXPECT_EQ(got, c.expected) << c.what << ": " << WavRejectionText(got);
        EXPECT_EQ(info.sampleCount, c.samples) << c.what;
    }
}

TEST(VoiceWavCheck, TheType7WindowTakesItsOwnRateOnly) {
    for (auto [rate, expected] : {std::pair{6400u, WavRejection::kNone},
                                  {6000u, WavRejection::kNone},
                                  {6900u, WavRejection::kNone},
                                  {5999u, WavRejection::kRateOutOfRange},
                                  {6901u, WavRejection::kRateOutOfRange},
                                  {11025u, WavRejection::kRateOutOfRange}}) {
        const Bytes file = GoodWav(rate);
        MemoryRiffSource source(file.data(), file.size());
        VoiceWavInfo info;
        EXPECT_EQ(CheckVoiceWav(source, kZelta7RateWindow, info), expected) << rate;
    }
}

TEST(VoiceWavCheck, ReaderHandsOutTheDataInPieces) {
    const Bytes file =
        Riff(Cat({Chunk("fmt ", Format(1, 1, 11025, 8)), Chunk("data", Samples(1000)),
                  Chunk("LIST", Cat({Id("INFO"), Bytes(40, 'z')}))}));
    MemoryRiffSource source(file.data(), file.size());
    VoiceWavReader reader;
    ASSERT_EQ(reader.Open(source, kZeltaRateWindow), WavRejection::kNone);
    Bytes all;
    uint8_t page[984];
    while (size_t n = reader.Read(page, sizeof page)) {
        all.insert(all.end(), page, page + n);
    }
    EXPECT_EQ(all, Samples(1000));  // and nothing of the chunk after it
    EXPECT_EQ(reader.Remaining(), 0u);

    const Bytes bad = GoodWav(22050);
    MemoryRiffSource badSource(bad.data(), bad.size());
    EXPECT_EQ(reader.Open(badSource, kZeltaRateWindow), WavRejection::kRateOutOfRange);
    EXPECT_EQ(reader.Read(page, sizeof page), 0u);  // a refused file hands out nothing
}

}  // namespace
}  // namespace fonerix::test
