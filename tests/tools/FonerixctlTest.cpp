// fonerixctl and fonerix-regsvr as a user runs them: the built programs, the built control
// registered into a throwaway configuration folder, COM1..COM4 pointing at a simulated set or
// at nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "control/automation/FonerixInterface.h"
#include "platform/automation/Registry.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/tools/TextFormats.h"
#include "tests/tools/ToolProcess.h"
#include "tools/probe/PortDiagnosis.h"

namespace fonerix::test {
namespace {

using namespace std::chrono_literals;

const std::string kCtl = FONERIXCTL_PATH;
const std::string kRegsvr = FONERIX_REGSVR_PATH;
const std::string kProbe = FONERIX_PROBE_PATH;
const std::string kLibrary = FONERIX_LIBRARY_PATH;
const auto kLong = 60s;  // a deadline against hangs, never a measurement

// A pseudo-terminal whose other end nobody serves: a port where nothing answers.
class SilentLine {
  public:
    SilentLine() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        m_path = ::ptsname(m_master);
    }
    ~SilentLine() { ::close(m_master); }
    SilentLine(const SilentLine&) = delete;
    SilentLine& operator=(const SilentLine&) = delete;
    const std::string& Path() const { return m_path; }
    // The bytes written to the line so far.
    std::string Received() {
        std::string bytes;
        char buf[256];
        for (pollfd p{m_master, POLLIN, 0}; ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0;) {
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n <= 0) {
                break;
            }
            bytes.append(buf, static_cast<size_t>(n));
        }
        return bytes;
    }

  private:
    int m_master = -1;
    std::string m_path;
};

class FonerixctlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_env["XDG_CONFIG_HOME"] = m_dir.File("config");
        for (int n = 1; n <= 4; ++n) {
            m_env["FONERIX_COM" + std::to_string(n)] =
                m_dir.File("no-such-port" + std::to_string(n));
        }
        m_env.erase("FONERIX_TRACE");
        const ToolResult reg = RunTool(kRegsvr, {kLibrary}, m_env);
        ASSERT_EQ(reg.exitCode, 0) << reg.err;
    }

    void Port(int n, const std::string& path) { m_env["FONERIX_COM" + std::to_string(n)] = path; }

    ToolResult Ctl(const std::vector<std::string>& args) { return RunTool(kCtl, args, m_env); }

    // `find --format json` on the set the ports point at.
    JsonValue FindJson() {
        const ToolResult r = Ctl({"find", "--format", "json"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        const auto doc = ParseJson(r.out);
        if (!doc || !doc->IsObject()) {
            ADD_FAILURE() << "not a JSON object: " << r.out;
            return {};
        }
        return *doc;
    }

    TemporaryDirectory m_dir{"fonerixctl-test"};
    std::map<std::string, std::string> m_env;
};

struct FindCase {
    int type;
    const char* caption;
    int baud;
};

void PrintTo(const FindCase& c, std::ostream* os) {
    *os << "type " << c.type;
}

class FindTest : public FonerixctlTest, public ::testing::WithParamInterface<FindCase> {};

TEST_P(FindTest, FindsTheSetOnTheSecondPortAndNamesIt) {
    const FindCase c = GetParam();
    SimProcess sim({.type = c.type});
    Port(2, sim.LinkPath());
    const JsonValue found = FindJson();
    ASSERT_TRUE(found.IsObject());
    EXPECT_EQ(found["type"].Number(), c.type);
    EXPECT_EQ(found["caption"].Text(), c.caption);
    EXPECT_EQ(found["port"].Text(), "COM2");
    EXPECT_EQ(found["path"].Text(), sim.LinkPath());
    EXPECT_EQ(found["baud"].Number(), c.baud);

    const ToolResult table = Ctl({"find"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_NE(table.out.find(std::string("caption:         ") + c.caption + "\n"),
              std::string::npos)
        << table.out;
    const ToolResult info = Ctl({"info", "--format", "csv"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    const auto rows = ParseCsv(info.out);
    ASSERT_TRUE(rows && rows->size() == 2) << info.out;
    EXPECT_EQ(rows->at(1).at(1), std::to_string(c.type));
}

INSTANTIATE_TEST_SUITE_P(Types, FindTest,
                         ::testing::Values(FindCase{5, "Ringolo Zelta+", 57600},
                                           FindCase{7, "Ringolo Zelta+", 57600},
                                           FindCase{1, "Varkon+", 115200}),
                         [](const auto& p) { return "Type" + std::to_string(p.param.type); });

TEST_F(FonerixctlTest, ASettingWrittenIsReadOnTheNextRun) {
    SimProcess sim({.type = 5});
    Port(1, sim.LinkPath());
    struct Case {
        const char* property;
        const char* value;
    };
    for (const Case c : {Case{"BellVolume", "3"}, Case{"NumLength", "5"},
                         Case{"AlarmTime", "06:45"}, Case{"DeviceTime", "2026-12-09 23:58:00"}}) {
        const ToolResult set = Ctl({"set", c.property, c.value});
        EXPECT_EQ(set.exitCode, 0) << c.property << ": " << set.err;
        const ToolResult get = Ctl({"get", c.property});
        ASSERT_EQ(get.exitCode, 0) << get.err;
        if (std::string_view(c.property) == "DeviceTime") {
            // The set's clock runs on: the same day and hour is what we can rely on.
            EXPECT_EQ(get.out.substr(0, 13), "2026-12-09 23") << get.out;
        } else {
            EXPECT_EQ(get.out, std::string(c.value) + "\n") << c.property;
        }
    }
    // A value out of the register's range is refused before the set is searched: the control
    // would have clamped it silently.
    const ToolResult clamped = Ctl({"set", "BellVolume", "9"});
    EXPECT_EQ(clamped.exitCode, 2);
    EXPECT_NE(clamped.err.find("BellVolume takes 0 to 7"), std::string::npos) << clamped.err;
    EXPECT_EQ(Ctl({"get", "BellVolume"}).out, "3\n");

    const ToolResult props = Ctl({"props", "--format", "json"});
    ASSERT_EQ(props.exitCode, 0) << props.err;
    const auto doc = ParseJson(props.out);
    ASSERT_TRUE(doc && doc->IsArray()) << props.out;
    EXPECT_EQ(doc->AsArray().size(), 16u);
    std::map<std::string, std::string> values;
    for (const JsonValue& row : doc->AsArray()) {
        values[row["property"].Text()] = row["value"].Text();
    }
    EXPECT_EQ(values["NumLength"], "5");
    EXPECT_EQ(values["BellVolume"], "3");
    EXPECT_EQ(values["AlarmTime"], "06:45");
}

TEST_F(FonerixctlTest, ListsInCsvAndJsonHoldTheScenariosEntries) {
    const std::string scenario = m_dir.File("set.txt");
    std::ofstream(scenario) << "type 7\n"
                               "clock 2026-12-09 12:00:00\n"
                               "book 3 84951234567 rank=2\n"
                               "book 10 2345678 rank=0 voice=0\n"
                               "in 2026-12-01 09:15 89161234567 duration=3\n"
                               "in 2026-12-02 18:40 5551234 duration=0 parallel\n"
                               "out 2026-11-30 14:05 2345678 duration=12 parallel flop\n";
    SimProcess sim({.type = 7, .scenario = scenario});
    Port(3, sim.LinkPath());

    const ToolResult book = Ctl({"book", "--format", "csv"});
    ASSERT_EQ(book.exitCode, 0) << book.err;
    const auto rows = ParseCsv(book.out);
    ASSERT_TRUE(rows) << book.out;
    ASSERT_EQ(rows->size(), 3u) << book.out;
    EXPECT_EQ(rows->at(0),
              (std::vector<std::string>{"position", "number", "rank", "voice", "address"}));
    EXPECT_EQ(rows->at(1).at(0), "3");
    EXPECT_EQ(rows->at(1).at(1), "84951234567");
    EXPECT_EQ(rows->at(1).at(2), "2");
    EXPECT_EQ(rows->at(2).at(0), "10");
    EXPECT_EQ(rows->at(2).at(1), "2345678");

    const ToolResult in = Ctl({"incoming", "--format", "json"});
    ASSERT_EQ(in.exitCode, 0) << in.err;
    const auto calls = ParseJson(in.out);
    ASSERT_TRUE(calls && calls->IsArray()) << in.out;
    ASSERT_EQ(calls->AsArray().size(), 2u) << in.out;
    const JsonValue& first = calls->AsArray()[0];
    EXPECT_EQ(first["number"].Text(), "89161234567");
    EXPECT_EQ(first["date"].Text(), "2026-12-01");
    EXPECT_EQ(first["time"].Text(), "09:15");
    EXPECT_EQ(first["duration"].Number(), 3);
    EXPECT_EQ(first["parallel"].Number(), 0);
    EXPECT_EQ(calls->AsArray()[1]["number"].Text(), "5551234");
    EXPECT_EQ(calls->AsArray()[1]["parallel"].Number(), 1);

    const ToolResult out = Ctl({"outgoing", "--format", "csv"});
    ASSERT_EQ(out.exitCode, 0) << out.err;
    const auto outRows = ParseCsv(out.out);
    ASSERT_TRUE(outRows && outRows->size() == 2) << out.out;
    const std::vector<std::string> expected = {"2026-11-30", "14:05", "2345678", "12", "1", "1"};
    EXPECT_EQ(std::vector<std::string>(outRows->at(1).begin(), outRows->at(1).begin() + 6),
              expected);
}

// The line goes dead part of the way through each list: the control's enumeration then simply
// ends, and only asking the set afterwards tells that from the end of the list.
TEST_F(FonerixctlTest, AListCutOffByASetThatStoppedAnsweringIsExitFour) {
    SimProcess sim({.type = 5, .generate = "42:30"});
    Port(1, sim.LinkPath());
    for (const char* list : {"incoming", "book"}) {  // a log and the book: one check for all
        const ToolResult whole = Ctl({list, "--format", "csv"});
        ASSERT_EQ(whole.exitCode, 0) << list << ": " << whole.err;
        const auto all = ParseCsv(whole.out);
        ASSERT_TRUE(all) << whole.out;
        ASSERT_EQ(all->size(), 31u) << list;  // the header and 30 entries

        // Enough for the search and some entries, not for the whole list.
        ASSERT_EQ(sim.Command("fault hangup 2000"), "ok");
        const ToolResult cut = Ctl({list, "--format", "csv"});
        ASSERT_EQ(sim.Command("fault hangup 0"), "ok");
        EXPECT_EQ(cut.exitCode, 4) << list << ": " << cut.err;
        const auto rows = ParseCsv(cut.out);
        ASSERT_TRUE(rows && !rows->empty()) << cut.out;
        const size_t entries = rows->size() - 1;
        EXPECT_LT(entries, 30u) << list;
        // What was read is still printed, as it was read.
        for (size_t i = 1; i < rows->size(); ++i) {
            EXPECT_EQ(rows->at(i), all->at(i)) << list << " row " << i;
        }
        EXPECT_NE(
            cut.err.find("fonerixctl: the set stopped answering after " + std::to_string(entries) +
                         (entries == 1 ? " entry" : " entries") + "; the list is incomplete"),
            std::string::npos)
            << list << ": " << cut.err;
    }
}

TEST_F(FonerixctlTest, WatchPrintsTheEventsTheSetSends) {
    SimProcess sim({.type = 5});
    Port(1, sim.LinkPath());
    ToolProcess watch(kCtl, {"watch", "--seconds", "120"}, m_env);
    ASSERT_TRUE(watch.WaitForError("watching", kLong)) << "watch did not start";

    ASSERT_EQ(sim.Command("call 84951234567"), "ok");
    const auto call = watch.WaitForOutput("ComingCall", kLong);
    ASSERT_TRUE(call);
    EXPECT_NE(call->find("ComingCall  84951234567"), std::string::npos) << *call;
    ASSERT_EQ(sim.Command("up"), "ok");
    EXPECT_TRUE(watch.WaitForOutput("TubeUp", kLong));
    ASSERT_EQ(sim.Command("down"), "ok");
    EXPECT_TRUE(watch.WaitForOutput("TubeDown", kLong));

    watch.Signal(SIGINT);
    const ToolResult end = watch.Finish(kLong);
    EXPECT_EQ(end.exitCode, 0) << end.err;
    EXPECT_NE(end.err.find("stopped watching"), std::string::npos) << end.err;
}

TEST_F(FonerixctlTest, WatchJsonLinesCarryTheNumberAndTheKey) {
    SimProcess sim({.type = 7});
    Port(1, sim.LinkPath());
    ToolProcess watch(kCtl, {"watch", "--json"}, m_env);
    ASSERT_TRUE(watch.WaitForError("watching", kLong));

    ASSERT_EQ(sim.Command("dialling 2345678"), "ok");
    const auto dialled = watch.WaitForOutput("ParallDialing", kLong);
    ASSERT_TRUE(dialled);
    const auto d = ParseJson(*dialled);
    ASSERT_TRUE(d) << *dialled;
    EXPECT_EQ((*d)["number"].Text(), "2345678");

    ASSERT_EQ(sim.Command("key 64"), "ok");
    const auto key = watch.WaitForOutput("PhoneKeyPress", kLong);
    ASSERT_TRUE(key);
    const auto k = ParseJson(*key);
    ASSERT_TRUE(k) << *key;
    EXPECT_EQ((*k)["key"].Number(), 64);

    ASSERT_EQ(sim.Command("call"), "ok");  // a call without a number
    const auto empty = watch.WaitForOutput("ComingCall", kLong);
    ASSERT_TRUE(empty);
    EXPECT_EQ((*ParseJson(*empty))["number"].Text(), "");

    watch.Signal(SIGTERM);
    EXPECT_EQ(watch.Finish(kLong).exitCode, 0);
}

TEST_F(FonerixctlTest, NoSetSaysWhyForEveryPort) {
    SilentLine silent;
    Port(2, silent.Path());
    // A port some other program holds exclusively, as the control itself would.
    SilentLine held;
    const int holder = ::open(held.Path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::ioctl(holder, TIOCEXCL), 0);
    Port(4, held.Path());
    const bool root = ::geteuid() == 0;
    const std::string locked = m_dir.File("locked");
    std::ofstream(locked).put('x');
    ::chmod(locked.c_str(), 0);
    if (!root) {
        Port(3, locked);
    }

    const ToolResult r = Ctl({"info"});
    ::close(holder);
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("COM1 (" + m_dir.File("no-such-port1") + "): no such device"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("COM2 (" + silent.Path() + "): no answer"), std::string::npos) << r.err;
    if (!root) {  // root opens anything and is not kept off by TIOCEXCL
        EXPECT_NE(r.err.find("COM3 (" + locked +
                             "): permission denied: add yourself to the "
                             "dialout group"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("COM4 (" + held.Path() + "): busy"), std::string::npos) << r.err;
    }
    EXPECT_EQ(r.out, "");
}

// Both tools choose ports alike: --port N searches COM N alone, and nothing is sent to the others.
TEST_F(FonerixctlTest, PortSearchesThatPortAloneInBothTools) {
    SimProcess sim({.type = 5});
    SilentLine other;
    Port(1, other.Path());
    Port(2, sim.LinkPath());

    const ToolResult found = Ctl({"--port", "2", "find", "--format", "json"});
    ASSERT_EQ(found.exitCode, 0) << found.err;
    const auto doc = ParseJson(found.out);
    ASSERT_TRUE(doc && doc->IsObject()) << found.out;
    EXPECT_EQ((*doc)["port"].Text(), "COM2");
    const ToolResult probed = RunTool(kProbe, {"--port", "2"}, m_env);
    EXPECT_EQ(probed.exitCode, 0) << probed.err;
    EXPECT_NE(probed.out.find("COM2 (" + sim.LinkPath() + "): Ringolo Zelta+"), std::string::npos)
        << probed.out;
    EXPECT_EQ(other.Received(), "") << "COM1 was searched";

    // The set is not on the port named: only that port is searched and explained.
    const ToolResult missed = Ctl({"info", "--port=1"});
    EXPECT_EQ(missed.exitCode, 3) << missed.err;
    EXPECT_NE(missed.err.find("no telephone set found on COM1:\n  COM1 (" + other.Path() +
                              "): no answer"),
              std::string::npos)
        << missed.err;
    EXPECT_EQ(missed.err.find("COM2"), std::string::npos) << missed.err;
    EXPECT_EQ(RunTool(kProbe, {"--port", "1"}, m_env).exitCode, 3);

    // The same words for a port out of range from both.
    const ToolResult ctlBad = Ctl({"--port", "7", "find"});
    const ToolResult probeBad = RunTool(kProbe, {"--port", "7"}, m_env);
    EXPECT_EQ(ctlBad.exitCode, 2);
    EXPECT_EQ(probeBad.exitCode, 2);
    const std::string words = "--port takes a COM port number from 1 to 4, not \"7\"";
    EXPECT_NE(ctlBad.err.find("fonerixctl: " + words), std::string::npos) << ctlBad.err;
    EXPECT_NE(probeBad.err.find("fonerix-probe: " + words), std::string::npos) << probeBad.err;
    // Both usages describe the ports in the same words.
    const std::string rule = ComPortRuleText();
    EXPECT_NE(Ctl({"--help"}).out.find(rule), std::string::npos);
    EXPECT_NE(RunTool(kProbe, {"--help"}, m_env).out.find(rule), std::string::npos);
}

TEST_F(FonerixctlTest, AnUnregisteredControlIsExitFiveWithTheFix) {
    ASSERT_EQ(RunTool(kRegsvr, {"-u", kLibrary}, m_env).exitCode, 0);
    const ToolResult r = Ctl({"find"});
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_NE(r.err.find("no registry entry for the ProgID \"FONERIX.FonerixCtrl.1\""),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("fonerix-regsvr"), std::string::npos) << r.err;

    // Registered, but the library has gone since.
    const std::string registry = m_env["XDG_CONFIG_HOME"] + "/fonerix/registry.ini";
    std::filesystem::create_directories(m_env["XDG_CONFIG_HOME"] + "/fonerix");
    std::ofstream(registry) << "[CLSID\\" << FormatGuid(kFonerixCtrlClsid)
                            << "]\nLibrary=" << m_dir.File("gone.so") << "\n[ProgID\\"
                            << kFonerixCtrlProgId << "]\nCLSID=" << FormatGuid(kFonerixCtrlClsid)
                            << "\n";
    const ToolResult gone = Ctl({"get", "BellVolume"});
    EXPECT_EQ(gone.exitCode, 5);
    EXPECT_NE(gone.err.find("gone.so"), std::string::npos) << gone.err;
}

TEST_F(FonerixctlTest, BadArgumentsAreExitTwoBeforeAnySearch) {
    // Without registration: a bad command line must not even try to create the control.
    m_env["XDG_CONFIG_HOME"] = m_dir.File("empty-config");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"get"},
        {"get", "NoSuchProperty"},
        {"get", "StateRegister"},  // indexed: that is `state`
        {"set", "BellVolume", "loud"},
        {"set", "DeviceTime", "2026-13-01 00:00:00"},
        {"set", "AlarmTime", "25:00"},
        {"key", "36"},
        {"dial", "12a4"},
        {"state", "4"},
        {"callerid", "set", "current", "query-time=5"},
        {"callerid", "set", "both", "min-digits=3"},
        {"voice", "put", "/no/such.wav"},
        {"--port", "5", "find"},
        {"book", "--format", "xml"},
        {"watch", "--seconds", "0"},
    };
    for (const auto& args : cases) {
        const ToolResult r = Ctl(args);
        EXPECT_EQ(r.exitCode, 2) << (args.empty() ? "(none)" : args[0]) << ": " << r.err;
        EXPECT_NE(r.err.find("fonerixctl: "), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    const ToolResult help = Ctl({"watch", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: fonerixctl watch"), std::string::npos) << help.out;
    const ToolResult version = Ctl({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_NE(version.out.find("not registered"), std::string::npos) << version.out;
}

TEST_F(FonerixctlTest, ValuesOutsideTheirRangeAreRefusedBeforeAnySearch) {
    // No set anywhere and the control not even registered: only a check without the set can
    // answer exit 2.
    m_env["XDG_CONFIG_HOME"] = m_dir.File("empty-config");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"set", "BellVolume", "999"}, "BellVolume takes 0 to 7, not \"999\""},
        {{"set", "bellvolume", "-1"}, "BellVolume takes 0 to 7, not \"-1\""},
        {{"set", "NumLength", "0x10"}, "NumLength takes 4 to 7, not \"0x10\""},
        {{"set", "UtCallup", "69"}, "UtCallup takes 70 to 150"},
        {{"set", "UtLineFree", "0"}, "UtLineFree takes 1 to 50"},
        {{"set", "BellMelody", "5"}, "BellMelody takes 1 to 4"},
        {{"set", "ConfigRegister", "256"}, "ConfigRegister takes 0 to 255"},
        {{"set", "DeviceBuffer", "12345678901234567890"}, "DeviceBuffer"},
        {{"set", "RedirectionNumber", "abc"},
         "RedirectionNumber: a number is 1 to 20 of 0-9, F, J, L, P, _; not \"abc\""},
        {{"redirect", "abc"}, "redirect: a number is 1 to 20 of 0-9, F, J, L, P, _; not \"abc\""},
    };
    for (const Case& c : cases) {
        const ToolResult r = Ctl(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.args[1] << ": " << r.err;
        EXPECT_NE(r.err.find("fonerixctl: " + c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

// The ranges of the second family are narrower in places; what a family lacks is said by the
// read-back.
TEST_F(FonerixctlTest, TheFoundSetsOwnRangeIsCheckedBeforeWriting) {
    SimProcess sim({.type = 1});
    Port(1, sim.LinkPath());
    const ToolResult loud = Ctl({"set", "BellVolume", "6"});
    EXPECT_EQ(loud.exitCode, 2) << loud.err;
    EXPECT_NE(loud.err.find("BellVolume takes 0 to 5 on this set (Varkon+), not \"6\""),
              std::string::npos)
        << loud.err;
    EXPECT_NE(sim.Command("status").find("changes=0"), std::string::npos);
    EXPECT_EQ(Ctl({"set", "BellVolume", "5"}).exitCode, 0);

    const ToolResult lacking = Ctl({"set", "SoundVolume", "3"});
    EXPECT_EQ(lacking.exitCode, 1);
    EXPECT_NE(lacking.err.find("keeps SoundVolume = -1"), std::string::npos) << lacking.err;
}

// A WAV file of `samples` bytes of data with the format fields as given.
void WriteWav(const std::string& path, uint16_t format, uint16_t channels, uint32_t rate,
              uint16_t bits, uint32_t samples) {
    std::string bytes;
    auto le = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) {
            bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
    };
    bytes += "RIFF";
    le(36 + samples, 4);
    bytes += "WAVEfmt ";
    le(16, 4);
    le(format, 2);
    le(channels, 2);
    le(rate, 4);
    le(rate * channels * bits / 8, 4);
    le(channels * bits / 8, 2);
    le(bits, 2);
    bytes += "data";
    le(samples, 4);
    bytes.append(samples, '\x80');
    std::ofstream(path, std::ios::binary) << bytes;
}

// voice put looks at the file before the set is asked to store it and says how to convert it.
TEST_F(FonerixctlTest, VoicePutSaysWhatIsWrongWithTheFileAndHowToConvertIt) {
    const std::string wide = m_dir.File("wide.wav");
    WriteWav(wide, 1, 1, 22050, 16, 4000);
    const std::string stereo = m_dir.File("stereo.wav");
    WriteWav(stereo, 1, 2, 11025, 8, 4000);
    const std::string slow = m_dir.File("slow.wav");
    WriteWav(slow, 1, 1, 6400, 8, 4000);
    const std::string good = m_dir.File("good.wav");
    WriteWav(good, 1, 1, 11025, 8, 4000);

    SimProcess sim({.type = 5});
    Port(1, sim.LinkPath());
    const std::string takes = "this set takes 8-bit mono PCM at 10025 to 12025 samples/s: sox ";
    struct Case {
        std::string file;
        std::string message;
    };
    for (const Case& c : {Case{wide, wide + ": 16-bit, 22050 samples/s; " + takes + wide},
                          Case{stereo, stereo + ": stereo; " + takes + stereo},
                          Case{slow, slow + ": 6400 samples/s; " + takes + slow}}) {
        const ToolResult r = Ctl({"voice", "put", c.file});
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find("fonerixctl: voice put: " + c.message +
                             " -r 11025 -c 1 -b 8 -e unsigned-integer "),
                  std::string::npos)
            << r.err;
    }
    EXPECT_NE(sim.Command("status").find("changes=0"), std::string::npos) << "the set was asked";
    const ToolResult stored = Ctl({"voice", "put", good});
    EXPECT_EQ(stored.exitCode, 0) << stored.err;

    // Type 7 plays at its own rate.
    SimProcess seven({.type = 7});
    Port(1, seven.LinkPath());
    const ToolResult r7 = Ctl({"voice", "put", good});
    EXPECT_EQ(r7.exitCode, 2);
    EXPECT_NE(r7.err.find(good +
                          ": 11025 samples/s; this set takes 8-bit mono PCM at 6000 to 6900 "
                          "samples/s: sox " +
                          good + " -r 6400 -c 1 -b 8 -e unsigned-integer "),
              std::string::npos)
        << r7.err;
}

TEST_F(FonerixctlTest, VoiceFilesThatCannotBeUsedAreRefusedBeforeAnySearch) {
    m_env["XDG_CONFIG_HOME"] = m_dir.File("empty-config");  // no control: a search is exit 5
    const std::string text = m_dir.File("notes.wav");
    std::ofstream(text) << "not a sound at all\n";
    const std::string empty = m_dir.File("empty.wav");
    WriteWav(empty, 1, 1, 11025, 8, 0);
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"voice", "put", text}, "voice put: " + text + ": not a WAV file (not a RIFF file)"},
        {{"voice", "put", empty}, "voice put: " + empty + ": not a WAV file (empty data chunk)"},
        {{"voice", "get", "33", m_dir.File("no-such-folder/m.wav")},
         "voice get: there is no folder " + m_dir.File("no-such-folder")},
    };
    for (const Case& c : cases) {
        const ToolResult r = Ctl(c.args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find("fonerixctl: " + c.message), std::string::npos) << r.err;
    }
}

TEST_F(FonerixctlTest, RegsvrWritesAndRemovesTheControlsSections) {
    const std::filesystem::path registry =
        std::filesystem::path(m_env["XDG_CONFIG_HOME"]) / "fonerix" / "registry.ini";
    CRegistryFile file(registry);
    ASSERT_TRUE(file.Load());  // SetUp registered it
    const std::string cls = ClassSection(kFonerixCtrlClsid);
    EXPECT_EQ(file.Get(cls, "Library"), std::filesystem::canonical(kLibrary).string());
    EXPECT_EQ(file.Get(cls, "ProgID"), kFonerixCtrlProgId);
    EXPECT_EQ(file.Get(cls, "ThreadingModel"), "Apartment");
    EXPECT_EQ(file.Get(ProgIdSection(kFonerixCtrlProgId), "CLSID"), FormatGuid(kFonerixCtrlClsid));
    EXPECT_EQ(file.Get(TypeLibSection(kFonerixLibid), "Version"), "1.0");
    EXPECT_TRUE(file.HasSection(ClassSection(kFonerixPropPageClsid)));
    const ToolResult version = Ctl({"--version"});
    EXPECT_NE(version.out.find("type library FONERIXLib 1.0"), std::string::npos) << version.out;
    EXPECT_NE(version.out.find("control version 1.0.0.1"), std::string::npos) << version.out;

    const ToolResult un = RunTool(kRegsvr, {"-u", kLibrary}, m_env);
    EXPECT_EQ(un.exitCode, 0) << un.err;
    EXPECT_NE(un.out.find("Unregistered"), std::string::npos);
    ASSERT_TRUE(file.Load());
    EXPECT_FALSE(file.HasSection(cls));
    EXPECT_FALSE(file.HasSection(ProgIdSection(kFonerixCtrlProgId)));
    EXPECT_FALSE(file.HasSection(TypeLibSection(kFonerixLibid)));
    EXPECT_FALSE(file.HasSection(ClassSection(kFonerixPropPageClsid)));
}

TEST_F(FonerixctlTest, RegsvrSaysWhichStepFailed) {
    const std::string text = m_dir.File("not-a-library.so");
    std::ofstream(text) << "just text\n";
    // A configuration "folder" that is a file: the registry cannot be written.
    const std::string blocked = m_dir.File("blocked");
    std::ofstream(blocked) << "x";
    struct Case {
        std::vector<std::string> args;
        std::map<std::string, std::string> env;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {{}, {}, 2, "no library given"},
        {{"a.so", "b.so"}, {}, 2, "one library at a time"},
        {{"--frobnicate", kLibrary}, {}, 2, "Usage"},
        {{m_dir.File("missing.so")}, {}, 3, "No such file"},
        {{text}, {}, 4, "cannot load"},
        {{NO_ENTRY_LIBRARY_PATH}, {}, 5, "has no entry point DllRegisterServer"},
        {{"-u", NO_ENTRY_LIBRARY_PATH}, {}, 5, "has no entry point DllUnregisterServer"},
        {{kLibrary}, {{"XDG_CONFIG_HOME", blocked}}, 1, "SELFREG_E_TYPELIB"},
    };
    for (const Case& c : cases) {
        auto env = m_env;
        for (const auto& [k, v] : c.env) {
            env[k] = v;
        }
        const ToolResult r = RunTool(kRegsvr, c.args, env);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.message << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(RunTool(kRegsvr, {"--help"}, m_env).exitCode, 0);
    EXPECT_NE(RunTool(kRegsvr, {"--version"}, m_env).out.find("fonerix-regsvr 1.0"),
              std::string::npos);
}

}  // namespace
}  // namespace fonerix::test
