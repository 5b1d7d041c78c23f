// The command language: what each command puts on the line, and why a bad line is refused.
#include "sim/Commands.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "tests/support/HexBytes.h"

namespace fonerix::sim {
namespace {

using test::HexText;

struct FrameCase {
    const char* line;
    const char* frame;
};

// Every injectable event, and the digit codes of every phone-number character.
const FrameCase kFrames[] = {
    {"call 0123", "FF C1 04 0A 01 02 03"},
    {"call", "FF C1 00"},
    {"call 12345678901234567890",
     "FF C1 14 01 02 03 04 05 06 07 08 09 0A 01 02 03 04 05 06 07 08 "
     "09 0A"},
    {"dialling 9FJLP_0", "FF C2 07 09 0B 0C 0D 0E 0F 0A"},
    {"dialling fjlp", "FF C2 04 0B 0C 0D 0E"},
    {"key 1", "FF 01"},
    {"key 35", "FF 23"},
    {"key 64", "FF 40"},
    {"end", "FF B4"},
    {"linked", "FF B5"},
    {"failed", "FF B6"},
    {"up", "FF B8"},
    {"down", "FF B9"},
    {"parallel-up", "FF BA"},
    {"busy", "FF BB"},
    {"  up \r", "FF B8"},
};

TEST(Commands, EventCommandsMakeTheirFrames) {
    for (const FrameCase& event : kFrames) {
        SCOPED_TRACE(event.line);
        const ParsedCommand parsed = ParseCommand(event.line);
        ASSERT_TRUE(parsed.command) << parsed.error;
        const auto* send = std::get_if<SendEventCommand>(&*parsed.command);
        ASSERT_NE(send, nullptr);
        EXPECT_EQ(HexText(send->frame), event.frame);
    }
}

TEST(Commands, RawTakesHexadecimalBytesAsTheyAre) {
    const ParsedCommand parsed = ParseCommand("raw ff C1 0x02 a 0");
    ASSERT_TRUE(parsed.command) << parsed.error;
    const auto* raw = std::get_if<SendRawCommand>(&*parsed.command);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(HexText(raw->bytes), "FF C1 02 0A 00");
}

struct FaultCase {
    const char* line;
    Fault fault;
    unsigned value;
};

TEST(Commands, FaultCommandsSwitchOneFault) {
    const FaultCase kFaults[] = {
        {"fault drop 7", Fault::kDrop, 7},       {"fault noise 0", Fault::kNoise, 0},
        {"fault hangup 12", Fault::kHangup, 12}, {"fault echo on", Fault::kWrongEcho, 1},
        {"fault silent off", Fault::kSilent, 0}, {"fault deep-sleep on", Fault::kDeepSleep, 1},
    };
    for (const FaultCase& expected : kFaults) {
        SCOPED_TRACE(expected.line);
        const ParsedCommand parsed = ParseCommand(expected.line);
        ASSERT_TRUE(parsed.command) << parsed.error;
        const auto* command = std::get_if<FaultCommand>(&*parsed.command);
        ASSERT_NE(command, nullptr);
        EXPECT_EQ(command->change.fault, expected.fault);
        EXPECT_EQ(command->change.value, expected.value);
    }
}

TEST(Commands, TraceStatusAndQuit) {
    const ParsedCommand trace = ParseCommand("trace off");
    ASSERT_TRUE(trace.command);
    ASSERT_TRUE(std::holds_alternative<TraceCommand>(*trace.command));
    EXPECT_FALSE(std::get<TraceCommand>(*trace.command).on);
    EXPECT_TRUE(std::holds_alternative<StatusCommand>(*ParseCommand("status").command));
    EXPECT_TRUE(std::holds_alternative<QuitCommand>(*ParseCommand("quit").command));
}

TEST(Commands, RecordTakesTheCallsFieldsAndDumpAFile) {
    const ParsedCommand parsed = ParseCommand("record out 0123 duration=12 flop voice=300");
    ASSERT_TRUE(parsed.command) << parsed.error;
    const auto* record = std::get_if<RecordCallCommand>(&*parsed.command);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->call.log, CallLog::kOutgoing);
    EXPECT_EQ(record->call.number, "0123");
    EXPECT_EQ(record->call.duration, 12);
    EXPECT_FALSE(record->call.parallel);
    EXPECT_TRUE(record->call.flop);
    EXPECT_EQ(record->call.voice, 300);
    const ParsedCommand incoming = ParseCommand("record in 5 parallel");
    ASSERT_TRUE(incoming.command) << incoming.error;
    const auto* in = std::get_if<RecordCallCommand>(&*incoming.command);
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->call.log, CallLog::kIncoming);
    EXPECT_TRUE(in->call.parallel);
    const ParsedCommand dumping = ParseCommand("dump lists /tmp/l");
    ASSERT_TRUE(dumping.command) << dumping.error;
    const auto* dump = std::get_if<DumpListsCommand>(&*dumping.command);
    ASSERT_NE(dump, nullptr);
    EXPECT_EQ(dump->path, "/tmp/l");
}

struct RefusalCase {
    const char* line;
    const char* reason;  // part of the error text
};

const RefusalCase kRefusals[] = {
    {"", "empty command"},
    {"dance", "unknown command 'dance'"},
    {"call 12a4", "'a' is not a phone-number character"},
    {"call 123456789012345678901", "at most 20 digits"},
    {"call 12 34", "one number"},
    {"dialling +7", "'+' is not a phone-number character"},
    {"key", "1 to 35, or 64"},
    {"key 0", "1 to 35, or 64"},
    {"key 36", "1 to 35, or 64"},
    {"key 63", "1 to 35, or 64"},
    {"key 5x", "1 to 35, or 64"},
    {"up now", "up takes no arguments"},
    {"raw", "one or more hexadecimal bytes"},
    {"raw 1FF", "'1FF' is not a hexadecimal byte"},
    {"raw zz", "'zz' is not a hexadecimal byte"},
    {"fault drop", "a fault and a value"},
    {"fault drop x", "fault drop takes a count"},
    {"fault drop -1", "fault drop takes a count"},
    {"fault noise 5000", "at most 1000"},
    {"fault silent maybe", "fault silent takes on or off"},
    {"fault loud on", "unknown fault 'loud'"},
    {"trace maybe", "trace takes on or off"},
    {"status now", "status takes no arguments"},
    {"record", "usage: record in|out NUMBER"},
    {"record missed 123", "usage: record in|out NUMBER"},
    {"record in", "usage: record in|out NUMBER"},
    {"record in 12a", "'12a' is not a phone number"},
    {"record in 123 duration=256", "usage: record"},
    {"record out 123 loud", "usage: record"},
    {"dump", "usage: dump lists FILE"},
    {"dump books /tmp/x", "usage: dump lists FILE"},
};

TEST(Commands, RefusesBadLinesSayingWhy) {
    for (const RefusalCase& refusal : kRefusals) {
        SCOPED_TRACE(refusal.line);
        const ParsedCommand parsed = ParseCommand(refusal.line);
        EXPECT_FALSE(parsed.command);
        EXPECT_NE(parsed.error.find(refusal.reason), std::string::npos) << parsed.error;
    }
}

}  // namespace
}  // namespace fonerix::sim
