// fonerix-sim end to end: a test opens the linked pseudo-terminal as the host would, with
// termios, and talks to the set over it; events and faults go through the control socket.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/WireCodes.h"
#include "tests/support/HexBytes.h"
#include "tests/support/RawTerminal.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TemporaryDirectory.h"

namespace fonerix::sim {
namespace {

using testing::HexBytes;
using testing::HexText;
using testing::RawTerminal;
using testing::RunSimToExit;
using testing::SimOptions;
using testing::SimProcess;
using testing::TemporaryDirectory;

// Sends host bytes and reads the expected number of answer bytes (or what came by a generous
// deadline), as a trace shows them.
std::string Exchange(RawTerminal& line, std::string_view host, std::size_t answer_bytes) {
    line.Write(HexBytes(host));
    return HexText(line.Read(answer_bytes));
}

struct FamilyCase {
    int type;
    unsigned baud;        // the family's speed
    unsigned other_baud;  // the other family's
};

void PrintTo(const FamilyCase& family, std::ostream* out) {
    *out << "type " << family.type << " at " << family.baud << " bit/s";
}

class ProgramFamily : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(ProgramFamily, AnswersAtItsFamilysSpeed) {
    const FamilyCase family = GetParam();
    SimProcess sim({.type = family.type});
    RawTerminal line(sim.LinkPath(), family.baud);
    EXPECT_EQ(Exchange(line, "00 00", 2), "FF FF");
    EXPECT_EQ(Exchange(line, "88 01 1F FF", 2), "88 " + HexText({{std::uint8_t(family.type)}}));
    EXPECT_NE(sim.Command("status").find("state=awake baud=" + std::to_string(family.baud)),
              std::string::npos);
}

TEST_P(ProgramFamily, IgnoresTheOtherFamilysSpeed) {
    const FamilyCase family = GetParam();
    SimProcess sim({.type = family.type});
    RawTerminal line(sim.LinkPath(), family.other_baud);
    line.Write(HexBytes("00 00 82 00"));
    // Once the set has taken the bytes in, it is known what it made of them.
    const std::string status = sim.WaitForStatus("received=4 ");
    EXPECT_NE(status.find("state=asleep baud=" + std::to_string(family.other_baud)),
              std::string::npos)
        << status;

    // Had it answered at the wrong speed, those answers would come first.
    line.SetBaud(family.baud);
    EXPECT_EQ(Exchange(line, "00 00 82 00", 4), "FF FF 82 21");
}

INSTANTIATE_TEST_SUITE_P(Program, ProgramFamily,
                         ::testing::Values(FamilyCase{5, 57600, 115200},
                                           FamilyCase{1, 115200, 57600}),
                         [](const auto& test) { return "Type" + std::to_string(test.param.type); });

TEST(Program, InjectedEventsArriveAsFrames) {
    SimProcess sim({.type = 5});
    RawTerminal line(sim.LinkPath(), 57600);
    ASSERT_EQ(sim.Command("call 0123"), "ok");
    EXPECT_EQ(HexText(line.Read(7)), "FF C1 04 0A 01 02 03");
    ASSERT_EQ(sim.Command("up"), "ok");
    ASSERT_EQ(sim.Command("key 64"), "ok");
    ASSERT_EQ(sim.Command("raw 12 FF B9"), "ok");
    EXPECT_EQ(HexText(line.Read(7)), "FF B8 FF 40 12 FF B9");
    EXPECT_EQ(sim.Command("call 0x"), "error: 'x' is not a phone-number character (0-9 F J L P _)");
}

TEST(Program, HostDialAndKeysShowInTheStatus) {
    SimProcess sim({.type = 7});
    RawTerminal line(sim.LinkPath(), 57600);
    // The number buffer of the first family: length at register 43, digits after it.
    EXPECT_EQ(Exchange(line, "00 00 84 2B 04 84 2C 0A 84 2D 01 84 2E 02 84 2F 03", 7),
              "FF FF 84 84 84 84 84");
    line.Write({wire::kDialFirstFamily, 5});
    sim.WaitForStatus("dialled=\"0123\" key=5");
}

TEST(Program, FaultsFromTheCommandLineAndTheControlSocket) {
    SimProcess sim({.type = 5, .faults = {"echo"}});
    RawTerminal line(sim.LinkPath(), 57600);
    EXPECT_EQ(Exchange(line, "00 00 82 00", 4), "FF FF 83 21");
    EXPECT_EQ(sim.Command("fault echo off"), "ok");
    EXPECT_EQ(sim.Command("fault silent on"), "ok");
    line.Write(HexBytes("82 00"));
    EXPECT_NE(sim.WaitForStatus("received=6 ").find("faults=silent"), std::string::npos);
    EXPECT_EQ(sim.Command("fault silent off"), "ok");
    EXPECT_EQ(Exchange(line, "82 00", 2), "82 21") << "nothing came for the silenced read";
    EXPECT_EQ(sim.Command("fault hangup 0x"),
              "error: fault hangup takes a count (0 for off), "
              "not '0x'");
}

TEST(Program, DeepSleepIsWokenByTheLongBurstOnly) {
    SimProcess sim({.type = 5, .faults = {"deep-sleep"}});
    RawTerminal line(sim.LinkPath(), 57600);
    line.Write(HexBytes("00 00"));
    sim.WaitForStatus("received=2 ");
    EXPECT_NE(sim.Command("status").find("state=asleep"), std::string::npos);
    line.Write(std::vector<std::uint8_t>(wire::kLongWakeBurst, 0x00));
    EXPECT_EQ(HexText(line.Read(1)), "FF");
    EXPECT_EQ(Exchange(line, "82 00", 2), "82 21") << "one answer for the whole burst";
}

TEST(Program, PacedLineCarriesEveryByteInOrder) {
    SimProcess sim({.type = 7, .pace = true});
    RawTerminal line(sim.LinkPath(), 57600);
    EXPECT_EQ(Exchange(line, "00 00", 2), "FF FF");
    std::vector<std::uint8_t> write = HexBytes("A0 02 00 05 09 00 C8");  // 200 bytes, block 9
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 200; ++i) {
        data.push_back(static_cast<std::uint8_t>(i * 7 + 1));
    }
    write.insert(write.end(), data.begin(), data.end());
    line.Write(write);
    EXPECT_EQ(HexText(line.Read(1)), "A0");
    line.Write(HexBytes("A0 01 00 05 09 00 C8"));
    EXPECT_EQ(HexText(line.Read(1)), "A0");
    EXPECT_EQ(HexText(line.Read(200)), HexText(data));
}

TEST(Program, HostMayCloseAndReopenItsPort) {
    SimProcess sim({.type = 5});
    {
        RawTerminal line(sim.LinkPath(), 57600);
        EXPECT_EQ(Exchange(line, "00 00", 2), "FF FF");
    }
    RawTerminal reopened(sim.LinkPath(), 57600);
    EXPECT_EQ(Exchange(reopened, "82 00", 2), "82 21");
}

TEST(Program, ImageKeepsTheSetAcrossRestarts) {
    TemporaryDirectory directory;
    const std::string image = directory.File("set.img");
    {
        SimProcess sim({.type = 6, .image = image});
        RawTerminal line(sim.LinkPath(), 57600);
        EXPECT_EQ(Exchange(line, "00 00 84 50 33 90 01 00 44 A0 02 00 02 05 00 02 DE AD 82 50", 6),
                  "FF FF 84 90 A0 82");
        EXPECT_EQ(HexText(line.Read(1)), "33");
        EXPECT_EQ(sim.Stop(), 0);
    }
    ASSERT_TRUE(std::filesystem::exists(image));
    {
        SimOptions options{.type = 6, .image = image};
        SimProcess sim(options);
        RawTerminal line(sim.LinkPath(), 57600);
        EXPECT_EQ(Exchange(line, "00 00 82 50 88 01 01 00 A0 01 00 02 05 00 02", 9),
                  "FF FF 82 33 88 44 A0 DE AD");
    }
    const auto run =
        RunSimToExit({"--link", directory.File("line"), "--type", "1", "--image", image});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.standard_error.find("holds a set of type 6, but --type says 1"),
              std::string::npos)
        << run.standard_error;
}

TEST(Program, StopsCleanlyOnSigtermAndRemovesItsLinkAndSocket) {
    SimProcess sim({.type = 5});
    ASSERT_TRUE(std::filesystem::is_symlink(sim.LinkPath()));
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(sim.LinkPath())));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(sim.ControlPath())));
}

TEST(Program, ReplacesAStaleLink) {
    TemporaryDirectory directory;
    const std::string link = directory.File("line");
    std::filesystem::create_symlink("/dev/pts/no-such-terminal", link);
    SimProcess sim({.type = 5, .link = link});
    RawTerminal line(link, 57600);
    EXPECT_EQ(Exchange(line, "00 00", 2), "FF FF");
}

TEST(Program, TraceLogsBothDirections) {
    TemporaryDirectory directory;
    const std::string trace = directory.File("trace.txt");
    {
        SimProcess sim({.type = 5, .extra_args = {"--trace", trace}});
        RawTerminal line(sim.LinkPath(), 57600);
        EXPECT_EQ(Exchange(line, "00 00", 2), "FF FF");
        line.SetBaud(115200);
        line.Write({0x82});
        sim.WaitForStatus("received=3 ");
        EXPECT_EQ(sim.Stop(), 0);
    }
    std::ifstream file(trace);
    std::stringstream text;
    text << file.rdbuf();
    const std::string log = text.str();
    EXPECT_NE(log.find(" rx 00\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" tx FF\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" rx 82 ignored: line at 115200 bit/s, the set answers at 57600"),
              std::string::npos)
        << log;
}

struct CommandLineCase {
    std::vector<std::string> arguments;
    int exit_code;
    const char* message;  // part of standard error
};

TEST(Program, RefusesBadCommandLinesSayingWhy) {
    TemporaryDirectory directory;
    const std::string regular_file = directory.File("not-a-link");
    std::ofstream(regular_file) << "keep me";
    const std::string link = directory.File("line");
    const CommandLineCase kCases[] = {
        {{"--type", "5"}, 2, "--link PATH is required"},
        {{"--link", link}, 2, "--type N is required without --image"},
        {{"--link", link, "--type", "9"}, 2, "--type takes a device type from 0 to 8, not '9'"},
        {{"--link", link, "--type", "5", "--fault", "loud"}, 2, "unknown fault 'loud'"},
        {{"--link", link, "--type", "5", "--fault", "drop=x"}, 2, "fault drop takes a count"},
        {{"--link", link, "--type", "5", "--colour"}, 2, "unknown argument '--colour'"},
        {{"--link", "/no/such/directory/line", "--type", "5"},
         1,
         "cannot create the link /no/such/directory/line to /dev/pts/"},
        {{"--link", regular_file, "--type", "5"},
         1,
         "it exists and is not a symbolic link (not replaced)"},
        {{"--link", link, "--image", directory.File("missing.img")},
         1,
         "does not exist yet: --type N says which set to make"},
    };
    for (const CommandLineCase& bad : kCases) {
        SCOPED_TRACE(bad.message);
        const auto run = RunSimToExit(bad.arguments);
        EXPECT_EQ(run.exit_code, bad.exit_code);
        EXPECT_NE(run.standard_error.find(bad.message), std::string::npos) << run.standard_error;
        EXPECT_EQ(run.standard_output, "");
    }
    std::ifstream kept(regular_file);
    std::string content;
    std::getline(kept, content);
    EXPECT_EQ(content, "keep me");

    const auto help = RunSimToExit({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_EQ(help.standard_output.rfind("Usage: fonerix-sim --link PATH", 0), 0u);
}

}  // namespace
}  // namespace fonerix::sim
