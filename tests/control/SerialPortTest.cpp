// CSerialPort on a real pseudo-terminal.

#include <gtest/gtest.h>
#include <termios.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "control/serial/PortPath.h"
#include "control/serial/SerialPort.h"
#include "tests/control/Pty.h"

namespace fonerix::test {
namespace {

class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(pty.Path().empty());
        setenv("FONERIX_COM3", pty.Path().c_str(), 1);
    }
    void TearDown() override { unsetenv("FONERIX_COM3"); }

    // Waits until the port sees `count` bytes waiting.
    bool WaitForInput(CSerialPort& port, uint32_t count) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (port.BytesWaiting() < count && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return port.BytesWaiting() >= count;
    }

    Pty pty;
};

TEST(PortPath, EnvironmentThenPortsFileThenTtyS) {
    const std::string dir = ::testing::TempDir() + "/portpath";
    std::system(("mkdir -p " + dir + "/fonerix").c_str());
    std::ofstream(dir + "/fonerix/ports.conf") << "# comment\n COM2 = /dev/ttyUSB0 \nCOM9=/x\n";
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    setenv("FONERIX_COM9", "/from/env", 1);
    EXPECT_EQ(ComPortPath(1), "/dev/ttyS0");
    EXPECT_EQ(ComPortPath(2), "/dev/ttyUSB0");
    EXPECT_EQ(ComPortPath(4), "/dev/ttyS3");
    EXPECT_EQ(ComPortPath(9), "/from/env");
    EXPECT_EQ(ComPortPath(0), "");
    unsetenv("FONERIX_COM9");
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(SerialPortTest, OpenFailsCleanlyOnWhatIsNoTerminal) {
    const std::string file = ::testing::TempDir() + "/not-a-terminal";
    std::ofstream(file) << "x";
    struct Case {
        const char* path;
        int error;
    };
    for (const Case& c : {Case{"/nonexistent/port", ENOENT}, Case{file.c_str(), ENOTTY}}) {
        SCOPED_TRACE(c.path);
        setenv("FONERIX_COM3", c.path, 1);
        CSerialPort port;
        EXPECT_FALSE(port.Open(3, 57600));
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.LastOpenError(), c.error);
    }
    CSerialPort port;
    EXPECT_FALSE(port.Open(0, 57600));
}

TEST_F(SerialPortTest, OpenSetsRawLineAtTheRateWithDefaultTimeouts) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(3, 57600));
    termios t{};
    ASSERT_EQ(tcgetattr(pty.Slave(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B57600);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(port.GetTimeouts(), kDefaultTimeouts);
    EXPECT_EQ(port.GetPort(), 3);
    EXPECT_EQ(port.GetBaudRate(), 57600u);
    EXPECT_FALSE(port.Open(3, 12345)) << "a rate the terminal cannot take";
}

TEST_F(SerialPortTest, OpenReusesTheSamePortAndChangesTheRateInPlace) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(3, 57600));
    const int handle = port.GetHandle();
    ASSERT_TRUE(port.SetTimeouts(1, 2, 3, 4, 5));
    EXPECT_TRUE(port.Open(3, 57600));
    EXPECT_EQ(port.GetHandle(), handle);
    EXPECT_EQ(port.GetTimeouts(), (CommTimeouts{1, 2, 3, 4, 5})) << "nothing was reconfigured";

    EXPECT_TRUE(port.Open(3, 115200));
    EXPECT_EQ(port.GetHandle(), handle);
    EXPECT_EQ(port.GetBaudRate(), 115200u);
    termios t{};
    ASSERT_EQ(tcgetattr(pty.Slave(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B115200);

    Pty other;
    setenv("FONERIX_COM4", other.Path().c_str(), 1);
    ASSERT_TRUE(port.Open(4, 57600));
    EXPECT_EQ(port.GetPort(), 4);
    // The first terminal is free again: another program may take it.
    CSerialPort second;
    EXPECT_TRUE(second.Open(3, 57600));
    unsetenv("FONERIX_COM4");
}

TEST_F(SerialPortTest, NegativeTimeoutsLeaveTheirFieldAlone) {
    CSerialPort port;
    EXPECT_FALSE(port.SetTimeouts(1, 1, 1, 1, 1)) << "closed";
    ASSERT_TRUE(port.Open(3, 57600));
    EXPECT_TRUE(port.SetTimeouts(-1, -1, -1, -1, 100));
    EXPECT_EQ(port.GetTimeouts(), (CommTimeouts{0, 10, 50, 10, 100}));
}

TEST_F(SerialPortTest, ShortReadSucceedsWithTheCountThatArrived) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(3, 57600));
    pty.Send({1, 2, 3});
    uint8_t buffer[5] = {};
    uint32_t received = 0;
    EXPECT_TRUE(port.Read(buffer, 5, received));
    EXPECT_EQ(received, 3u);
    EXPECT_EQ(buffer[2], 3);

    uint8_t byte = 0x77;
    EXPECT_FALSE(port.ReadByte(byte)) << "nothing arrives";
    EXPECT_EQ(byte, 0x77);
}

TEST_F(SerialPortTest, ReadCompletesAsSoonAsEverythingArrived) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(3, 57600));
    ASSERT_TRUE(port.SetTimeouts(kHandshakeTimeouts));  // a 2-byte read may wait 500 ms
    std::thread set([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        pty.Send({0xFF});
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        pty.Send({0xFF});
    });
    uint8_t answer[2] = {};
    uint32_t received = 0;
    EXPECT_TRUE(port.Read(answer, 2, received));
    set.join();
    EXPECT_EQ(received, 2u);
}

TEST_F(SerialPortTest, WriteReachesTheSetAndPurgeDropsInput) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(3, 57600));
    EXPECT_TRUE(port.SendByte(0x82));
    EXPECT_TRUE(port.TransmitChar(0x40));
    EXPECT_EQ(pty.Receive(2), (std::vector<uint8_t>{0x82, 0x40}));

    pty.Send({9, 9, 9, 9});
    ASSERT_TRUE(WaitForInput(port, 4));
    EXPECT_TRUE(port.Purge());
    EXPECT_EQ(port.BytesWaiting(), 0u);
}

// A line whose driver still holds the last `stuck` bytes of a write when its time runs out (a
// pseudo-terminal cannot tell how many it holds).
class StuckLinePort final : public CSerialPort {
  public:
    uint32_t stuck = 0;

  protected:
    uint32_t OutputQueued() override { return stuck; }
};

// A write past its deadline takes back what has not left and reports only what did.
TEST_F(SerialPortTest, WriteThatRunsOutOfTimeReportsTheBytesThatLeft) {
    StuckLinePort port;
    ASSERT_TRUE(port.Open(3, 57600));
    ASSERT_TRUE(port.SetTimeouts(0, 10, 50, 0, 20));
    const std::vector<uint8_t> data(300, 0x55);
    const struct { uint32_t stuck, sent; } cases[] = {{0, 300}, {120, 180}, {300, 0}, {1000, 0}};
    for (const auto& c : cases) {
        port.stuck = c.stuck;
        uint32_t sent = 12345;
        EXPECT_TRUE(port.Write(data.data(), 300, sent)) << c.stuck;
        EXPECT_EQ(sent, c.sent) << c.stuck;
    }
}

// The set reads the bytes written last after the host has closed the line: they must still
// travel at the set's speed.
TEST_F(SerialPortTest, CloseLeavesTheLineAtItsSpeedForTheBytesWrittenLast) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(3, 57600));
    EXPECT_TRUE(port.SendByte(0x40));
    EXPECT_TRUE(port.Close());
    termios t{};
    ASSERT_EQ(tcgetattr(pty.Slave(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B57600);
    EXPECT_EQ(pty.Receive(1), (std::vector<uint8_t>{0x40}));
}

TEST_F(SerialPortTest, ClosedPortRefusesEverything) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(3, 57600));
    pty.Send({1, 2});
    ASSERT_TRUE(WaitForInput(port, 2));
    EXPECT_TRUE(port.Close());
    uint8_t byte = 0;
    EXPECT_EQ(port.BytesWaiting(), 0u);
    EXPECT_FALSE(port.ReadByte(byte));
    EXPECT_FALSE(port.SendByte(1));
    EXPECT_FALSE(port.Purge());
    EXPECT_FALSE(port.TransmitChar(1));
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialPortTest, VanishedSetFailsReadsAndWrites) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(3, 57600));
    ASSERT_TRUE(port.SetTimeouts(kHandshakeTimeouts));
    pty.HangUp();
    uint8_t buffer[4];
    uint32_t count = 0;
    EXPECT_FALSE(port.Read(buffer, 4, count));
    EXPECT_FALSE(port.SendByte(1));
}

}  // namespace
}  // namespace fonerix::test
