// fonerix-sim end to end: a test opens the linked pseudo-terminal as the host would, with
// termios, and talks to the set over it; events and faults go through the control socket.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

using test::HexBytes;
using test::HexText;
using test::RawTerminal;
using test::RunSimToExit;
using test::SimOptions;
using test::SimProcess;
using test::TemporaryDirectory;

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
                                           FamilyCase{1, 115200, 57600},
                                           FamilyCase{0, 57600, 115200},
                                           FamilyCase{3, 115200, 57600},
                                           FamilyCase{8, 57600, 115200}),
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
        {{"--link", link, "--type", "5", "--generate", "x"}, 2, "--generate takes SEED or"},
        {{"--link", link, "--type", "5", "--generate", "1:0"}, 2, "--generate takes SEED or"},
        {{"--link", link, "--generate", "1"}, 2, "--generate needs --type N"},
        {{"--link", link, "--type", "5", "--generate", "1", "--scenario", regular_file},
         2,
         "give one"},
        {{"--link", link, "--type", "5", "--scenario", directory.File("none.txt")},
         1,
         "cannot read the scenario"},
        {{"--link", link, "--type", "5", "--scenario", regular_file},
         1,
         "line 1: unknown item 'keep'"},
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

std::string WriteFile(const TemporaryDirectory& directory, const std::string& name,
                      const std::string& text) {
    const std::string path = directory.File(name);
    std::ofstream(path) << text;
    return path;
}

TEST(Program, HostReadsTheScenarioWhereTheSetKeepsIt) {
    TemporaryDirectory directory;
    const std::string scenario = WriteFile(directory, "set.txt",
                                           "type 7\n"
                                           "out 2026-11-30 14:05 0123 duration=12 parallel\n"
                                           "book 2 5550001 rank=1\n");
    SimProcess sim({.type = 7, .scenario = scenario});
    RawTerminal line(sim.LinkPath(), 57600);
    // The map page's tag, then the first outgoing record: column 172, page 1, block 21, 96 bytes.
    EXPECT_EQ(Exchange(line, "00 00 A0 01 00 00 00 00 06", 9), "FF FF A0 00 00 00 80 80 80");
    std::vector<std::uint8_t> record = HexBytes("00 04 05 0E 1E 0B 1A 04 0A 01 02 03");
    record.resize(32, 0);
    record[30] = 12;
    record[31] = 0x80;
    std::string tripled;
    for (const std::uint8_t byte : record) {
        tripled += " " + HexText({{byte, byte, byte}});
    }
    EXPECT_EQ(Exchange(line, "A0 01 AC 01 15 00 60", 97), "A0" + tripled);

    const std::string dump = sim.DumpLists();
    EXPECT_NE(dump.find("out number=0123 year=26 month=11 day=30 hour=14 minute=5 duration=12 "
                        "parallel=1 flop=0 voice=0 block=21 page=1 column=172\n"),
              std::string::npos)
        << dump;
    EXPECT_NE(
        dump.find("book position=2 number=5550001 rank=1 voice=0 block=2 page=3 column=172\n"),
        std::string::npos)
        << dump;
    EXPECT_EQ(sim.Command("record out 555 duration=3"), "ok");
    EXPECT_NE(sim.DumpLists().find("out number=555 "), std::string::npos);
    EXPECT_EQ(sim.Command("dump lists"), "error: usage: dump lists FILE");
    EXPECT_EQ(sim.Command("dump lists /no/such/directory/lists.txt"),
              "error: cannot write /no/such/directory/lists.txt");
}

TEST(Program, SecondFamilyMapIsReadFromMemoryAtAddressNine) {
    TemporaryDirectory directory;
    const std::string scenario =
        WriteFile(directory, "set.txt", "in 2026-12-09 09:15 0123\nin 2026-12-09 09:16 0124\n");
    SimProcess sim({.type = 3, .scenario = scenario});
    RawTerminal line(sim.LinkPath(), 115200);
    EXPECT_EQ(Exchange(line, "00 00 88 0F 00 09", 18),
              "FF FF 88 00 00 40 00 0C 02 05 00 01 0B 00 0A 00 00 0A");
    EXPECT_EQ(Exchange(line, "88 01 1F FF", 2), "88 03");
}

TEST(Program, GeneratedSetKeepsItsContentAndClockInItsImage) {
    TemporaryDirectory directory;
    const std::string image = directory.File("set.img");
    std::string dump;
    {
        SimProcess sim({.type = 6, .image = image, .generate = "11:20"});
        dump = sim.DumpLists();
        RawTerminal line(sim.LinkPath(), 57600);
        // 31 December 2026 (a Thursday), 10:00:00: year, month, day, weekday, hour, minute, second.
        EXPECT_EQ(
            Exchange(line, "00 00 84 D8 1A 84 D7 0C 84 D6 1F 84 D9 10 84 D5 0A 84 D4 00 84 55 00",
                     9),
            "FF FF 84 84 84 84 84 84 84");
        EXPECT_EQ(sim.Stop(), 0);
    }
    // Settings, the book, both logs, and the two voice lines of an empty voice store.
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 1 + 20 + 40 + 2) << dump;
    {
        SimProcess sim({.type = 6, .image = image});
        EXPECT_EQ(sim.DumpLists(), dump);
        RawTerminal line(sim.LinkPath(), 57600);
        EXPECT_EQ(Exchange(line, "00 00 82 D8 82 D7 82 D6 82 D5", 10),
                  "FF FF 82 1A 82 0C 82 1F 82 0A");
    }
    {
        SimProcess sim({.type = 6, .generate = "11:20"});
        EXPECT_EQ(sim.DumpLists(), dump) << "the same seed makes the same set";
    }
    const auto run = RunSimToExit(
        {"--link", directory.File("line"), "--type", "6", "--image", image, "--generate", "12"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(
        run.standard_error.find("already holds a set; --scenario and --generate make a fresh"),
        std::string::npos)
        << run.standard_error;
}

TEST(Program, ScenarioThatDoesNotFitTheSetIsRefused) {
    TemporaryDirectory directory;
    const std::string scenario = WriteFile(directory, "set.txt", "type 1\nbook 1 123 rank=4\n");
    const auto run = RunSimToExit({"--link", directory.File("line"), "--scenario", scenario});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.standard_error.find("does not fit the set: this set keeps a rank of 0 to 3"),
              std::string::npos)
        << run.standard_error;
}

}  // namespace
}  // namespace fonerix::sim
