// Voice messages against the simulated set of types 5, 6 and 7: uploads and downloads through
// the whole chain of blocks, refusals that leave the set untouched, delete and the free chain,
// the handle table, a broken transfer and a chain that loops; and the answers of a set without
// voice messages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/device/VarkonDevice.h"
#include "control/device/Zelta6Device.h"
#include "control/device/Zelta7Device.h"
#include "control/device/ZeltaDevice.h"
#include "control/voice/VoiceCodec.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/support/VoiceFiles.h"

namespace fonerix::test {
namespace {

using Bytes = std::vector<uint8_t>;
using fonerix::test::ReadBytes;
using fonerix::test::Sine;
using fonerix::test::WavBytes;
using fonerix::test::WriteBytes;

struct VoiceType {
    int type;
    std::function<std::unique_ptr<CDevice>()> make;
    uint32_t rate;
    uint32_t perBlock;       // samples a block holds
    uint16_t firstFree;      // the free chain's head on a fresh set
    uint32_t freeBlocks;     // voice blocks of a fresh set
    uint32_t quarterSecond;  // a block's recording time, in quarter seconds
    bool coded;
};

std::ostream& operator<<(std::ostream& out, const VoiceType& t) {
    return out << "type" << t.type;
}

const VoiceType kTypes[] = {
    {5, [] { return std::make_unique<CZeltaDevice>(); }, 11025, 16464, 33, 474, 6, true},
    {6, [] { return std::make_unique<CZelta6Device>(); }, 11025, 16464, 33, 474, 6, true},
    {7, [] { return std::make_unique<CZelta7Device>(); }, 6400, 16186, 16, 990, 11, false},
};

std::u16string U16(const std::string& path) {
    return std::u16string(path.begin(), path.end());
}

// A downloaded file: its header must count exactly the samples it holds.
struct Download {
    bool valid = false;
    uint32_t rate = 0;
    Bytes samples;
};

uint32_t Le32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

Download ReadDownload(const std::string& path) {
    const Bytes file = ReadBytes(path);
    Download d;
    if (file.size() < 56) {
        return d;
    }
    const uint32_t n = Le32(file, 52);
    d.rate = Le32(file, 24);
    d.valid =
        std::string(file.begin(), file.begin() + 4) == "RIFF" && Le32(file, 4) == 48 + n + n % 2 &&
        Le32(file, 44) == n && std::string(file.begin() + 48, file.begin() + 52) == "data" &&
        file.size() == 56 + n + n % 2 && file[22] == 1 && file[34] == 8 && Le32(file, 28) == d.rate;
    d.samples.assign(file.begin() + 56, file.begin() + 56 + std::min<size_t>(n, file.size() - 56));
    return d;
}

// What the set holds, as far as the host can change it: every store write or erase it counted,
// and its voice blocks and settings.
std::string Footprint(fonerix::test::SimProcess& sim) {
    const std::string status = sim.Command("status");
    return status.substr(status.find("changes=")) + "\n" + sim.DumpLists();
}

class VoiceSim : public ::testing::TestWithParam<VoiceType> {
  protected:
    void Start(const std::string& scenario = {}) {
        sim = std::make_unique<fonerix::test::SimProcess>(
            fonerix::test::SimOptions{.type = GetParam().type, .scenario = scenario});
        setenv("FONERIX_COM1", sim->LinkPath().c_str(), 1);
        device = GetParam().make();
        DEVICEINFO info{};
        ASSERT_TRUE(device->LookForDevice(info, 1));
        SysFreeString(info.Caption);
        ASSERT_TRUE(device->WakeupDevice(true));
    }
    void TearDown() override {
        device.reset();
        unsetenv("FONERIX_COM1");
    }
    std::string File(const std::string& name) const { return dir.Path().string() + "/" + name; }
    // A sine of `samples` at the family's rate, written as an 8-bit mono WAV file.
    Bytes Upload(const std::string& name, size_t samples, int16_t& handle) {
        const Bytes sound = Sine(samples, GetParam().rate);
        WriteBytes(File(name), WavBytes(sound, {GetParam().rate}));
        EXPECT_TRUE(device->SetSoundMessage(handle, U16(File(name))));
        return sound;
    }
    std::string Line(const std::string& start) {
        const std::string dump = sim->DumpLists();
        const size_t at = dump.find(start);
        return at == std::string::npos ? "" : dump.substr(at, dump.find('\n', at) - at);
    }

    fonerix::test::TemporaryDirectory dir;
    std::unique_ptr<fonerix::test::SimProcess> sim;
    std::unique_ptr<CDevice> device;
};

TEST_P(VoiceSim, MessageOverSeveralBlocksComesBackInvertedAndRequantised) {
    const VoiceType& t = GetParam();
    Start();
    const size_t count = 2 * t.perBlock + 3000;  // three blocks, the last one partly
    int16_t handle = 0;
    const Bytes sound = Upload("up.wav", count, handle);
    EXPECT_EQ(handle, t.firstFree);
    EXPECT_EQ(Line("voice message").substr(0, Line("voice message").find(" samples")),
              "voice message handle=" + std::to_string(t.firstFree) + " blocks=3");

    ASSERT_TRUE(device->GetSoundMessage(handle, U16(File("down.wav"))));
    const Download down = ReadDownload(File("down.wav"));
    ASSERT_TRUE(down.valid);
    EXPECT_EQ(down.rate, t.rate);
    // Whole pages: the page the message ends in comes back filled with silence.
    ASSERT_GE(down.samples.size(), count);
    EXPECT_LT(down.samples.size(), count + 1100);
    if (t.coded) {
        // The set's values are exactly what the code makes of the inverted sine...
        Bytes padded = sound;
        padded.resize(down.samples.size(), 128);
        Bytes expected(padded.size());
        VoiceEncoder encoder;
        encoder.Encode(padded.data(), padded.size(), expected.data());
        VoiceDecoder decoder;
        Bytes coded(expected.begin(), expected.begin() + padded.size() / 4);
        decoder.Decode(coded.data(), coded.size(), expected.data());
        EXPECT_EQ(down.samples, expected);
        // ...and follow it closely once the code has caught up from its start at 255.
        int worst = 0;
        for (size_t i = 200; i < count; ++i) {
            worst = std::max(worst, std::abs(int(down.samples[i]) - (255 - int(sound[i]))));
        }
        EXPECT_LE(worst, 24);
    } else {
        EXPECT_EQ(Bytes(down.samples.begin(), down.samples.begin() + count), sound);
        EXPECT_EQ(Bytes(down.samples.begin() + count, down.samples.end()),
                  Bytes(down.samples.size() - count, 128));
    }

    // A second message starts where the first left the free chain.
    int16_t second = 0;
    Upload("second.wav", 100, second);
    EXPECT_NE(second, handle);
    ASSERT_TRUE(device->GetSoundMessage(second, U16(File("second.wav.down"))));
    EXPECT_TRUE(ReadDownload(File("second.wav.down")).valid);
}

TEST_P(VoiceSim, FilesTheSetCannotTakeAreRefusedWithTheFlashUntouched) {
    const VoiceType& t = GetParam();
    Start();
    const Bytes some = Sine(2000, t.rate);
    const uint32_t otherRate = t.coded ? 6400 : 11025;
    struct Case {
        const char* what;
        Bytes file;
    };
    std::vector<Case> cases = {
        {"16-bit", WavBytes(Bytes(4000, 0), {t.rate, 1, 16})},
        {"stereo", WavBytes(some, {t.rate, 2, 8})},
        {"another family's rate", WavBytes(some, {otherRate})},
        {"no samples", WavBytes({}, {t.rate})},
        {"not RIFF", Bytes(100, 'x')},
        // One sample more than every free block together.
        {"longer than the free chain",
         WavBytes(Bytes(size_t(t.perBlock) * t.freeBlocks + 1, 128), {t.rate})},
    };
    Bytes lying = WavBytes(some, {t.rate});
    lying[4] = 0xF0;  // the RIFF size claims more than the file holds
    cases.push_back({"a RIFF size that lies", lying});

    const std::string before = Footprint(*sim);
    for (const Case& c : cases) {
        WriteBytes(File("bad.wav"), c.file);
        int16_t handle = 1234;
        EXPECT_FALSE(device->SetSoundMessage(handle, U16(File("bad.wav")))) << c.what;
        EXPECT_EQ(handle, 1234) << c.what;
    }
    int16_t unused = 0;
    EXPECT_FALSE(device->SetSoundMessage(unused, U16(File("missing.wav"))));
    EXPECT_EQ(Footprint(*sim), before);
}

TEST_P(VoiceSim, DeletePutsTheMessageInFrontOfTheFreeChain) {
    const VoiceType& t = GetParam();
    Start();
    int16_t first = 0;
    int16_t second = 0;
    Upload("a.wav", t.perBlock + 10, first);  // two blocks
    Upload("b.wav", 10, second);
    // The free chain's tail is no free time: one block fewer than the set holds free.
    const int32_t freeBefore = device->GetFreeSoundSpace();
    EXPECT_EQ(freeBefore, int32_t((t.freeBlocks - 4) * t.quarterSecond / 4));

    ASSERT_TRUE(device->DelSoundMessage(first));
    int16_t table[6] = {-7, -7, -7, -7, -7, -7};
    EXPECT_EQ(device->GetSoundHandles(table, 6), 4);
    EXPECT_EQ(table[2], first);
    EXPECT_EQ(table[4], -7);
    EXPECT_EQ(table[5], -7);
    EXPECT_EQ(device->GetFreeSoundSpace(), int32_t((t.freeBlocks - 2) * t.quarterSecond / 4));
    EXPECT_EQ(Line("voice free"), "voice free blocks=" + std::to_string(t.freeBlocks - 1));
    EXPECT_EQ(sim->DumpLists().find("voice message handle=" + std::to_string(first) + " "),
              std::string::npos);

    // The next upload takes the freed blocks first; the other message is intact.
    int16_t third = 0;
    Upload("c.wav", 10, third);
    EXPECT_EQ(third, first);
    EXPECT_TRUE(device->GetSoundMessage(second, U16(File("b.down"))));
    EXPECT_EQ(ReadDownload(File("b.down")).samples.size(), t.coded ? 984u : 500u);

    // Deleting blocks that are free, or a handle no message can have, changes nothing.
    const std::string before = Footprint(*sim);
    EXPECT_FALSE(device->DelSoundMessage(static_cast<int16_t>(t.firstFree + 10)));
    EXPECT_FALSE(device->DelSoundMessage(3));
    EXPECT_EQ(Footprint(*sim), before);
}

TEST_P(VoiceSim, SoundHandlesRoundTripAndBadTablesFail) {
    const VoiceType& t = GetParam();
    Start();
    const int16_t specials[2] = {300, 301};
    ASSERT_TRUE(device->SetSoundHandles(specials, 2));
    int16_t table[4] = {};
    ASSERT_EQ(device->GetSoundHandles(table, 4), 4);
    EXPECT_EQ(table[0], 300);
    EXPECT_EQ(table[1], 301);
    EXPECT_EQ(table[2], t.firstFree);
    EXPECT_EQ(table[3], 0);
    const int16_t one[1] = {40};
    ASSERT_TRUE(device->SetSoundHandles(one, 1));
    int16_t two[2] = {};
    EXPECT_EQ(device->GetSoundHandles(two, 2), 2);
    EXPECT_EQ(two[0], 40);
    EXPECT_EQ(two[1], 301);

    EXPECT_EQ(device->GetSoundHandles(nullptr, 4), -1);
    EXPECT_FALSE(device->SetSoundHandles(nullptr, 2));
    // A count of 0 fills and changes nothing, and answers as the settings block does.
    EXPECT_EQ(device->GetSoundHandles(table, 0), 0);
    EXPECT_TRUE(device->SetSoundHandles(specials, 0));
    EXPECT_EQ(device->GetSoundHandles(two, 2), 2);
    EXPECT_EQ(two[0], 40);
    EXPECT_EQ(two[1], 301);
}

TEST_P(VoiceSim, MessageTheSetRecordedDownloadsAsItWasRecorded) {
    const VoiceType& t = GetParam();
    const Bytes sound = Sine(t.perBlock + 500, t.rate, 440, 50);
    WriteBytes(dir.Path().string() + "/greeting.wav", WavBytes(sound, {t.rate}));
    WriteBytes(dir.Path().string() + "/set.txt", {});
    const std::string text = "voice greeting.wav special=1\n";
    WriteBytes(dir.Path().string() + "/set.txt", Bytes(text.begin(), text.end()));
    Start(dir.Path().string() + "/set.txt");
    int16_t table[4] = {};
    ASSERT_EQ(device->GetSoundHandles(table, 4), 4);
    EXPECT_EQ(table[0], t.firstFree);
    ASSERT_TRUE(device->GetSoundMessage(table[0], U16(File("greeting.down"))));
    const Download down = ReadDownload(File("greeting.down"));
    ASSERT_TRUE(down.valid);
    ASSERT_GE(down.samples.size(), sound.size());
    if (t.coded) {
        // The set's own recording is not inverted; it follows the sound within the code's steps.
        int worst = 0;
        for (size_t i = 200; i < sound.size(); ++i) {
            worst = std::max(worst, std::abs(int(down.samples[i]) - int(sound[i])));
        }
        EXPECT_LE(worst, 24);
    } else {
        EXPECT_EQ(Bytes(down.samples.begin(), down.samples.begin() + sound.size()), sound);
    }
}

TEST_P(VoiceSim, BrokenDownloadLeavesAValidFileOfWhatArrived) {
    const VoiceType& t = GetParam();
    Start();
    int16_t handle = 0;
    Upload("a.wav", 2 * t.perBlock, handle);
    // The line goes dead some way into the first block.
    ASSERT_EQ(sim->Command("fault hangup 3000"), "ok");
    EXPECT_FALSE(device->GetSoundMessage(handle, U16(File("broken.wav"))));
    const Download down = ReadDownload(File("broken.wav"));
    EXPECT_TRUE(down.valid);
    EXPECT_GT(down.samples.size(), 0u);
    EXPECT_LT(down.samples.size(), size_t(t.perBlock));
    ASSERT_EQ(sim->Command("fault hangup 0"), "ok");

    // A file that cannot be created.
    EXPECT_FALSE(
        device->GetSoundMessage(handle, U16(dir.Path().string() + "/no/such/folder/x.wav")));
}

INSTANTIATE_TEST_SUITE_P(Voice, VoiceSim, ::testing::ValuesIn(kTypes),
                         [](const auto& test) { return "Type" + std::to_string(test.param.type); });

// Two free blocks that name each other: every walk must stop.
TEST(VoiceSimLoop, ChainThatComesRoundAgainDoesNotHang) {
    fonerix::test::TemporaryDirectory dir;
    // Block 34 links back to 33; both are recorded into, with no page marked as the last.
    std::string text;
    for (const int block : {33, 34}) {
        const int next = block == 33 ? 34 : 33;
        char line[160];
        std::snprintf(line, sizeof line,
                      "flash-bytes %d 0 0 00 00 00 20 20 20 00 00 00 %02X %02X %02X 00 00 00 00 "
                      "00 00\n",
                      block, next, next, next);
        text += line;
        for (int page = 1; page < 16; ++page) {
            text += "flash-bytes " + std::to_string(block) + " " + std::to_string(page) +
                    " 0 00 00 00 00 00 00\n";
        }
    }
    WriteBytes(dir.Path().string() + "/loop.txt", Bytes(text.begin(), text.end()));
    fonerix::test::SimProcess sim({.type = 5, .scenario = dir.Path().string() + "/loop.txt"});
    setenv("FONERIX_COM1", sim.LinkPath().c_str(), 1);
    CZeltaDevice device;
    DEVICEINFO info{};
    ASSERT_TRUE(device.LookForDevice(info, 1));
    SysFreeString(info.Caption);
    ASSERT_TRUE(device.WakeupDevice(true));

    // The free chain 33 -> 34 -> 33: two blocks, counted once each.
    EXPECT_EQ(device.GetFreeSoundSpace(), 3);
    const std::string path = dir.Path().string() + "/loop.wav";
    EXPECT_FALSE(device.GetSoundMessage(33, U16(path)));
    const Download down = ReadDownload(path);
    EXPECT_TRUE(down.valid);
    EXPECT_EQ(down.samples.size(), 2u * 16464u);
    const std::string before = sim.Command("status");
    EXPECT_FALSE(device.DelSoundMessage(33));
    WriteBytes(dir.Path().string() + "/up.wav", WavBytes(Sine(3 * 16464, 11025)));
    int16_t handle = 0;
    EXPECT_FALSE(device.SetSoundMessage(handle, U16(dir.Path().string() + "/up.wav")));
    const std::string after = sim.Command("status");
    EXPECT_EQ(after.substr(after.find("changes=")), before.substr(before.find("changes=")));
    unsetenv("FONERIX_COM1");
}

TEST(VoiceSimVarkon, SetWithoutVoiceMessagesGivesTheFailureAnswers) {
    fonerix::test::SimProcess sim({.type = 1});
    setenv("FONERIX_COM1", sim.LinkPath().c_str(), 1);
    CVarkonDevice device;
    DEVICEINFO info{};
    ASSERT_TRUE(device.LookForDevice(info, 1));
    SysFreeString(info.Caption);
    int16_t handle = 5;
    int16_t table[4] = {1, 2, 3, 4};
    EXPECT_FALSE(device.GetSoundMessage(33, u"/tmp/never-written.wav"));
    EXPECT_FALSE(device.SetSoundMessage(handle, u"/tmp/never-read.wav"));
    EXPECT_FALSE(device.DelSoundMessage(33));
    EXPECT_EQ(device.GetSoundHandles(table, 4), -1);
    EXPECT_FALSE(device.SetSoundHandles(table, 2));
    EXPECT_EQ(device.GetFreeSoundSpace(), 0);
    EXPECT_EQ(handle, 5);
    unsetenv("FONERIX_COM1");
}

}  // namespace
}  // namespace fonerix::test
