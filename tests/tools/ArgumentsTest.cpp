#include <gtest/gtest.h>

#include "tools/ctl/Arguments.h"
#include "tools/ctl/Values.h"

namespace fonerix::ctl {
namespace {

struct GoodCase {
    std::vector<std::string> args;
    std::string command;
    std::vector<std::string> operands;
    OutputFormat format = OutputFormat::Table;
    bool json = false;
    int seconds = 0;
};

TEST(ParseArgumentsTest, GoodCommandLines) {
    const GoodCase cases[] = {
        {{"find"}, "find", {}},
        {{"get", "BellVolume"}, "get", {"BellVolume"}},
        {{"set", "DeviceTime", "2026-12-09 23:58:00"},
         "set",
         {"DeviceTime", "2026-12-09 23:58:00"}},
        {{"set", "ConfigRegister", "-1"}, "set", {"ConfigRegister", "-1"}},  // a value, no option
        {{"book", "--format", "csv"}, "book", {}, OutputFormat::Csv},
        {{"--format=json", "incoming"}, "incoming", {}, OutputFormat::Json},
        {{"outgoing", "--format=table"}, "outgoing", {}, OutputFormat::Table},
        {{"voice", "get", "12", "a.wav"}, "voice get", {"12", "a.wav"}},
        {{"voice", "free"}, "voice free", {}},
        {{"callerid"}, "callerid", {}},
        {{"callerid", "set", "parallel", "min-digits=4"},
         "callerid set",
         {"parallel", "min-digits=4"}},
        {{"watch", "--json", "--seconds", "30"}, "watch", {}, OutputFormat::Table, true, 30},
        {{"redirect"}, "redirect", {}},
        {{"state", "3", "0x10"}, "state", {"3", "0x10"}},
        {{"dial", "--", "-5"}, "dial", {"-5"}},  // "--" ends the options
    };
    for (const GoodCase& c : cases) {
        const ParseResult r = ParseArguments(c.args);
        ASSERT_EQ(r.error, "") << c.args[0];
        ASSERT_NE(r.invocation.command, nullptr);
        EXPECT_EQ(r.invocation.command->name, c.command);
        EXPECT_EQ(r.invocation.operands, c.operands) << c.command;
        EXPECT_EQ(r.invocation.format, c.format) << c.command;
        EXPECT_EQ(r.invocation.json, c.json) << c.command;
        EXPECT_EQ(r.invocation.seconds.value_or(0), c.seconds) << c.command;
    }
}

struct BadCase {
    std::vector<std::string> args;
    std::string error;  // a part of the message
};

TEST(ParseArgumentsTest, BadCommandLinesSayWhy) {
    const BadCase cases[] = {
        {{}, "no command"},
        {{"frobnicate"}, "unknown command \"frobnicate\""},
        {{"voice"}, "needs one of get, put"},
        {{"voice", "play"}, "unknown command \"voice play\""},
        {{"get"}, "missing operand"},
        {{"get", "A", "B"}, "too many operands"},
        {{"set", "BellVolume"}, "usage: fonerixctl set PROPERTY VALUE"},
        {{"book", "--format"}, "--format needs a value"},
        {{"book", "--format", "xml"}, "table, csv or json"},
        {{"get", "NumLength", "--format", "csv"}, "get takes no --format"},
        {{"book", "--json"}, "takes no --json"},
        {{"watch", "--seconds", "0"}, "--seconds takes a whole number"},
        {{"watch", "--seconds", "5s"}, "--seconds takes a whole number"},
        {{"find", "--seconds", "5"}, "find takes no --seconds"},
        {{"--port", "5", "find"}, "--port takes a COM port number from 1 to 4, not \"5\""},
        {{"find", "--port=0"}, "from 1 to 4, not \"0\""},
        {{"find", "--port", "COM2"}, "from 1 to 4, not \"COM2\""},
        {{"find", "--port"}, "--port needs a value"},
        {{"find", "--verbose"}, "unknown option --verbose"},
        {{"watch", "--json=yes"}, "--json takes no value"},
    };
    for (const BadCase& c : cases) {
        const ParseResult r = ParseArguments(c.args);
        EXPECT_NE(r.error.find(c.error), std::string::npos)
            << (c.args.empty() ? "(none)" : c.args[0]) << ": got \"" << r.error << "\"";
    }
}

TEST(ParseArgumentsTest, PortNamesTheOnlyPortSearched) {
    EXPECT_FALSE(ParseArguments({"find"}).invocation.port);
    EXPECT_EQ(ParseArguments({"--port", "2", "find"}).invocation.port, 2u);
    EXPECT_EQ(ParseArguments({"incoming", "--port=4", "--format", "csv"}).invocation.port, 4u);
}

TEST(ParseArgumentsTest, GroupsAndTheirCommandsComeFromTheTable) {
    // Every command is found by its words, a group's words included.
    for (const CommandSpec& c : Commands()) {
        std::vector<std::string> words;
        for (std::string_view name = c.name;;) {
            const size_t blank = name.find(' ');
            words.emplace_back(name.substr(0, blank));
            if (blank == std::string_view::npos) {
                break;
            }
            name.remove_prefix(blank + 1);
        }
        words.emplace_back("--help");
        const ParseResult r = ParseArguments(words);
        ASSERT_EQ(r.error, "") << c.name;
        EXPECT_EQ(r.invocation.command, &c) << c.name;
        // A row without a handler is a mistake a test finds, not one a user meets. (A
        // static_assert cannot see function addresses in the sanitizer builds.)
        EXPECT_NE(c.run, nullptr) << c.name;
    }
}

TEST(ParseArgumentsTest, HelpAndVersionNeedNoCommandAndHelpTakesOne) {
    EXPECT_TRUE(ParseArguments({"--help"}).invocation.help);
    EXPECT_TRUE(ParseArguments({"--version"}).invocation.version);
    const ParseResult r = ParseArguments({"set", "--help"});  // operands need not be complete
    EXPECT_EQ(r.error, "");
    ASSERT_NE(r.invocation.command, nullptr);
    EXPECT_NE(CommandHelp(*r.invocation.command).find("fonerixctl set PROPERTY VALUE"),
              std::string::npos);
    // Every command is in the general usage.
    for (const CommandSpec& c : Commands()) {
        EXPECT_NE(UsageText().find(c.name), std::string::npos) << c.name;
    }
}

TEST(PropertyValueTest, DatesAlarmAndNumbersFromText) {
    struct Case {
        const char* property;
        VARTYPE vt;
        const char* text;
        bool good;
        const char* readBack;  // PropertyText of the value
    };
    const Case cases[] = {
        {"DeviceTime", VT_DATE, "2026-12-09 23:58:07", true, "2026-12-09 23:58:07"},
        {"DeviceTime", VT_DATE, "2026-12-09T23:58:07", true, "2026-12-09 23:58:07"},
        {"DeviceTime", VT_DATE, "2028-02-29 00:00:00", true, "2028-02-29 00:00:00"},
        {"DeviceTime", VT_DATE, "2026-02-29 00:00:00", false, ""},
        {"DeviceTime", VT_DATE, "2026-13-01 00:00:00", false, ""},
        {"DeviceTime", VT_DATE, "2026-12-09 24:00:00", false, ""},
        {"DeviceTime", VT_DATE, "2026-12-09", false, ""},
        {"DeviceTime", VT_DATE, "2026-1-09 10:00:00", false, ""},
        {"AlarmTime", VT_DATE, "07:30", true, "07:30"},
        {"alarmtime", VT_DATE, "23:59", true, "23:59"},
        {"AlarmTime", VT_DATE, "24:00", false, ""},
        {"AlarmTime", VT_DATE, "7:30", false, ""},
        {"BellVolume", VT_I2, "5", true, "5"},
        {"ConfigRegister", VT_I2, "0x11", true, "17"},
        {"ConfigRegister", VT_I2, "-1", true, "-1"},
        {"BellVolume", VT_I2, "32768", false, ""},
        {"BellVolume", VT_I2, "5x", false, ""},
        {"BellVolume", VT_I2, "", false, ""},
        {"RedirectionNumber", VT_BSTR, "89031112233", true, "89031112233"},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::optional<CVariant> v = PropertyValue(c.property, c.vt, c.text, error);
        EXPECT_EQ(v.has_value(), c.good) << c.property << " " << c.text;
        if (v) {
            EXPECT_EQ(PropertyText(c.property, *v), c.readBack);
        } else {
            EXPECT_NE(error.find(c.property), std::string::npos) << error;
        }
    }
}

}  // namespace
}  // namespace fonerix::ctl
