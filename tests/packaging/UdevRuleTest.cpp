// The rule fonerix-probe prints for the USB adapter behind a port, against fake device trees laid
// out as sysfs lays them out: class/tty/<name> and its "device" are links into devices/, and the
// USB device is found by walking up from the port, past the interface, below the hub.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tests/tools/ToolProcess.h"
#include "tools/probe/UdevRule.h"

namespace {

namespace fs = std::filesystem;
using fonerix::FindUsbAdapter;
using fonerix::UdevRuleText;
using fonerix::test::RunTool;

class FakeSysfs : public ::testing::Test {
  protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() /
                 ("fonerix-sysfs-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root / "sys" / "class" / "tty");
        fs::create_directories(m_root / "dev");
        // The hub above every adapter: a USB device too, which the walk must not reach.
        Attributes(kHub, {{"idVendor", "1d6b"}, {"idProduct", "0002"}, {"serial", "0000:00:14.0"}});
    }
    void TearDown() override { fs::remove_all(m_root); }

    void Attributes(const std::string& folder, const std::map<std::string, std::string>& values) {
        const fs::path dir = Sys() / folder;
        fs::create_directories(dir);
        for (const auto& [name, value] : values) {
            std::ofstream(dir / name) << value << '\n';
        }
    }

    // A port `tty` whose device is `deviceFolder` (below sys/), with its node in dev/.
    fs::path Port(const std::string& tty, const std::string& deviceFolder) {
        const fs::path classDir = Sys() / deviceFolder / "tty" / tty;
        fs::create_directories(classDir);
        fs::create_directory_symlink(fs::relative(Sys() / deviceFolder, classDir),
                                     classDir / "device");
        fs::create_directory_symlink(fs::relative(classDir, Sys() / "class" / "tty"),
                                     Sys() / "class" / "tty" / tty);
        const fs::path node = m_root / "dev" / tty;
        std::ofstream(node).put('\0');
        return node;
    }

    fs::path Sys() const { return m_root / "sys"; }

    static constexpr const char* kHub = "devices/pci0000:00/0000:00:14.0/usb1";
    fs::path m_root;
};

TEST_F(FakeSysfs, AdapterWithSerialIsMatchedByVendorProductAndSerial) {
    const std::string usb = std::string(kHub) + "/1-2";
    Attributes(usb, {{"idVendor", "0403"},
                     {"idProduct", "6001"},
                     {"serial", "A50285BI"},
                     {"manufacturer", "FTDI"},
                     {"product", "FT232R USB UART"}});
    const fs::path node = Port("ttyUSB0", usb + "/1-2:1.0/ttyUSB0");
    // Reached through a link, as /dev/serial/by-id/... is.
    const fs::path byId = m_root / "dev" / "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    fs::create_symlink(node, byId);

    const fonerix::AdapterLookup found = FindUsbAdapter(Sys(), byId);
    ASSERT_TRUE(found.adapter) << found.error;
    EXPECT_EQ(found.adapter->tty, "ttyUSB0");
    EXPECT_EQ(found.adapter->vendor, "0403");
    EXPECT_EQ(found.adapter->serial, "A50285BI");

    const std::string rule = UdevRuleText(*found.adapter, 1, byId.string());
    EXPECT_NE(
        rule.find("\nSUBSYSTEM==\"tty\", ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\", "
                  "ATTRS{serial}==\"A50285BI\", ENV{FONERIX_SET}=\"1\"\n"),
        std::string::npos)
        << rule;
    EXPECT_NE(rule.find("COM1"), std::string::npos) << rule;
    EXPECT_NE(rule.find("FTDI FT232R USB UART"), std::string::npos) << rule;
    EXPECT_NE(rule.find(fonerix::kLocalRulePath), std::string::npos) << rule;
    EXPECT_NE(rule.find("udevadm control --reload"), std::string::npos) << rule;
}

TEST_F(FakeSysfs, AdapterWithoutSerialIsMatchedByVendorAndProductAndSaysSo) {
    // A CDC ACM adapter: the port hangs directly below the interface; upper-case digits in sysfs.
    const std::string usb = std::string(kHub) + "/1-4";
    Attributes(usb, {{"idVendor", "1A86"}, {"idProduct", "7523"}});
    const fs::path node = Port("ttyACM0", usb + "/1-4:1.0");

    const fonerix::AdapterLookup found = FindUsbAdapter(Sys(), node);
    ASSERT_TRUE(found.adapter) << found.error;
    const std::string rule = UdevRuleText(*found.adapter, 3, node.string());
    EXPECT_NE(
        rule.find("\nSUBSYSTEM==\"tty\", ATTRS{idVendor}==\"1a86\", ATTRS{idProduct}==\"7523\", "
                  "ENV{FONERIX_SET}=\"1\"\n"),
        std::string::npos)
        << rule;
    EXPECT_EQ(rule.find("ATTRS{serial}"), std::string::npos) << rule;
    EXPECT_NE(rule.find("matches every adapter of this vendor and product"), std::string::npos)
        << rule;
}

TEST_F(FakeSysfs, WhatTheAdapterReportsCannotBreakTheRule) {
    // A quote would close the match and glob characters would widen it; a line break in a name
    // would start a rule of its own in the comment.
    const std::string usb = std::string(kHub) + "/1-5";
    Attributes(usb, {{"idVendor", "067b"},
                     {"idProduct", "2303"},
                     {"serial", "AB\"*[1]|\\"},
                     {"manufacturer", "Evil\rRUN+=\"/bin/sh\""}});
    const fs::path node = Port("ttyUSB1", usb + "/1-5:1.0/ttyUSB1");

    const fonerix::AdapterLookup found = FindUsbAdapter(Sys(), node);
    ASSERT_TRUE(found.adapter) << found.error;
    const std::string rule = UdevRuleText(*found.adapter, 2, node.string());
    EXPECT_NE(rule.find("ATTRS{serial}==\"AB???1???\", ENV{FONERIX_SET}=\"1\"\n"),
              std::string::npos)
        << rule;
    // Every line is a comment but the one rule.
    size_t rules = 0;
    std::istringstream lines(rule);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.find('\r'), std::string::npos);
        if (!line.starts_with("#")) {
            ++rules;
            EXPECT_TRUE(line.starts_with("SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"067b\"")) << line;
        }
    }
    EXPECT_EQ(rules, 1u) << rule;
}

TEST_F(FakeSysfs, PortsWithoutAUsbAdapterGetNoRuleButTheReason) {
    Port("ttyS0", "devices/platform/serial8250");
    Attributes(std::string(kHub) + "/1-6", {{"idVendor", "04x3"}, {"idProduct", "6001"}});
    Port("ttyUSB2", std::string(kHub) + "/1-6/1-6:1.0/ttyUSB2");
    std::ofstream(m_root / "dev" / "3").put('\0');  // a pseudo-terminal: not in class/tty

    const struct {
        fs::path device;
        std::string reason;
    } cases[] = {
        {m_root / "dev" / "ttyS0",
         "no USB adapter: a built-in serial port needs no udev rule, only "
         "the dialout group"},
        {m_root / "dev" / "ttyUSB2", "has no valid USB vendor and product (\"04x3\", \"6001\")"},
        {m_root / "dev" / "3", "needs no udev rule"},
        {m_root / "dev" / "ttyUSB9", "no such device (is the adapter plugged in?)"},
    };
    for (const auto& c : cases) {
        const fonerix::AdapterLookup found = FindUsbAdapter(Sys(), c.device);
        EXPECT_FALSE(found.adapter) << c.device;
        EXPECT_NE(found.error.find(c.reason), std::string::npos) << c.device << ": " << found.error;
    }
}

TEST_F(FakeSysfs, ProbePrintsTheRuleForTheAdapterOnThePortAndSendsNothing) {
    const std::string usb = std::string(kHub) + "/1-2";
    Attributes(usb, {{"idVendor", "10c4"}, {"idProduct", "ea60"}, {"serial", "0001"}});
    // The node is a plain file here: were the probe to open it as a port, it would say so.
    const fs::path node = Port("ttyUSB0", usb + "/1-2:1.0/ttyUSB0");
    const fs::path builtin = Port("ttyS1", "devices/platform/serial8250");
    const std::map<std::string, std::string> env{{"FONERIX_SYSFS", Sys().string()},
                                                 {"FONERIX_COM2", node.string()},
                                                 {"FONERIX_COM3", builtin.string()}};

    const auto printed = RunTool(FONERIX_PROBE_PATH, {"--udev-rule", "--port", "2"}, env);
    EXPECT_EQ(printed.exitCode, 0) << printed.err;
    EXPECT_NE(printed.out.find("\nSUBSYSTEM==\"tty\", ATTRS{idVendor}==\"10c4\", "
                               "ATTRS{idProduct}==\"ea60\", ATTRS{serial}==\"0001\", "
                               "ENV{FONERIX_SET}=\"1\"\n"),
              std::string::npos)
        << printed.out;
    EXPECT_NE(printed.out.find("COM2 (" + node.string()), std::string::npos) << printed.out;
    EXPECT_EQ(printed.err, "");

    const auto builtinPort = RunTool(FONERIX_PROBE_PATH, {"--udev-rule", "--port", "3"}, env);
    EXPECT_EQ(builtinPort.exitCode, 3);
    EXPECT_EQ(builtinPort.out, "");
    EXPECT_NE(builtinPort.err.find("fonerix-probe: COM3: "), std::string::npos) << builtinPort.err;
    EXPECT_NE(builtinPort.err.find("dialout"), std::string::npos) << builtinPort.err;

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--udev-rule"},
          std::vector<std::string>{"--udev-rule", "--port", "2", "--watch", "5"}}) {
        const auto refused = RunTool(FONERIX_PROBE_PATH, args, env);
        EXPECT_EQ(refused.exitCode, 2) << args.size();
        EXPECT_NE(refused.err.find("--udev-rule takes --port N"), std::string::npos) << refused.err;
    }
}

// When no set is found, the probe ends with what to do about the ports it could not open.
TEST_F(FakeSysfs, ProbeWithoutAnyPortSaysHowToNameAUsbAdapter) {
    const std::map<std::string, std::string> absent{
        {"FONERIX_COM1", (m_root / "dev" / "ttyUSB0").string()}};
    const auto none = RunTool(FONERIX_PROBE_PATH, {"--port", "1"}, absent);
    EXPECT_EQ(none.exitCode, 3);
    EXPECT_NE(none.out.find("no such device"), std::string::npos) << none.out;
    EXPECT_NE(none.err.find("FONERIX_COM1=/dev/ttyUSB0"), std::string::npos) << none.err;
    EXPECT_EQ(none.err.find("dialout"), std::string::npos) << none.err;
}

TEST_F(FakeSysfs, ProbeTellsTheDialoutStoryForAPortClosedToTheUser) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root opens a port whatever its mode";
    }
    const fs::path locked = m_root / "dev" / "ttyS0";
    std::ofstream(locked).put('\0');
    fs::permissions(locked, fs::perms::none);
    const auto denied =
        RunTool(FONERIX_PROBE_PATH, {"--port", "1"}, {{"FONERIX_COM1", locked.string()}});
    EXPECT_EQ(denied.exitCode, 3);
    EXPECT_NE(denied.out.find("permission denied"), std::string::npos) << denied.out;
    EXPECT_NE(denied.err.find("sudo usermod -aG dialout $USER"), std::string::npos) << denied.err;
    EXPECT_NE(denied.err.find("fonerix-probe --udev-rule --port N"), std::string::npos)
        << denied.err;
}

// The printed rule only marks the adapter; the packaged rules act on the mark. Both files must
// agree on it, and on the order udev reads them in: the mark first, then the package's rules,
// which must come before the seat rules that act on "uaccess" (71-seat.rules, 73-seat-late.rules).
TEST(PackagedUdevRules, ActOnTheMarkThePrintedRuleSetsBeforeTheSeatRules) {
    const fs::path packaged = FONERIX_PACKAGED_UDEV_RULES;
    std::ifstream in(packaged);
    ASSERT_TRUE(in) << packaged;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("ENV{FONERIX_SET}!=\"1\", GOTO=\"fonerix_end\""), std::string::npos);
    EXPECT_NE(text.find("SUBSYSTEM!=\"tty\", GOTO=\"fonerix_end\""), std::string::npos);
    EXPECT_NE(text.find("\nENV{ID_MM_DEVICE_IGNORE}=\"1\"\n"), std::string::npos);
    EXPECT_NE(text.find("\nTAG+=\"uaccess\"\n"), std::string::npos);
    EXPECT_NE(text.find("\nLABEL=\"fonerix_end\""), std::string::npos);

    const std::string local = fs::path(fonerix::kLocalRulePath).filename().string();
    const std::string name = packaged.filename().string();
    EXPECT_LT(local, name);
    EXPECT_LT(name, std::string("71-seat.rules"));
    EXPECT_LT(name, std::string("73-seat-late.rules"));
}

}  // namespace
