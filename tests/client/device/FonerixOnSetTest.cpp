// The wrapper against the registered control and a simulated set of each family: discovery,
// properties, the lists, dialling, voice messages through paths with Cyrillic letters, and the
// set's events through the Qt event loop.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <memory>
#include <string>

#include "client/device/Fonerix.h"
#include "tests/client/device/DeviceTestWorld.h"
#include "tests/support/VoiceFiles.h"

namespace fonedesk::test {
namespace {

using fonerix::DEVICEINFO;
using fonerix::PHBOOKRECORD;
using fonerix::testing::SimProcess;

struct SetKind {
    int type;
    const char* scenario;
    const char* caption;
    unsigned baudRate;
};

std::string PrintSetKind(const ::testing::TestParamInfo<SetKind>& info) {
    return "Type" + std::to_string(info.param.type);
}

class FonerixOnSet : public ::testing::TestWithParam<SetKind> {
  protected:
    void SetUp() override {
        CDeviceTestWorld& world = CDeviceTestWorld::Instance();
        world.RegisterControl();
        set = world.StartSet(GetParam().type, GetParam().scenario);
        fonerix::CreateFailure failure;
        ASSERT_TRUE(fonerix.CreateControl(&events, &dialogs, failure)) << failure.message;
        ASSERT_TRUE(fonerix.LookForDevice(&device));
    }
    void TearDown() override {
        fonerix.Release();
        fonerix::SysFreeString(device.Caption);
        CDeviceTestWorld::Instance().NoSet();
    }

    CRecordingHandler events;
    CRecordingDialogs dialogs;
    CFonerix fonerix;
    DEVICEINFO device{};
    std::unique_ptr<SimProcess> set;
};

TEST_P(FonerixOnSet, LookForDeviceFillsTheRecord) {
    EXPECT_TRUE(fonerix.IsCreated());
    EXPECT_NE(device.inUse, 0);
    EXPECT_EQ(device.devType, static_cast<uint32_t>(GetParam().type));
    EXPECT_EQ(device.Port, 1u);
    EXPECT_EQ(device.BaudRate, GetParam().baudRate);
    EXPECT_EQ(fonerix::Utf8FromBstr(device.Caption), GetParam().caption);

    // The record's caption is the caller's: free it before the record is filled again.
    DEVICEINFO again{};
    ASSERT_TRUE(fonerix.GetDeviceInfo(&again));
    EXPECT_EQ(again.devType, device.devType);
    EXPECT_EQ(again.IdZelta, device.IdZelta);
    EXPECT_EQ(fonerix::Utf8FromBstr(again.Caption), GetParam().caption);
    fonerix::SysFreeString(again.Caption);
}

INSTANTIATE_TEST_SUITE_P(Families, FonerixOnSet,
                         ::testing::Values(SetKind{5, "zelta5.txt", "Ringolo Zelta+", 57600},
                                           SetKind{1, "varkon.txt", "Varkon+", 115200}),
                         PrintSetKind);

}  // namespace
}  // namespace fonedesk::test
