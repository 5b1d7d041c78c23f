// The host's side of the wire protocol, byte by byte, against a scripted set in memory.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "control/device/Device.h"
#include "tests/control/BareDevice.h"
#include "tests/control/FakeSet.h"
#include "tests/support/MemoryPort.h"

namespace fonerix::test {
namespace {

class ProtocolTest : public ::testing::Test {
  protected:
    ProtocolTest() {
        auto port = std::make_unique<MemoryPort>(
            [this](uint8_t b, std::vector<uint8_t>& out) { set(b, out); });
        line = port.get();
        device = std::make_unique<BareDevice>(57600, std::move(port));
        for (int i = 0; i < 256; ++i) {
            set.registers[i] = static_cast<uint8_t>(i ^ 0x5A);
        }
        for (size_t i = 0; i < set.memory.size(); ++i) {
            set.memory[i] = static_cast<uint8_t>(i * 7 + 3);
        }
    }

    // The trace tokens of `count` memory bytes read from `address`.
    std::string MemoryBytes(uint32_t address, uint32_t count) const {
        std::string out;
        for (uint32_t i = 0; i < count; ++i) {
            char token[8];
            std::snprintf(token, sizeof token, "%s<%02X", i ? " " : "", set.memory[address + i]);
            out += token;
        }
        return out;
    }

    FakeSet set;
    MemoryPort* line = nullptr;
    std::unique_ptr<CDevice> device;
};

TEST_F(ProtocolTest, CommandIsEchoedUnderHandshakeTimeouts) {
    EXPECT_TRUE(device->SendCommand(0x82));
    EXPECT_EQ(line->TakeTrace(), "T:h purge >82 <82 T:d");
}

TEST_F(ProtocolTest, WrongEchoFailsAtOnceWithoutFurtherAttempts) {
    set.wrongEcho = true;
    EXPECT_FALSE(device->SendCommand(0x82));
    EXPECT_EQ(line->TakeTrace(), "T:h purge >82 <83 T:d");
}

TEST_F(ProtocolTest, SilentSetGetsFourAttemptsAndOneRewakeBeforeTheSecond) {
    set.silent = true;
    EXPECT_FALSE(device->SendCommand(0x84));
    const std::string attempt = "purge >84 <--";
    // The re-wake: short handshake, then the long burst (500 zero bytes), both unanswered.
    std::string burst;
    for (int i = 0; i < 500; ++i) {
        burst += " >00";
    }
    const std::string rewake =
        "stop purge T:h >00 >00 <-- T:d" + burst + " pause17 <-- purge start";
    EXPECT_EQ(line->TakeTrace(), "T:h " + attempt + " " + rewake + " " + attempt + " " + attempt +
                                     " " + attempt + " T:d");
}

TEST_F(ProtocolTest, NeedsRewakeFlagWakesBeforeTheFirstAttemptAndIsCleared) {
    device->SetNeedsRewake(true);
    EXPECT_TRUE(device->SendCommand(0x82));
    EXPECT_FALSE(device->NeedsRewake());
    EXPECT_EQ(line->TakeTrace(), "T:h stop purge T:h >00 >00 <FF <FF T:d start purge >82 <82 T:d");
}

TEST_F(ProtocolTest, RewakeAfterAMissedEchoUsesTheCurrentWritePermit) {
    ASSERT_TRUE(device->WakeupDevice(true));
    line->TakeTrace();
    set.missedEchoes = 1;
    EXPECT_TRUE(device->SendCommand(0x88));
    // Second attempt re-wakes with permission, which writes the permit register again.
    EXPECT_EQ(line->TakeTrace(),
              "T:h purge >88 <-- stop purge T:h >00 >00 <FF <FF T:d T:h purge >84 <84 T:d >01 >FF "
              "start purge >88 <88 T:d");
}

// A key event on the set wakes before the first attempt; a missed echo after it does not wake a
// second time.
TEST_F(ProtocolTest, NeedsRewakeAndAMissedEchoWakeOnce) {
    device->SetNeedsRewake(true);
    set.missedEchoes = 1;
    EXPECT_TRUE(device->SendCommand(0x82));
    EXPECT_EQ(line->TakeTrace(),
              "T:h stop purge T:h >00 >00 <FF <FF T:d start purge >82 <-- purge >82 <82 T:d");
}

// A set that answers the wake-up but no command: each command re-wakes once, whatever the
// flags, and the permit write inside the re-wake does not re-wake in turn.
TEST_F(ProtocolTest, EachCommandRewakesAtMostOnce) {
    const auto handshakes = [](const std::string& trace) {
        size_t n = 0;
        for (size_t at = trace.find("T:h >00 >00"); at != std::string::npos;
             at = trace.find("T:h >00 >00", at + 1)) {
            ++n;
        }
        return n;
    };
    const struct {
        const char* name;
        bool keyEvent, permit;
    } cases[] = {
        {"asleep", false, false},
        {"asleep, with permission", false, true},
        {"after a key event", true, false},
        {"after a key event, with permission", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        set.missedEchoes = 0;
        ASSERT_TRUE(device->WakeupDevice(c.permit));
        set.missedEchoes = 1000;
        line->TakeTrace();
        device->SetNeedsRewake(c.keyEvent);
        EXPECT_FALSE(device->SendCommand(0x82));
        EXPECT_EQ(handshakes(line->TakeTrace()), 1u);
        // The permission is back for the next command.
        EXPECT_FALSE(device->SendCommand(0x82));
        EXPECT_EQ(handshakes(line->TakeTrace()), 1u);
        // A register read is four commands: four re-wakes, not more.
        uint8_t value = 0;
        EXPECT_FALSE(device->ReadRegister(3, value));
        EXPECT_EQ(handshakes(line->TakeTrace()), 4u);
    }
}

TEST_F(ProtocolTest, WakeupLinkShortAndLongPaths) {
    struct Case {
        const char* name;
        bool deepSleep, wakeWithoutFF, silent, expected;
        size_t zerosWritten;
    };
    const Case cases[] = {
        {"0xFF answers the short handshake", false, false, false, true, 2},
        {"another first byte needs the burst", false, true, false, true, 502},
        {"any answer to the burst counts", true, false, false, true, 502},
        {"silence fails", false, false, true, false, 502},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSet fresh;
        fresh.deepSleep = c.deepSleep;
        fresh.wakeWithoutFF = c.wakeWithoutFF;
        fresh.silent = c.silent;
        BareDevice dev(57600, std::make_unique<MemoryPort>(
                                  [&](uint8_t b, std::vector<uint8_t>& out) { fresh(b, out); }));
        EXPECT_EQ(dev.WakeupLink(), c.expected);
        auto& written = static_cast<MemoryPort&>(dev.Port()).Written();
        EXPECT_EQ(written.size(), c.zerosWritten);
        EXPECT_EQ(static_cast<MemoryPort&>(dev.Port()).Timeouts(), kDefaultTimeouts);
    }
}

TEST_F(ProtocolTest, WakeupDeviceWithPermitWritesTheWriteRegister) {
    EXPECT_TRUE(device->WakeupDevice(true));
    EXPECT_TRUE(device->WritePermitted());
    EXPECT_EQ(set.registers[1], 0xFF);
    EXPECT_TRUE(device->WakeupDevice(false));
    EXPECT_FALSE(device->WritePermitted());
}

TEST_F(ProtocolTest, WriteRegisterWithoutPermitSendsNothing) {
    EXPECT_FALSE(device->WriteRegister(7, 1));
    EXPECT_EQ(line->TakeTrace(), "");
    EXPECT_TRUE(line->Written().empty());
}

TEST_F(ProtocolTest, RegisterReadAndWrite) {
    uint8_t value = 0;
    EXPECT_TRUE(device->ReadRegister(5, value));
    EXPECT_EQ(value, 5 ^ 0x5A);
    EXPECT_EQ(line->TakeTrace(), "stop T:h purge >82 <82 T:d purge >05 <5F start");

    ASSERT_TRUE(device->WakeupDevice(true));
    line->TakeTrace();
    EXPECT_TRUE(device->WriteRegister(9, 0x33));
    EXPECT_EQ(set.registers[9], 0x33);
    EXPECT_EQ(line->TakeTrace(), "stop T:h purge >84 <84 T:d >09 >33 start");
}

TEST_F(ProtocolTest, RegisterReadOfASilentSetLeavesTheValueAndFails) {
    set.silent = true;
    uint8_t value = 0xAB;
    EXPECT_FALSE(device->ReadRegister(0, value));
    EXPECT_EQ(value, 0xAB);
    // Four register attempts of four echo attempts each.
    size_t commands = 0;
    for (uint8_t b : line->Written()) {
        commands += b == 0x82;
    }
    EXPECT_EQ(commands, 16u);
}

TEST_F(ProtocolTest, MemoryReadSplitsAtThePageAndPausesOnlyBeforeTheFirstAnswer) {
    uint8_t buffer[0x20] = {};
    EXPECT_TRUE(device->ReadMemory(0x01F0, 0x20, buffer));
    EXPECT_EQ(line->TakeTrace(),
              "stop purge T:h purge >88 <88 T:d >10 >01 >F0 pause17 " + MemoryBytes(0x01F0, 16) +
                  " T:h purge >88 <88 T:d >10 >02 >00 " + MemoryBytes(0x0200, 16) + " start");
    EXPECT_EQ(0, std::memcmp(buffer, &set.memory[0x01F0], sizeof buffer));
}

TEST_F(ProtocolTest, MemoryReadOfTheTypeByte) {
    uint8_t type = 0;
    EXPECT_TRUE(device->ReadMemory(0x1FFF, 1, &type));
    EXPECT_EQ(line->Written(), (std::vector<uint8_t>{0x88, 0x01, 0x1F, 0xFF}));
    EXPECT_EQ(type, set.memory[0x1FFF]);
}

TEST_F(ProtocolTest, ShortMemoryAnswerFailsButKeepsWhatArrived) {
    line->SetResponder([this](uint8_t b, std::vector<uint8_t>& out) {
        set(b, out);
        if (out.size() > 4) {
            out.resize(4);  // the line dies in the middle of the answer
        }
    });
    uint8_t buffer[8] = {};
    EXPECT_FALSE(device->ReadMemory(0x0100, 8, buffer));
    EXPECT_EQ(0, std::memcmp(buffer, &set.memory[0x0100], 4));
}

TEST_F(ProtocolTest, MemoryWriteSendsOneCommandPerByte) {
    const uint8_t data[3] = {0x11, 0x22, 0x33};
    EXPECT_TRUE(device->WriteMemory(0x00FF, 3, data));
    EXPECT_EQ(set.memory[0x00FF], 0x11);
    EXPECT_EQ(set.memory[0x0100], 0x22);
    EXPECT_EQ(set.memory[0x0101], 0x33);
    EXPECT_EQ(line->TakeTrace(),
              "stop T:h purge >90 <90 T:d >00 >FF >11 T:h purge >90 <90 T:d >01 >00 >22 "
              "T:h purge >90 <90 T:d >01 >01 >33 start");
}

TEST_F(ProtocolTest, MemoryWriteGoesOnPastAByteWhoseCommandFailedButReportsFailure) {
    set.missedEchoes = 4;  // every attempt of the first byte's command goes unanswered
    const uint8_t data[2] = {0x44, 0x55};
    EXPECT_FALSE(device->WriteMemory(0x0010, 2, data));
    EXPECT_EQ(set.memory[0x0011], 0x55);
}

TEST_F(ProtocolTest, FlashWriteReadAndErase) {
    const auto at = FlashAddress::At(0x0123, 5, 10, 3);
    const uint8_t data[3] = {1, 2, 3};
    EXPECT_TRUE(device->WriteFlash(at, data));
    EXPECT_EQ(line->TakeTrace(),
              "stop purge T:h purge >A0 <A0 T:d >02 >0A >05 >23 >01 >03 >01 >02 >03 start");
    uint8_t back[3] = {};
    EXPECT_TRUE(device->ReadFlash(at, back));
    EXPECT_EQ(line->TakeTrace(),
              "stop purge T:h purge >A0 <A0 T:d >01 >0A >05 >23 >01 >03 <01 <02 <03 start");
    EXPECT_TRUE(device->EraseFlashBlock(at));
    EXPECT_EQ(line->TakeTrace(), "stop T:h purge >A0 <A0 T:d >03 >23 >01 pause4 start");
}

TEST_F(ProtocolTest, FlashEraseOfASilentSetStillPauses) {
    set.silent = true;
    EXPECT_FALSE(device->EraseFlashBlock(FlashAddress::At(1, 0, 0, 0)));
    const std::string trace = line->TakeTrace();
    EXPECT_EQ(trace.substr(trace.size() - 12), "pause4 start") << trace;
}

TEST_F(ProtocolTest, SleepSendsThePrefixAheadOfTheQueueAndWaitsForNoEcho) {
    EXPECT_TRUE(device->SleepDevice());
    EXPECT_EQ(line->TakeTrace(), "stop !40 >81 start");
}

TEST_F(ProtocolTest, KeyAfterAKeyPressOnTheSetRewakesFirst) {
    EXPECT_TRUE(device->SendKey(0x05));
    EXPECT_EQ(line->TakeTrace(), ">05");
    device->SetNeedsRewake(true);
    EXPECT_TRUE(device->SendKey(0x06));
    EXPECT_FALSE(device->NeedsRewake());
    EXPECT_EQ(line->TakeTrace(), "stop purge T:h >00 >00 <FF <FF T:d start >06");
}

TEST_F(ProtocolTest, DialTriggerPausesThenSendsTheDialByteWithoutEcho) {
    EXPECT_TRUE(device->SendDialTrigger(0x20));
    EXPECT_EQ(line->TakeTrace(), "pause25 >20");
}

TEST_F(ProtocolTest, ClosedLineFailsEveryOperation) {
    line->Close();
    uint8_t buffer[4] = {};
    uint8_t value = 0;
    EXPECT_FALSE(device->SendCommand(0x82));
    EXPECT_FALSE(device->ReadRegister(0, value));
    EXPECT_FALSE(device->ReadMemory(0, 4, buffer));
    EXPECT_FALSE(device->WakeupLink());
    EXPECT_FALSE(device->WakeupDevice(false));
    EXPECT_FALSE(device->SleepDevice());
    EXPECT_FALSE(device->SendKey(1));
    EXPECT_TRUE(line->Written().empty());
}

}  // namespace
}  // namespace fonerix::test
