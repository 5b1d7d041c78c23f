// The byte trace for diagnosing a real set: with FONERIX_TRACE naming a file, every byte sent and
// received is logged there with a time stamp, the port and the direction.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "control/serial/SerialPort.h"
#include "tests/control/Pty.h"

namespace fonerix::test {
namespace {

TEST(ByteTrace, LogsEveryByteWithTimeAndDirection) {
    const char* path = std::getenv("FONERIX_TRACE");
    ASSERT_NE(path, nullptr) << "run with FONERIX_TRACE naming the trace file";
    std::ofstream(path, std::ios::trunc).close();  // before the first byte opens it for appending
    Pty pty;
    setenv("FONERIX_COM2", pty.Path().c_str(), 1);
    CSerialPort port;
    ASSERT_TRUE(port.Open(2, 57600));
    ASSERT_TRUE(port.SendByte(0x82));
    ASSERT_EQ(pty.Receive(1), std::vector<uint8_t>{0x82});
    pty.Send({0x82, 0x21});
    uint8_t answer[2] = {};
    uint32_t received = 0;
    ASSERT_TRUE(port.Read(answer, 2, received));
    port.Close();

    std::stringstream trace;
    trace << std::ifstream(path).rdbuf();
    const std::string text = trace.str();
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(\d\d:\d\d:\d\d\.\d{6} COM2 > 82\n)")))
        << text;
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(COM2 < 82 21\n|COM2 < 82\n.*COM2 < 21\n)")))
        << text;
}

}  // namespace
}  // namespace fonerix::test
