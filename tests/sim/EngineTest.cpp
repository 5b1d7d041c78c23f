// The set's side of the wire protocol, byte for byte: what the host sends, what comes back.
#include "sim/Engine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/WireCodes.h"
#include "tests/support/HexBytes.h"

namespace fonerix::sim {
namespace {

using test::HexBytes;
using test::HexText;

// Feeds host bytes one at a time and returns everything the set sent, as a trace shows it.
std::string Exchange(Engine& engine, const std::vector<std::uint8_t>& host) {
    std::vector<std::uint8_t> device;
    for (const std::uint8_t byte : host) {
        engine.Receive(byte);
        for (const Transmission& transmission : engine.TakeTransmissions()) {
            device.insert(device.end(), transmission.bytes.begin(), transmission.bytes.end());
        }
    }
    return HexText(device);
}

std::string Exchange(Engine& engine, std::string_view host) {
    return Exchange(engine, HexBytes(host));
}

std::string Zeros(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += "00 ";
    }
    return text;
}

struct ExchangeCase {
    const char* name;
    int type;
    const char* host;    // bytes from the host, from power-on
    const char* device;  // every byte the set sends back
};

// "00 00" wakes the set (answered "FF FF"); 21 is a fresh set's version byte.
const ExchangeCase kExchanges[] = {
    // A sleeping set parses nothing, so any zero would wake it: these commands have none.
    {"AsleepSetIgnoresCommands", 5, "82 05 84 05 01 88 01 1F FF A0 01 10 03 02 01 03", ""},
    {"AsleepSetWakesOnAZeroEvenAfterACommand", 5, "82 00 00 82 00", "FF FF 82 21"},
    {"ShortWakeUpAnswersBothZeros", 5, "00 00", "FF FF"},
    {"LongRunOfZerosAnsweredOnlyTwice", 5, "00 00 00 00 00 00 00 00 00 00", "FF FF"},
    {"ZeroRunStartsAgainAfterACommand", 5, "00 00 82 00 00 00", "FF FF 82 21 FF FF"},
    {"RegisterZeroIsAParameterNotAWakeUp", 5, "00 00 82 00", "FF FF 82 21"},
    {"RegisterRoundTrip", 5, "00 00 84 2A 5C 82 2A", "FF FF 84 82 5C"},
    {"ZeroValueIsAParameter", 5, "00 00 84 2A 5C 84 2A 00 82 2A", "FF FF 84 84 82 00"},
    {"VersionRegisterIsReadOnly", 5, "00 00 84 00 77 82 00", "FF FF 84 82 21"},
    {"TypeByteOfAFirstFamilySet", 5, "00 00 88 01 1F FF", "FF FF 88 05"},
    {"TypeByteOfASecondFamilySet", 1, "00 00 88 01 1F FF", "FF FF 88 01"},
    {"TypeByteIsReadOnly", 7, "00 00 90 1F FF 09 88 01 1F FF", "FF FF 90 88 07"},
    {"MemoryRoundTripAtAddressZero", 5, "00 00 90 00 00 3C 88 02 00 00", "FF FF 90 88 3C 00"},
    {"MemoryRoundTripAcrossAPage", 2, "00 00 90 01 FF 11 90 02 00 22 88 02 01 FF",
     "FF FF 90 90 88 11 22"},
    {"MemoryEndsAtTheTypeByte", 5, "00 00 88 03 1F FE", "FF FF 88 00 05 FF"},
    {"MemoryReadOfNoBytes", 5, "00 00 88 00 00 10 82 00", "FF FF 88 82 21"},
    {"ErasedFlashReadsFF", 5, "00 00 A0 01 00 00 00 00 03", "FF FF A0 FF FF FF"},
    {"FlashRoundTrip", 6, "00 00 A0 02 10 03 02 01 03 11 22 33 A0 01 10 03 02 01 03",
     "FF FF A0 A0 11 22 33"},
    {"FlashRoundTripAtTheLastPageOfTheLastBlock", 7,
     "00 00 A0 02 FF 3F FF 03 02 C3 3C A0 01 FF 3F FF 03 03", "FF FF A0 A0 C3 3C FF"},
    {"FlashProgrammingOnlyClearsBits", 5,
     "00 00 A0 02 00 00 00 00 01 0F A0 02 00 00 00 00 01 F3 A0 01 00 00 00 00 01",
     "FF FF A0 A0 A0 03"},
    {"FlashEraseClearsOnlyItsBlock", 5,
     "00 00 A0 02 00 03 02 01 01 5A A0 02 00 00 03 01 01 A5 A0 03 02 01 "
     "A0 01 00 03 02 01 01 A0 01 00 00 03 01 01",
     "FF FF A0 A0 A0 A0 FF A0 A5"},
    {"FlashOutsideTheArrayKeepsNothing", 5, "00 00 A0 02 00 00 00 04 01 00 A0 01 00 00 00 04 01",
     "FF FF A0 A0 FF"},
    {"FlashWriteOfNoBytes", 5, "00 00 A0 02 00 00 00 00 00 82 00", "FF FF A0 82 21"},
    {"UnknownFlashSubCommandEndsTheCommand", 5, "00 00 A0 07 82 00", "FF FF A0 82 21"},
    {"SleepingSetIgnoresCommands", 5, "00 00 40 81 82 05 84 05 01 88 01 1F FF", "FF FF"},
    {"WakesAgainAfterSleep", 5, "00 00 40 81 00 00 82 00", "FF FF FF FF 82 21"},
    {"SleepPrefixAloneIsAKey", 5, "00 00 40 82 00", "FF FF 82 21"},
    {"KeysAndDialAreNotEchoed", 5, "00 00 05 20 0C 23 82 00", "FF FF 82 21"},
    {"MeaninglessByteIsIgnored", 1, "00 00 7E 81 82 00", "FF FF 82 21"},
};

void PrintTo(const ExchangeCase& exchange, std::ostream* out) {
    *out << "type " << exchange.type << ": " << exchange.host;
}

class EngineExchange : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(EngineExchange, AnswersByteForByte) {
    const ExchangeCase& exchange = GetParam();
    Engine engine(static_cast<std::uint8_t>(exchange.type));
    EXPECT_EQ(Exchange(engine, exchange.host), exchange.device);
}

INSTANTIATE_TEST_SUITE_P(Engine, EngineExchange, ::testing::ValuesIn(kExchanges),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(EngineTypes, FamilyFollowsTheTypeAndUnknownTypesAreRefused) {
    for (int type = kLowestDeviceType; type <= kHighestDeviceType; ++type) {
        const bool second_family = type >= 1 && type <= 4;
        EXPECT_EQ(Engine(static_cast<std::uint8_t>(type)).Traits().baud,
                  second_family ? wire::kSecondFamilyBaud : wire::kFirstFamilyBaud)
            << "type " << type;
    }
    EXPECT_THROW(Engine(9), std::invalid_argument);
}

TEST(EngineWakeUp, AsleepUntilZerosAwakeAfterAndAsleepAgainAfterSleep) {
    Engine engine(5);
    EXPECT_FALSE(engine.Awake());
    Exchange(engine, "00 00");
    EXPECT_TRUE(engine.Awake());
    Exchange(engine, "40 81");
    EXPECT_FALSE(engine.Awake());
}

TEST(EngineWakeUp, DeepSleepNeedsALongRunOfZeros) {
    Engine engine(5);
    engine.SetDeepSleep(true);
    EXPECT_EQ(Exchange(engine, "00 00"), "") << "the short handshake must not reach the set";
    EXPECT_EQ(Exchange(engine, Zeros(wire::kDeepSleepWakeRun - 3)), "");
    EXPECT_EQ(Exchange(engine, "00"), "FF") << "the zero that wakes the set is answered";
    EXPECT_EQ(Exchange(engine, Zeros(wire::kLongWakeBurst)), "") << "the rest of the burst is not";
    EXPECT_EQ(Exchange(engine, "82 00"), "82 21");

    Exchange(engine, "40 81");
    EXPECT_EQ(Exchange(engine, "00 00 82 00"), "") << "still in deep sleep";
    engine.SetDeepSleep(false);
    EXPECT_EQ(Exchange(engine, "00 00 82 00"), "FF FF 82 21");
}

TEST(EngineWakeUp, DeepSleepRunMustBeUnbroken) {
    Engine engine(5);
    engine.SetDeepSleep(true);
    const std::string half = Zeros(wire::kDeepSleepWakeRun / 2 + 1);
    EXPECT_EQ(Exchange(engine, half + "82 " + half), "");
    EXPECT_FALSE(engine.Awake());
}

struct DialCase {
    int type;
    std::uint8_t dial_byte;
    std::uint8_t buffer;           // length register of the number buffer
    std::uint8_t other_dial_byte;  // the other family's dial byte, a plain key here
};

void PrintTo(const DialCase& dial, std::ostream* out) {
    *out << "type " << dial.type;
}

class EngineDial : public ::testing::TestWithParam<DialCase> {};

TEST_P(EngineDial, DialByteDialsTheNumberBufferAndTheOtherFamilysIsAKey) {
    const DialCase& dial = GetParam();
    Engine engine(static_cast<std::uint8_t>(dial.type));
    Exchange(engine, "00 00");
    // "0123": length 4, digit codes 10 1 2 3.
    const std::uint8_t number[] = {4, 10, 1, 2, 3};
    for (std::size_t i = 0; i < std::size(number); ++i) {
        Exchange(engine,
                 {wire::kWriteRegister, static_cast<std::uint8_t>(dial.buffer + i), number[i]});
    }
    EXPECT_EQ(Exchange(engine, {dial.dial_byte}), "");
    EXPECT_EQ(engine.Activity().last_dialled, "0123");
    EXPECT_EQ(engine.Activity().dial_count, 1u);
    EXPECT_EQ(engine.Activity().key_count, 0u);

    Exchange(engine, {dial.other_dial_byte});
    EXPECT_EQ(engine.Activity().last_key, dial.other_dial_byte);
    EXPECT_EQ(engine.Activity().dial_count, 1u);
}

INSTANTIATE_TEST_SUITE_P(Engine, EngineDial,
                         ::testing::Values(DialCase{5, 0x20, 43, 0x0C},
                                           DialCase{1, 0x0C, 94, 0x20}));

TEST(EngineDial, DialsAtMostNineteenDigits) {
    Engine engine(6);
    Exchange(engine, "00 00");
    Exchange(engine, {wire::kWriteRegister, wire::kNumberBufferFirstFamily, 25});
    for (std::uint8_t i = 1; i <= 25; ++i) {
        Exchange(engine, {wire::kWriteRegister,
                          static_cast<std::uint8_t>(wire::kNumberBufferFirstFamily + i), 7});
    }
    Exchange(engine, {wire::kDialFirstFamily});
    EXPECT_EQ(engine.Activity().last_dialled, std::string(19, '7'));
}

TEST(EngineKeys, SleepPrefixIsKey64OnlyWhenNoSleepFollows) {
    Engine engine(5);
    Exchange(engine, "00 00 40 81 00 00");
    EXPECT_EQ(engine.Activity().key_count, 0u);
    Exchange(engine, "40 05");
    EXPECT_EQ(engine.Activity().key_count, 2u);
    EXPECT_EQ(engine.Activity().last_key, 5);
    Exchange(engine, "40 82 00");
    EXPECT_EQ(engine.Activity().last_key, wire::kKey64);
}

TEST(EngineRevision, GrowsWithEveryStoredChangeAndOnlyThen) {
    Engine engine(5);
    Exchange(engine, "00 00 82 05 88 04 00 00 A0 01 00 00 00 00 04");
    EXPECT_EQ(engine.Revision(), 0u) << "reads change nothing";
    Exchange(engine, "84 00 01 90 1F FF 00 A0 02 00 00 00 04 01 00");
    EXPECT_EQ(engine.Revision(), 0u) << "read-only places and flash outside the array";

    std::uint64_t before = engine.Revision();
    for (const char* write :
         {"84 05 01", "90 00 10 01", "A0 02 00 00 00 00 01 00", "A0 03 00 00"}) {
        Exchange(engine, write);
        EXPECT_GT(engine.Revision(), before) << write;
        before = engine.Revision();
    }
}

}  // namespace
}  // namespace fonerix::sim
