// Event frames as the set sends them, read from whatever is waiting on the line.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/serial/EventFrame.h"
#include "tests/support/MemoryPort.h"

namespace fonerix::test {
namespace {

struct FrameCase {
    const char* name;
    std::vector<uint8_t> bytes;
    bool read;
    uint16_t code;
    std::string text;
};

TEST(EventFrame, Frames) {
    std::vector<uint8_t> longNumber = {0xFF, 0xC1, 25};
    std::string first20;
    for (int i = 0; i < 25; ++i) {
        longNumber.push_back(static_cast<uint8_t>(i % 10 + 1));
        if (i < 20) {
            first20 += (i % 10 + 1) == 10 ? '0' : static_cast<char>('0' + i % 10 + 1);
        }
    }
    const FrameCase cases[] = {
        {"handset up", {0xFF, 0xB8}, true, 184, ""},
        {"garbage before the frame start",
         {0x12, 0x34, 0xFF, 0xC1, 0x03, 0x01, 0x0A, 0x0B},
         true,
         193,
         "10F"},
        {"incoming call", {0xFF, 0xC1, 0x02, 0x0A, 0x05}, true, 193, "05"},
        {"parallel dialling without digits", {0xFF, 0xC2, 0x00}, true, 194, ""},
        {"key 5", {0xFF, 0x05}, true, 0x0501, ""},
        {"key 64", {0xFF, 0x40}, true, 0x4001, ""},
        {"key 35", {0xFF, 35}, true, 35 * 256 + 1, ""},
        {"36 is not a key", {0xFF, 36}, true, 36, ""},
        {"unknown code is still read", {0xFF, 0x99}, true, 0x99, ""},
        {"number longer than the reader keeps", longNumber, true, 193, first20},
        {"digits stop arriving", {0xFF, 0xC1, 0x05, 0x01, 0x02}, true, 193, "12"},
        {"length byte missing", {0xFF, 0xC1}, true, 193, ""},
        {"code missing", {0x00, 0xFF}, false, 0, ""},
        {"nothing waiting", {}, false, 0, ""},
        {"no frame start among the waiting bytes", {0x01, 0x02}, false, 0, ""},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryPort line;
        for (uint8_t b : c.bytes) {
            line.Inject({b});
        }
        DeviceEvent event;
        ASSERT_EQ(ReadEvent(line, event), c.read);
        if (c.read) {
            EXPECT_EQ(event.code, c.code);
            EXPECT_EQ(std::string(event.text), c.text);
            EXPECT_EQ(event.digitCount, c.text.size());
            EXPECT_EQ(line.Pending(), 0u);
        }
    }
}

TEST(EventFrame, TwoFramesInARowAreReadOneAtATime) {
    MemoryPort line;
    line.Inject({0xFF, 0xB8, 0xFF, 0xC1, 0x01, 0x07});
    DeviceEvent event;
    ASSERT_TRUE(ReadEvent(line, event));
    EXPECT_EQ(event.code, 184);
    ASSERT_TRUE(ReadEvent(line, event));
    EXPECT_EQ(event.code, 193);
    EXPECT_STREQ(event.text, "7");
}

}  // namespace
}  // namespace fonerix::test
