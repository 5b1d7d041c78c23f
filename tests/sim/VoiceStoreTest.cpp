// The set's voice store from its own side: the free chain a fresh set starts with, messages a
// scenario gives it, and the half-page addressing of the type-7 pages.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/Engine.h"
#include "sim/SetContent.h"
#include "sim/Triples.h"
#include "sim/VoiceStore.h"
#include "tests/support/HexBytes.h"
#include "tests/support/VoiceFiles.h"

namespace fonerix::sim {
namespace {

using test::HexText;

const auto kMadeAt = std::chrono::system_clock::time_point{} + std::chrono::hours(496000);

DeviceStores Make(int type, const std::string& text,
                  const std::vector<std::vector<std::uint8_t>>& files = {}) {
    ParsedScenario parsed = ParseScenario(text);
    if (!parsed.scenario) {
        throw std::invalid_argument(parsed.error);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        parsed.scenario->voice.at(i).wav = files[i];
    }
    return BuildSet(type, *parsed.scenario, kMadeAt);
}

std::string Line(const std::string& dump, const std::string& start) {
    const std::size_t at = dump.find(start);
    return at == std::string::npos ? "" : dump.substr(at, dump.find('\n', at) - at);
}

struct FreshCase {
    int type;
    std::uint16_t head;
    unsigned blocks;
    std::uint16_t last;  // the last voice block
};

class FreshVoice : public ::testing::TestWithParam<FreshCase> {};

TEST_P(FreshVoice, EveryVoiceBlockIsInTheFreeChainInOrder) {
    const FreshCase& c = GetParam();
    DeviceStores stores = Make(c.type, "");
    EXPECT_EQ(Line(DumpLists(stores), "voice handles"),
              "voice handles first=0 second=0 free=" + std::to_string(c.head) + " further=0");
    EXPECT_EQ(Line(DumpLists(stores), "voice free"),
              "voice free blocks=" + std::to_string(c.blocks));

    VoiceStore voice(stores.flash, *StorageOfType(c.type));
    const std::vector<std::uint16_t> blocks = voice.VoiceBlocks();
    ASSERT_EQ(blocks.size(), c.blocks);
    EXPECT_EQ(blocks.back(), c.last);
    // The links as the host reads them: page 0 header (coded types) or the spare bytes of
    // page 0 (type 7), three times each.
    const auto link = [&](std::uint16_t block) {
        if (c.type == 7) {
            std::vector<std::uint8_t> raw(6);
            stores.flash.ReadHalves(FlashLocation{block, 128, 0}, raw);
            return HexText(*DecodeTriples(raw));
        }
        std::vector<std::uint8_t> raw(12);
        stores.flash.Read(FlashLocation{block, 0, 0}, raw);
        return HexText(*DecodeTriples(raw));
    };
    if (c.type == 7) {
        EXPECT_EQ(link(16), "00 1E");   // 16 -> 30
        EXPECT_EQ(link(255), "01 05");  // 255 -> 261, past the lists' blocks
        EXPECT_EQ(link(c.last), "80 00");
    } else {
        EXPECT_EQ(link(33), "00 20 00 22");
        EXPECT_EQ(link(255), "00 20 01 05");
        EXPECT_EQ(link(c.last), "00 20 00 00");
    }
}

INSTANTIATE_TEST_SUITE_P(Voice, FreshVoice,
                         ::testing::Values(FreshCase{5, 33, 223 + 251, 511},
                                           FreshCase{6, 33, 223 + 251, 511},
                                           FreshCase{7, 16, 1 + 226 + 763, 1023}),
                         [](const auto& test) { return "Type" + std::to_string(test.param.type); });

TEST(Voice, ScenarioMessageIsRecordedFromTheFreeChainInTheTwoBitCode) {
    // 2.5 blocks of a sine; the player must follow it closely.
    const std::vector<std::uint8_t> sound = test::Sine(41000, 11025);
    DeviceStores stores = Make(5, "voice hello.wav special=2\nvoice hello.wav\n",
                               {test::WavBytes(sound), test::WavBytes(sound)});
    const std::string dump = DumpLists(stores);
    // Each message takes 3 blocks; the second starts where the first left the free chain.
    EXPECT_EQ(Line(dump, "voice handles"), "voice handles first=0 second=33 free=39 further=0");
    EXPECT_EQ(Line(dump, "voice free"), "voice free blocks=468");
    // Whole pages up to the one the message ends on: 2 blocks, then 984 + 7 * 1032.
    const std::string samples = std::to_string(2 * 16464 + 984 + 7 * 1032);
    EXPECT_EQ(Line(dump, "voice message handle=33"),
              "voice message handle=33 blocks=3 samples=" + samples);
    EXPECT_EQ(Line(dump, "voice message handle=36"),
              "voice message handle=36 blocks=3 samples=" + samples);

    VoiceStore voice(stores.flash, Storage::kFlash16);
    const auto played = voice.Play(33);
    ASSERT_TRUE(played);
    long worst = 0;
    // After the first few samples (the code starts at 255 with its smallest step).
    for (std::size_t i = 200; i < sound.size(); ++i) {
        worst = std::max(worst, std::labs(long{(*played)[i]} - long{sound[i]}));
    }
    EXPECT_LE(worst, 24);
    // The rest of the last page is silence, not leftovers.
    for (std::size_t i = sound.size() + 100; i < played->size(); ++i) {
        ASSERT_NEAR((*played)[i], 128, 12) << i;
    }
    // The last block ends the chain; the end page's flag is set in its header.
    std::vector<std::uint8_t> raw(18);
    stores.flash.Read(FlashLocation{35, 0, 0}, raw);
    EXPECT_EQ(HexText(*DecodeTriples(raw)), "00 20 00 00 00 00");
    raw.resize(6);
    stores.flash.Read(FlashLocation{35, 7, 0}, raw);
    EXPECT_EQ(HexText(*DecodeTriples(raw)), "80 00");
}

TEST(Voice, Type7KeepsPlainSignedSamplesWithTheLinkInTheSpareBytes) {
    std::vector<std::uint8_t> sound = test::Sine(16186 + 600, 6400);
    DeviceStores stores = Make(7, "voice a.wav special=1\n", {test::WavBytes(sound, {6400})});
    EXPECT_EQ(Line(DumpLists(stores), "voice handles"),
              "voice handles first=16 second=0 free=31 further=0");
    // Page 0, data from byte 12: the sample minus 128; its second half starts at byte 256.
    std::vector<std::uint8_t> raw(4);
    stores.flash.ReadHalves(FlashLocation{16, 0, 12}, raw);
    EXPECT_EQ(raw[0], sound[0] ^ 0x80);
    stores.flash.ReadHalves(FlashLocation{16, 1, 0}, raw);
    EXPECT_EQ(raw[0], sound[256 - 12] ^ 0x80);
    VoiceStore voice(stores.flash, Storage::kFlash64);
    const auto played = voice.Play(16);
    ASSERT_TRUE(played);
    ASSERT_GE(played->size(), sound.size());
    EXPECT_EQ(std::vector<std::uint8_t>(played->begin(), played->begin() + sound.size()), sound);
    EXPECT_EQ(played->size(), 16186u + 500u + 506u);  // block 30 ends on its page 1
}

TEST(Voice, ScenarioMessagesThatDoNotSuitTheSetAreRefused) {
    const auto refused = [](int type, const std::vector<std::uint8_t>& file) {
        try {
            Make(type, "voice x.wav\n", {file});
        } catch (const std::invalid_argument& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    const std::vector<std::uint8_t> some = test::Sine(1000, 11025);
    EXPECT_NE(refused(5, test::WavBytes(some, {11025, 1, 16})).find("8-bit mono"),
              std::string::npos);
    EXPECT_NE(refused(5, test::WavBytes(some, {11025, 2, 8})).find("8-bit mono"),
              std::string::npos);
    EXPECT_NE(refused(7, test::WavBytes(some, {11025})).find("6400"), std::string::npos);
    EXPECT_NE(refused(5, test::WavBytes({}, {11025})).find("no samples"), std::string::npos);
    // Longer than every free block together (474 blocks of 16464 samples).
    EXPECT_NE(refused(5, test::WavBytes(std::vector<std::uint8_t>(474 * 16464 + 1, 128)))
                  .find("free chain"),
              std::string::npos);
    EXPECT_EQ(refused(5, test::WavBytes(some)), "accepted");
}

TEST(Voice, Type7HalvesRunOnAcrossTheMiddleOfThePage) {
    Engine engine(7);
    // Write 4 bytes from column 254 of page byte 2 (page 1, bytes 254..257), read them back
    // through page byte 3 (the second half) and the whole page.
    const std::vector<std::uint8_t> write{0xA0, 0x02, 254, 2, 40, 0, 4, 1, 2, 3, 4};
    const std::vector<std::uint8_t> wake{0, 0};
    for (const std::uint8_t b : wake) {
        engine.Receive(b);
    }
    for (const std::uint8_t b : write) {
        engine.Receive(b);
    }
    engine.TakeTransmissions();
    for (const std::uint8_t b : {0xA0, 0x01, 0, 3, 40, 0, 2}) {
        engine.Receive(static_cast<std::uint8_t>(b));
    }
    const auto sent = engine.TakeTransmissions();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(HexText(sent[1].bytes), "03 04");
    // Spare bytes: page byte + 128.
    for (const std::uint8_t b : {0xA0, 0x02, 0, 130, 40, 0, 1, 0x5A}) {
        engine.Receive(static_cast<std::uint8_t>(b));
    }
    for (const std::uint8_t b : {0xA0, 0x01, 255, 3, 40, 0, 2}) {
        engine.Receive(static_cast<std::uint8_t>(b));
    }
    const auto spare = engine.TakeTransmissions();
    ASSERT_EQ(spare.size(), 3u);  // two echoes and the answer
    EXPECT_EQ(HexText(spare[2].bytes), "FF 5A");
}

}  // namespace
}  // namespace fonerix::sim
