// The control against the simulated set: discovery across the families, the records through
// the record slot, and line events from the set to the sinks.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "control/automation/FonerixCtrl.h"
#include "control/device/VarkonDevice.h"
#include "control/device/Zelta6Device.h"
#include "control/device/Zelta7Device.h"
#include "control/device/ZeltaDevice.h"
#include "control/serial/SerialPort.h"
#include "tests/control/automation/ControlCalls.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TemporaryDirectory.h"

namespace fonerix::test {
namespace {

using fonerix::test::SimOptions;
using fonerix::test::SimProcess;
using fonerix::test::TemporaryDirectory;

// A set on COM1; COM2 to COM4 lead nowhere, so that discovery finds only the set.
struct Bench {
    explicit Bench(SimOptions options) : sim(std::move(options)) {
        setenv("FONERIX_COM1", sim.LinkPath().c_str(), 1);
        for (const char* port : {"FONERIX_COM2", "FONERIX_COM3", "FONERIX_COM4"}) {
            setenv(port, nowhere.File("none").c_str(), 1);
        }
        control = MakeObject<CFonerixCtrl>();
    }
    ~Bench() {
        control.Reset();
        for (const char* port : {"FONERIX_COM1", "FONERIX_COM2", "FONERIX_COM3", "FONERIX_COM4"}) {
            unsetenv(port);
        }
    }
    IDispatch* Dispatch() const { return control.Get(); }
    bool LookForDevice(DEVICEINFO& info) const {
        return AsBool(Call(Dispatch(), kDispLookForDevice, {CVariant::RecordRef(&info)}));
    }
    // Bytes the set has read from the line so far.
    long Received() {
        const std::string status = sim.Command("status");
        const auto at = status.find("received=");
        return at == std::string::npos ? -1 : std::stol(status.substr(at + 9));
    }

    TemporaryDirectory nowhere;
    SimProcess sim;
    CComPtr<CFonerixCtrl> control;
};

template <class T>
T At(const void* record, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const uint8_t*>(record) + offset, sizeof value);
    return value;
}

struct Discovery {
    int type;
    bool found;
    uint32_t baud;
    const char* caption;
    const std::type_info* deviceClass;
};

std::ostream& operator<<(std::ostream& out, const Discovery& d) {
    return out << "type" << d.type;
}

class LookForDeviceTest : public ::testing::TestWithParam<Discovery> {};

TEST_P(LookForDeviceTest, FindsTheAcceptingClassOrNone) {
    const Discovery& d = GetParam();
    Bench bench({.type = d.type});
    DEVICEINFO info{};
    EXPECT_EQ(bench.LookForDevice(info), d.found);

    // The record as the caller's memory sees it.
    const void* raw = &info;
    EXPECT_EQ(At<uint32_t>(raw, 12), static_cast<uint32_t>(d.type));  // devType
    EXPECT_EQ(At<uint32_t>(raw, 20), 1u);                             // Port
    EXPECT_EQ(Utf8FromBstr(At<BSTR>(raw, offsetof(DEVICEINFO, Caption))), d.caption);
    if (d.found) {
        const auto version = At<int32_t>(raw, 0);
        EXPECT_NE(version, 0);
        EXPECT_EQ(At<uint32_t>(raw, 4), static_cast<uint32_t>(version) / 32);
        EXPECT_EQ(At<uint32_t>(raw, 8), static_cast<uint32_t>(version) % 32);
        EXPECT_EQ(At<int32_t>(raw, 16),
                  d.type * 10'000'000 + version / 32 * 100'000 + version % 32 * 1'000 + 1);
        EXPECT_EQ(At<uint32_t>(raw, 24), d.baud);
        ASSERT_NE(bench.control->Device(), nullptr);
        const CDevice& device = *bench.control->Device();
        EXPECT_EQ(typeid(device), *d.deviceClass);
        // Left asleep for the host to wake.
        bench.sim.WaitForStatus("state=asleep");
    } else {
        EXPECT_EQ(At<int32_t>(raw, 0), 0);  // inUse
        EXPECT_EQ(bench.control->Device(), nullptr);
    }
    SysFreeString(info.Caption);
}

INSTANTIATE_TEST_SUITE_P(
    Families, LookForDeviceTest,
    ::testing::Values(Discovery{1, true, 115200, "Varkon+", &typeid(CVarkonDevice)},
                      Discovery{5, true, 57600, "Ringolo Zelta+", &typeid(CZeltaDevice)},
                      Discovery{6, true, 57600, "Ringolo Zelta+", &typeid(CZelta6Device)},
                      Discovery{7, true, 57600, "Ringolo Zelta+", &typeid(CZelta7Device)},
                      Discovery{0, false, 0, "Ringolo Zelta", nullptr},
                      Discovery{3, false, 0, "Varkon", nullptr},
                      Discovery{8, false, 0, "Ringolo Zelta+", nullptr}));

// Without a record to fill, LookForDevice still lets the current device go (its set is sent
// to sleep) and answers FALSE.
TEST(FonerixCtrlOnSim, DiscoveryWithoutARecordDestroysTheCurrentDevice) {
    Bench bench({.type = 5});
    DEVICEINFO info{};
    ASSERT_TRUE(bench.LookForDevice(info));
    SysFreeString(info.Caption);
    ASSERT_NE(bench.control->Device(), nullptr);
    EXPECT_FALSE(
        AsBool(Call(bench.Dispatch(), kDispLookForDevice, {CVariant::RecordRef(nullptr)})));
    EXPECT_EQ(bench.control->Device(), nullptr);
    ExpectNoDeviceAnswers(bench.Dispatch());
}

TEST(FonerixCtrlOnSim, FailedSecondDiscoveryLeavesNoDevice) {
    Bench bench({.type = 5});
    DEVICEINFO info{};
    ASSERT_TRUE(bench.LookForDevice(info));
    SysFreeString(info.Caption);
    bench.sim.Stop();
    info.Caption = nullptr;
    EXPECT_FALSE(bench.LookForDevice(info));
    EXPECT_EQ(info.inUse, 0);
    EXPECT_EQ(bench.control->Device(), nullptr);
    ExpectNoDeviceAnswers(bench.Dispatch());
}

TEST(FonerixCtrlOnSim, RecordsAreFilledThroughTheSlot) {
    Bench bench({.type = 5, .scenario = FONERIX_SCENARIO_DIR "/zelta5.txt"});
    IDispatch* control = bench.Dispatch();
    DEVICEINFO info{};
    ASSERT_TRUE(bench.LookForDevice(info));
    SysFreeString(info.Caption);
    ASSERT_TRUE(AsBool(Call(control, kDispWakeupDevice, {CVariant(true)})));

    // The book's first position: "book 1 2345678 rank=1".
    bool seen = false;
    for (int step = 0; step < 200; ++step) {
        PHBOOKRECORD record{};
        if (!AsBool(Call(control, kDispGetPhoneBook, {CVariant::RecordRef(&record)}))) {
            break;
        }
        if (record.inUse == 1) {
            const void* raw = &record;
            if (At<uint8_t>(raw, offsetof(PHBOOKRECORD, posInBook)) == 1) {
                seen = true;
                EXPECT_EQ(Utf8FromBstr(At<BSTR>(raw, offsetof(PHBOOKRECORD, Phone))), "2345678");
                EXPECT_EQ(At<uint8_t>(raw, offsetof(PHBOOKRECORD, Rang)), 1);
            }
            SysFreeString(record.Phone);
        }
    }
    EXPECT_TRUE(seen);
    EXPECT_FALSE(AsBool(Call(control, kDispGetPhoneBook, {CVariant::RecordRef(nullptr)})));

    // "statistics month=12 local=212 long=38 previous-local=540 previous-long=97"
    uint8_t stat[10];
    std::memset(stat, 0xEE, sizeof stat);
    ASSERT_TRUE(AsBool(Call(control, kDispGetCallsStatistic, {CVariant::RecordRef(stat)})));
    EXPECT_EQ(At<uint16_t>(stat, 0), 12);
    EXPECT_EQ(At<uint16_t>(stat, 2), 212);
    EXPECT_EQ(At<uint16_t>(stat, 4), 540);  // previous month, local
    EXPECT_EQ(At<uint16_t>(stat, 6), 38);   // current month, long distance
    EXPECT_EQ(At<uint16_t>(stat, 8), 97);

    // "callerid current query-time=80 query-form=0x34 first-delay=300 min-digits=3
    // resolution-time=500"; no record for the parallel telephone.
    AUTODETPARAMS current{};
    ASSERT_TRUE(AsBool(Call(control, kDispGetAutodetParams,
                            {CVariant::RecordRef(&current), CVariant::RecordRef(nullptr)})));
    EXPECT_EQ(current.queryTime, 80);
    EXPECT_EQ(current.queryForm, 0x34);
    EXPECT_EQ(current.resolTime, 500);
    EXPECT_EQ(current.firstDelay, 300);
    EXPECT_EQ(current.minDigits, 3);
    EXPECT_FALSE(AsBool(Call(control, kDispGetAutodetParams,
                             {CVariant::RecordRef(nullptr), CVariant::RecordRef(&current)})));
    EXPECT_FALSE(AsBool(Call(control, kDispSetAutodetParams,
                             {CVariant::RecordRef(nullptr), CVariant::RecordRef(nullptr)})));
    EXPECT_FALSE(AsBool(Call(control, kDispGetDeviceInfo, {CVariant::RecordRef(nullptr)})));
}

TEST(FonerixCtrlOnSim, StateRegisterOutsideTheFamilysMapAsksTheSetNothing) {
    struct Case {
        int type;
        int16_t unmapped;
    };
    for (const Case c : {Case{5, 2}, Case{1, 1}}) {
        SCOPED_TRACE(c.type);
        Bench bench({.type = c.type});
        DEVICEINFO info{};
        ASSERT_TRUE(bench.LookForDevice(info));
        SysFreeString(info.Caption);
        const long before = bench.Received();
        const CVariant value =
            Get(bench.Dispatch(), kDispStateRegister, {CVariant(int16_t{c.unmapped})});
        ASSERT_EQ(value.vt(), VT_I2);
        EXPECT_EQ(value->iVal, 255);
        EXPECT_EQ(bench.Received(), before);
        // A mapped selector does go to the set.
        Get(bench.Dispatch(), kDispStateRegister, {CVariant(int16_t{0})});
        EXPECT_GT(bench.Received(), before);
    }
}

TEST(FonerixCtrlOnSim, LineEventsReachTheSinks) {
    TemporaryDirectory traceDir;
    const std::string trace = traceDir.File("line.trace");
    Bench bench({.type = 5, .extra_args = {"--trace", trace}});
    IDispatch* control = bench.Dispatch();
    DEVICEINFO info{};
    ASSERT_TRUE(bench.LookForDevice(info));
    SysFreeString(info.Caption);

    // A sink that asks the set for its identity from inside the incoming-call event.
    std::vector<uint32_t> typesSeenInside;
    EventLog log(
        static_cast<IDispatch*>(bench.control.Get()), kFonerixEventsIid,
        [&](const SeenEvent& e, const DISPPARAMS&) {
            if (e.dispid != kEventComingCall) {
                return;
            }
            DEVICEINFO inside{};
            EXPECT_TRUE(AsBool(Call(control, kDispGetDeviceInfo, {CVariant::RecordRef(&inside)})));
            typesSeenInside.push_back(inside.devType);
            SysFreeString(inside.Caption);
        });
    Call(control, kDispEnableDeviceEvents);
    IEventWindow* window = bench.control.Get();

    ASSERT_EQ(bench.sim.Command("call 0123"), "ok");
    ASSERT_TRUE(PumpUntil(window, log.seen, 1));
    ASSERT_EQ(bench.sim.Command("call"), "ok");
    ASSERT_TRUE(PumpUntil(window, log.seen, 2));
    ASSERT_EQ(bench.sim.Command("up"), "ok");
    ASSERT_TRUE(PumpUntil(window, log.seen, 3));
    ASSERT_EQ(bench.sim.Command("down"), "ok");
    ASSERT_TRUE(PumpUntil(window, log.seen, 4));

    ASSERT_EQ(log.seen.size(), 4u);
    EXPECT_EQ(log.seen[0].dispid, kEventComingCall);
    EXPECT_EQ(log.seen[0].number, "0123");
    EXPECT_EQ(log.seen[1].dispid, kEventComingCall);
    EXPECT_EQ(log.seen[1].number, "");
    EXPECT_EQ(log.seen[2].dispid, kEventTubeUp);
    EXPECT_EQ(log.seen[3].dispid, kEventTubeDown);
    EXPECT_EQ(typesSeenInside, (std::vector<uint32_t>{5, 5}));

    // A key on the set leaves it needing a wake-up before the host's next key.
    ASSERT_EQ(bench.sim.Command("key 5"), "ok");
    ASSERT_TRUE(PumpUntil(window, log.seen, 5));
    EXPECT_EQ(log.seen[4].dispid, kEventPhoneKeyPress);
    EXPECT_EQ(log.seen[4].key, 5);
    EXPECT_TRUE(bench.control->Device()->NeedsRewake());
    ASSERT_EQ(bench.sim.Command("trace on"), "ok");
    EXPECT_TRUE(AsBool(Call(control, kDispKeyPress, {CVariant(int16_t{7})})));
    bench.sim.WaitForStatus("key=7");
    bench.sim.Stop();  // writes out the trace

    // What the set read after the key frame: the wake-up zeros come before the key.
    std::ifstream in(trace);
    std::string line;
    std::vector<std::string> afterKeyFrame;
    bool keyFrameSent = false;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string time, direction, byte;
        fields >> time >> direction >> byte;
        if (direction == "tx" && byte == "05") {
            keyFrameSent = true;
            afterKeyFrame.clear();
        } else if (keyFrameSent && direction == "rx") {
            afterKeyFrame.push_back(byte);
        }
    }
    ASSERT_FALSE(afterKeyFrame.empty());
    EXPECT_EQ(afterKeyFrame.front(), "00");
    EXPECT_EQ(afterKeyFrame.back(), "07");
}

TEST(FonerixCtrlOnSim, DisabledEventsStayOffAcrossOperations) {
    Bench bench({.type = 5});
    IDispatch* control = bench.Dispatch();
    DEVICEINFO info{};
    ASSERT_TRUE(bench.LookForDevice(info));
    SysFreeString(info.Caption);
    EventLog log(static_cast<IDispatch*>(bench.control.Get()), kFonerixEventsIid);
    const auto& port = static_cast<const CSerialPort&>(bench.control->Device()->Port());

    Call(control, kDispEnableDeviceEvents);
    EXPECT_FALSE(port.WatcherSuspended());
    Call(control, kDispDisableDeviceEvents);
    Get(control, kDispNumLength);  // an exchange ends by handing the line back
    Call(control, kDispGetUtCurrent);
    EXPECT_TRUE(port.WatcherSuspended());

    Call(control, kDispEnableDeviceEvents);
    EXPECT_FALSE(port.WatcherSuspended());
    ASSERT_EQ(bench.sim.Command("up"), "ok");
    ASSERT_TRUE(PumpUntil(bench.control.Get(), log.seen, 1));
    EXPECT_EQ(log.seen[0].dispid, kEventTubeUp);
}

}  // namespace
}  // namespace fonerix::test
