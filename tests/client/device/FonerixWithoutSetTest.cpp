// The wrapper without a control (not registered) and with a control that found no set: every
// operation gives the control's failure answer in both cases. The about box of a created
// control reaches the host's dialog service.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "client/device/Fonerix.h"
#include "tests/client/device/DeviceTestWorld.h"

namespace fonedesk::test {
namespace {

using namespace fonerix;

std::string Text(bool value) {
    return value ? "true" : "false";
}
std::string Text(int value) {
    return std::to_string(value);
}
std::string Text(const QString& value) {
    return '"' + value.toStdString() + '"';
}
std::string Text(DATE value) {
    return "date " + std::to_string(value);
}

struct FailureCase {
    const char* operation;
    std::function<std::string(CFonerix&)> run;
    const char* answer;
};

const FailureCase kFailureAnswers[] = {
    {"LookForDevice",
     [](CFonerix& f) {
         DEVICEINFO info{};
         const bool found = f.LookForDevice(&info);
         SysFreeString(info.Caption);
         return Text(found) + " inUse " + Text(info.inUse);
     },
     "false inUse 0"},
    {"GetDeviceInfo",
     [](CFonerix& f) {
         DEVICEINFO i{};
         return Text(f.GetDeviceInfo(&i));
     },
     "false"},
    {"WakeupDevice", [](CFonerix& f) { return Text(f.WakeupDevice(true)); }, "false"},
    {"SleepDevice", [](CFonerix& f) { return Text(f.SleepDevice()); }, "false"},
    {"GetPhoneBook",
     [](CFonerix& f) {
         PHBOOKRECORD r{};
         return Text(f.GetPhoneBook(&r));
     },
     "false"},
    {"GetIncomeBook",
     [](CFonerix& f) {
         PHBOOKRECORD r{};
         return Text(f.GetIncomeBook(&r));
     },
     "false"},
    {"GetOutcomeBook",
     [](CFonerix& f) {
         PHBOOKRECORD r{};
         return Text(f.GetOutcomeBook(&r));
     },
     "false"},
    {"KeyPress", [](CFonerix& f) { return Text(f.KeyPress(5)); }, "false"},
    {"GetSoundMessage", [](CFonerix& f) { return Text(f.GetSoundMessage(33, "/tmp/x.wav")); },
     "false"},
    {"GetCallsStatistic",
     [](CFonerix& f) {
         CALLSTATISTIC s{};
         return Text(f.GetCallsStatistic(&s));
     },
     "false"},
    {"GetAutodetParams",
     [](CFonerix& f) {
         AUTODETPARAMS a{};
         return Text(f.GetAutodetParams(&a, nullptr));
     },
     "false"},
    {"SetAutodetParams",
     [](CFonerix& f) {
         AUTODETPARAMS a{};
         return Text(f.SetAutodetParams(&a, &a));
     },
     "false"},
    {"SetSoundMessage",
     [](CFonerix& f) {
         short handle = 7;
         const bool stored = f.SetSoundMessage(&handle, "/tmp/x.wav");
         return Text(stored) + " handle " + Text(handle);
     },
     "false handle 7"},
    {"DelSoundMessage", [](CFonerix& f) { return Text(f.DelSoundMessage(33)); }, "false"},
    {"GetSoundHandles",
     [](CFonerix& f) {
         short t[4] = {};
         return Text(f.GetSoundHandles(t, 4));
     },
     "-1"},
    {"SetSoundHandles",
     [](CFonerix& f) {
         short t[2] = {};
         return Text(f.SetSoundHandles(t, 2));
     },
     "false"},
    {"GetFreeSoundSpace", [](CFonerix& f) { return Text(f.GetFreeSoundSpace()); }, "0"},
    {"SetAutoDialList", [](CFonerix& f) { return Text(f.SetAutoDialList("123;456", ';')); },
     "false"},
    {"GetAutoDialList", [](CFonerix& f) { return Text(f.GetAutoDialList(';')); }, "\"\""},
    {"StateRegister", [](CFonerix& f) { return Text(f.GetStateRegister(0)); }, "-1"},
    {"DeviceBuffer", [](CFonerix& f) { return Text(f.GetDeviceBuffer()); }, "\"\""},
    {"DeviceTime", [](CFonerix& f) { return Text(f.GetDeviceTime()); }, "date 0.000000"},
    {"NumLength", [](CFonerix& f) { return Text(f.GetNumLength()); }, "-1"},
    {"SkipBells", [](CFonerix& f) { return Text(f.GetSkipBells()); }, "-1"},
    {"BellMelody", [](CFonerix& f) { return Text(f.GetBellMelody()); }, "-1"},
    {"BellVolume", [](CFonerix& f) { return Text(f.GetBellVolume()); }, "-1"},
    {"SoundVolume", [](CFonerix& f) { return Text(f.GetSoundVolume()); }, "-1"},
    {"UtCallup", [](CFonerix& f) { return Text(f.GetUtCallup()); }, "-1"},
    {"UtLineFree", [](CFonerix& f) { return Text(f.GetUtLineFree()); }, "-1"},
    {"ConfigRegister", [](CFonerix& f) { return Text(f.GetConfigRegister()); }, "-1"},
    {"DeviceMode", [](CFonerix& f) { return Text(f.GetDeviceMode()); }, "-1"},
    {"AlarmTime", [](CFonerix& f) { return Text(f.GetAlarmTime()); }, "date 0.000000"},
    {"AlarmActivity", [](CFonerix& f) { return Text(f.GetAlarmActivity()); }, "0"},
    {"SndRecordTime", [](CFonerix& f) { return Text(f.GetSndRecordTime()); }, "0"},
    {"RedirectionNumber", [](CFonerix& f) { return Text(f.GetRedirectionNumber()); }, "\"\""},
    // Void members and puts do nothing; a later read still gives the failure answer.
    {"puts and void members",
     [](CFonerix& f) {
         f.EnableDeviceEvents();
         f.DialNumber("0123");
         f.SetBellVolume(3);
         f.SetStateRegister(0, 3);
         f.SetDeviceTime(DateFromDateTime(QDateTime::currentDateTime()));
         f.SetAlarmActivity(1);
         f.SetRedirectionNumber("89031112233");
         return Text(f.GetBellVolume()) + " " + Text(f.GetAlarmActivity()) + " " +
                Text(f.GetDeviceTime());
     },
     "-1 0 date 0.000000"},
};

void ExpectFailureAnswers(CFonerix& fonerix) {
    for (const FailureCase& c : kFailureAnswers) {
        EXPECT_EQ(c.run(fonerix), c.answer) << c.operation;
    }
}

TEST(FonerixNotRegistered, CreateControlFailsAtLookupAndEveryOperationFails) {
    CDeviceTestWorld::Instance().UnregisterControl();
    CRecordingHandler events;
    CRecordingDialogs dialogs;
    CFonerix fonerix;
    CreateFailure failure;
    EXPECT_FALSE(fonerix.CreateControl(&events, &dialogs, failure));
    EXPECT_EQ(failure.step, CreateStep::Lookup) << CreateStepName(failure.step);
    EXPECT_TRUE(FAILED(failure.hr));
    EXPECT_NE(failure.message, "");
    EXPECT_EQ(failure.message.find('\n'), std::string::npos) << failure.message;
    EXPECT_FALSE(fonerix.IsCreated());

    ExpectFailureAnswers(fonerix);
    fonerix.AboutBox();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(events.events.isEmpty());
}

// The wrapper's own answers without a control are the ones the control gives without a set.
TEST(FonerixWithoutSet, AnswersAreTheControlsFailureAnswers) {
    CDeviceTestWorld::Instance().RegisterControl();
    CDeviceTestWorld::Instance().NoSet();
    CRecordingHandler events;
    CFonerix fonerix;
    CreateFailure failure;
    ASSERT_TRUE(fonerix.CreateControl(&events, nullptr, failure)) << failure.message;
    ExpectFailureAnswers(fonerix);
    // Released, it answers the same without asking anything.
    fonerix.Release();
    EXPECT_FALSE(fonerix.IsCreated());
    ExpectFailureAnswers(fonerix);
}

TEST(FonerixAboutBox, ReachesTheHostDialogServiceOfTheCurrentControl) {
    CDeviceTestWorld::Instance().RegisterControl();
    CRecordingHandler events;
    CRecordingDialogs first;
    CFonerix fonerix;
    CreateFailure failure;
    ASSERT_TRUE(fonerix.CreateControl(&events, &first, failure)) << failure.message;
    fonerix.AboutBox();
    ASSERT_EQ(first.shown.size(), 1);
    EXPECT_EQ(first.shown[0].title, "About Fonerix Control");
    EXPECT_EQ(first.shown[0].lines, QStringList{"Fonerix Control, Version 1.0"});

    // A second creation lets the first control and its site go.
    CRecordingDialogs second;
    ASSERT_TRUE(fonerix.CreateControl(&events, &second, failure)) << failure.message;
    fonerix.AboutBox();
    EXPECT_EQ(first.shown.size(), 1);
    EXPECT_EQ(second.shown.size(), 1);

    // Without a service the control shows nothing and carries on.
    ASSERT_TRUE(fonerix.CreateControl(&events, nullptr, failure)) << failure.message;
    fonerix.AboutBox();
    EXPECT_EQ(fonerix.GetNumLength(), -1);
    fonerix.Release();
    fonerix.AboutBox();
    EXPECT_EQ(second.shown.size(), 1);
}

}  // namespace
}  // namespace fonedesk::test
