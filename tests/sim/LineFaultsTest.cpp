// The fault layer between the set and the host, driven in process through SimulatedSet.
#include "sim/SimulatedSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/EventFrames.h"
#include "sim/WireCodes.h"
#include "tests/support/HexBytes.h"

namespace fonerix::sim {
namespace {

using test::HexBytes;
using test::HexText;

// A type-5 set, already woken by the host.
class LineFaultsTest : public ::testing::Test {
  protected:
    LineFaultsTest() : m_set(Engine(5)) { EXPECT_EQ(Exchange("00 00"), "FF FF"); }

    std::string Exchange(std::string_view host) {
        m_receptions.clear();
        for (const std::uint8_t byte : HexBytes(host)) {
            m_receptions.push_back(m_set.ReceiveFromHost(byte));
        }
        return HexText(m_set.TakeOutgoing());
    }

    void Switch(Fault fault, unsigned value) { m_set.Apply(FaultSwitch{fault, value}); }

    SimulatedSet m_set;
    std::vector<Reception> m_receptions;
};

TEST_F(LineFaultsTest, DropLosesEveryNthByteFromTheHost) {
    Switch(Fault::kDrop, 3);
    // The third byte (a command) is lost, so the fourth, a zero, arrives at the command
    // position as a wake-up; the sixth (a parameter) is lost and the read never completes.
    EXPECT_EQ(Exchange("82 00 82 00 82 00"), "82 21 FF 82");
    const std::vector<Reception> expected{Reception::kDelivered,   Reception::kDelivered,
                                          Reception::kLostDropped, Reception::kDelivered,
                                          Reception::kDelivered,   Reception::kLostDropped};
    EXPECT_EQ(m_receptions, expected);

    Switch(Fault::kDrop, 0);
    EXPECT_EQ(Exchange("00 82 00"), "21 82 21") << "the pending read completes";
}

TEST_F(LineFaultsTest, WrongEchoFlipsOnlyTheEcho) {
    Switch(Fault::kWrongEcho, 1);
    EXPECT_EQ(Exchange("82 00"), "83 21");
    EXPECT_EQ(Exchange("A0 01 00 00 00 00 02"), "A1 FF FF");
    EXPECT_EQ(Exchange("00 00"), "FF FF") << "wake-up answers are not echoes";
    Switch(Fault::kWrongEcho, 0);
    EXPECT_EQ(Exchange("82 00"), "82 21");
}

TEST_F(LineFaultsTest, NoisePrecedesEveryAnswerAndEventButNotRawBytes) {
    Switch(Fault::kNoise, 3);
    const std::vector<std::uint8_t> host = HexBytes("82 00");
    std::vector<std::uint8_t> wire;
    for (const std::uint8_t byte : host) {
        m_set.ReceiveFromHost(byte);
        const std::vector<std::uint8_t> sent = m_set.TakeOutgoing();
        ASSERT_EQ(sent.size(), 4u) << HexText(sent);
        wire.insert(wire.end(), sent.begin(), sent.end());
    }
    EXPECT_EQ(wire[3], 0x82);
    EXPECT_EQ(wire[7], 0x21);

    m_set.SendEvent(CodeEventFrame(wire::kEventHandsetUp));
    const std::vector<std::uint8_t> event = m_set.TakeOutgoing();
    ASSERT_EQ(event.size(), 5u);
    EXPECT_EQ(HexText(std::span(event).subspan(3)), "FF B8");
    wire.insert(wire.end(), event.begin(), event.begin() + 3);

    for (std::size_t at : {0, 1, 2, 4, 5, 6, 8, 9, 10}) {
        EXPECT_NE(wire[at], wire::kEventStart) << "garbage must not start a frame, byte " << at;
    }

    m_set.SendRaw(HexBytes("12 34"));
    EXPECT_EQ(HexText(m_set.TakeOutgoing()), "12 34");
}

TEST_F(LineFaultsTest, SilentLineCarriesNothingEitherWay) {
    Exchange("40 81");  // asleep, so that a zero reaching it would show
    Switch(Fault::kSilent, 1);
    EXPECT_EQ(Exchange("00 00 84 10 55"), "");
    for (const Reception reception : m_receptions) {
        EXPECT_EQ(reception, Reception::kLostDeadLine);
    }
    m_set.SendEvent(CodeEventFrame(wire::kEventHandsetDown));
    EXPECT_EQ(HexText(m_set.TakeOutgoing()), "");

    Switch(Fault::kSilent, 0);
    EXPECT_FALSE(m_set.Device().Awake()) << "the zeros never reached the set";
    EXPECT_EQ(Exchange("00 00 82 10"), "FF FF 82 00") << "nor did the register write";
}

TEST_F(LineFaultsTest, HangupKillsTheLineMidTransferUntilRestored) {
    Exchange("90 00 10 11 90 00 11 22 90 00 12 33 90 00 13 44");
    Switch(Fault::kHangup, 4);
    EXPECT_EQ(Exchange("88 04 00 10"), "88 11 22 33") << "the fourth answer byte is lost";
    EXPECT_EQ(Exchange("82 00"), "");
    EXPECT_EQ(m_receptions.front(), Reception::kLostDeadLine);
    m_set.SendEvent(CodeEventFrame(wire::kEventEndOfCall));
    EXPECT_EQ(HexText(m_set.TakeOutgoing()), "");

    Switch(Fault::kHangup, 0);
    EXPECT_EQ(Exchange("82 00"), "82 21");
}

TEST_F(LineFaultsTest, DeepSleepIsTheSetsAndShowsWithTheLineFaults) {
    EXPECT_EQ(m_set.DescribeFaults(), "none");
    Switch(Fault::kDrop, 7);
    Switch(Fault::kWrongEcho, 1);
    Switch(Fault::kNoise, 2);
    Switch(Fault::kDeepSleep, 1);
    EXPECT_TRUE(m_set.Device().DeepSleep());
    EXPECT_EQ(m_set.DescribeFaults(), "drop=7,echo,noise=2,deep-sleep");
}

}  // namespace
}  // namespace fonerix::sim
