// The byte trace for diagnosing a real set: with FONERIX_TRACE naming a file, every byte sent and
// received is logged there with a time stamp, the port and the direction.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "control/serial/SerialPort.h"
#include "tests/control/Pty.h"

namespace fonerix::test {
namespace {

// "HH:MM:SS.ffffff": the time stamp that starts every line. (No std::regex: GCC 12 warns
// inside it under the sanitizers.)
bool IsTimeStamp(std::string_view text) {
    constexpr std::string_view kShape = "dd:dd:dd.dddddd";
    if (text.size() != kShape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) {
            return false;
        }
    }
    return true;
}

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
    bool sent = false;
    std::string received_bytes;  // the answer may come in one read or in two
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t space = line.find(' ');
        const std::string_view rest = std::string_view(line).substr(space + 1);
        if (space == std::string::npos || !IsTimeStamp(std::string_view(line).substr(0, space))) {
            ADD_FAILURE() << "no time stamp: " << line;
        } else if (rest == "COM2 > 82") {
            sent = true;
        } else if (rest.starts_with("COM2 < ")) {
            received_bytes += (received_bytes.empty() ? "" : " ") + std::string(rest.substr(7));
        }
    }
    EXPECT_TRUE(sent) << text;
    EXPECT_EQ(received_bytes, "82 21") << text;
}

}  // namespace
}  // namespace fonerix::test
