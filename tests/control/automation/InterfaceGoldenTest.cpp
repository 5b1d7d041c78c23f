// The automation interface as literal numbers: every DISPID of _DFonerix and _DFonerixEvents,
// in the enums the control dispatches on and in the type table clients find names in, and the
// size and field offsets of each record that crosses by address. Kept apart from the
// declarations, so that a change to both at once still fails here.

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <string>

#include "control/automation/FonerixInterface.h"
#include "control/device/Records.h"

namespace fonerix::test {
namespace {

struct Golden {
    const char* name;
    int dispid;
    int constant;  // the enum value the control dispatches on
};

const Golden kDispatch[] = {
    {"DeviceBuffer", 1, kDispDeviceBuffer},
    {"DeviceTime", 2, kDispDeviceTime},
    {"NumLength", 3, kDispNumLength},
    {"SkipBells", 4, kDispSkipBells},
    {"BellMelody", 5, kDispBellMelody},
    {"BellVolume", 6, kDispBellVolume},
    {"SoundVolume", 7, kDispSoundVolume},
    {"UtCallup", 8, kDispUtCallup},
    {"UtLineFree", 9, kDispUtLineFree},
    {"ConfigRegister", 10, kDispConfigRegister},
    {"DeviceMode", 11, kDispDeviceMode},
    {"DeviceRang", 12, kDispDeviceRang},
    {"AlarmTime", 13, kDispAlarmTime},
    {"AlarmActivity", 14, kDispAlarmActivity},
    {"SndRecordTime", 15, kDispSndRecordTime},
    {"RedirectionNumber", 16, kDispRedirectionNumber},
    {"LookForDevice", 17, kDispLookForDevice},
    {"GetDeviceInfo", 18, kDispGetDeviceInfo},
    {"EnableDeviceEvents", 19, kDispEnableDeviceEvents},
    {"DisableDeviceEvents", 20, kDispDisableDeviceEvents},
    {"DialNumber", 21, kDispDialNumber},
    {"WakeupDevice", 22, kDispWakeupDevice},
    {"SleepDevice", 23, kDispSleepDevice},
    {"GetPhoneBook", 24, kDispGetPhoneBook},
    {"GetIncomeBook", 25, kDispGetIncomeBook},
    {"GetOutcomeBook", 26, kDispGetOutcomeBook},
    {"KeyPress", 27, kDispKeyPress},
    {"GetUtCurrent", 28, kDispGetUtCurrent},
    {"GetSoundMessage", 29, kDispGetSoundMessage},
    {"GetCallsStatistic", 30, kDispGetCallsStatistic},
    {"GetAutodetParams", 31, kDispGetAutodetParams},
    {"SetAutodetParams", 32, kDispSetAutodetParams},
    {"SetSoundMessage", 33, kDispSetSoundMessage},
    {"DelSoundMessage", 34, kDispDelSoundMessage},
    {"GetSoundHandles", 35, kDispGetSoundHandles},
    {"SetSoundHandles", 36, kDispSetSoundHandles},
    {"GetFreeSoundSpace", 37, kDispGetFreeSoundSpace},
    {"SetAutoDialList", 38, kDispSetAutoDialList},
    {"GetAutoDialList", 39, kDispGetAutoDialList},
    {"StateRegister", 40, kDispStateRegister},
    {"AboutBox", -552, kDispAboutBox},
};

const Golden kEvents[] = {
    {"ParallDialing", 1, kEventParallDialing},
    {"ComingCall", 2, kEventComingCall},
    {"FinishTalking", 3, kEventFinishTalking},
    {"SuccessLinking", 4, kEventSuccessLinking},
    {"FailedLinking", 5, kEventFailedLinking},
    {"BusyLinking", 6, kEventBusyLinking},
    {"Alarm", 7, kEventAlarm},
    {"TubeUp", 8, kEventTubeUp},
    {"TubeDown", 9, kEventTubeDown},
    {"ParallTubeUp", 10, kEventParallTubeUp},
    {"LowBatary", 11, kEventLowBatary},
    {"PhoneKeyPress", 12, kEventPhoneKeyPress},
};

// Every member of the type table by name, and each name with one DISPID for all its kinds.
std::map<std::string, DISPID> TableIds(const InterfaceInfo& info) {
    std::map<std::string, DISPID> ids;
    for (const MemberInfo& m : info.members) {
        const auto [it, added] = ids.emplace(m.name, m.dispid);
        EXPECT_EQ(it->second, m.dispid) << m.name << " has two DISPIDs";
    }
    return ids;
}

void ExpectGolden(const InterfaceInfo& info, const Golden* begin, const Golden* end) {
    std::map<std::string, DISPID> expected;
    for (const Golden* g = begin; g != end; ++g) {
        EXPECT_EQ(g->constant, g->dispid) << g->name;
        expected.emplace(g->name, g->dispid);
    }
    EXPECT_EQ(TableIds(info), expected) << info.name;
}

TEST(InterfaceGolden, DispatchIdsOfTheControl) {
    ExpectGolden(FonerixDispatchInfo(), std::begin(kDispatch), std::end(kDispatch));
}

TEST(InterfaceGolden, DispatchIdsOfTheEvents) {
    ExpectGolden(FonerixEventsInfo(), std::begin(kEvents), std::end(kEvents));
}

// The 64-bit layouts: little-endian, natural alignment, a BSTR as an 8-byte pointer.
TEST(InterfaceGolden, RecordSizesAndFieldOffsets) {
    const struct {
        const char* field;
        size_t offset, expected;
    } fields[] = {
        {"DEVICEINFO size", sizeof(DEVICEINFO), 40},
        {"DEVICEINFO.inUse", offsetof(DEVICEINFO, inUse), 0},
        {"DEVICEINFO.devVer", offsetof(DEVICEINFO, devVer), 4},
        {"DEVICEINFO.prgVer", offsetof(DEVICEINFO, prgVer), 8},
        {"DEVICEINFO.devType", offsetof(DEVICEINFO, devType), 12},
        {"DEVICEINFO.IdZelta", offsetof(DEVICEINFO, IdZelta), 16},
        {"DEVICEINFO.Port", offsetof(DEVICEINFO, Port), 20},
        {"DEVICEINFO.BaudRate", offsetof(DEVICEINFO, BaudRate), 24},
        {"DEVICEINFO.Caption", offsetof(DEVICEINFO, Caption), 32},
        {"PHBOOKRECORD size", sizeof(PHBOOKRECORD), 40},
        {"PHBOOKRECORD.inUse", offsetof(PHBOOKRECORD, inUse), 0},
        {"PHBOOKRECORD.Phone", offsetof(PHBOOKRECORD, Phone), 8},
        {"PHBOOKRECORD.Min", offsetof(PHBOOKRECORD, Min), 16},
        {"PHBOOKRECORD.Hour", offsetof(PHBOOKRECORD, Hour), 17},
        {"PHBOOKRECORD.Date", offsetof(PHBOOKRECORD, Date), 18},
        {"PHBOOKRECORD.Month", offsetof(PHBOOKRECORD, Month), 19},
        {"PHBOOKRECORD.Year", offsetof(PHBOOKRECORD, Year), 20},
        {"PHBOOKRECORD.Rang", offsetof(PHBOOKRECORD, Rang), 21},
        {"PHBOOKRECORD.posInBook", offsetof(PHBOOKRECORD, posInBook), 22},
        {"PHBOOKRECORD.Delay", offsetof(PHBOOKRECORD, Delay), 23},
        {"PHBOOKRECORD.isParall", offsetof(PHBOOKRECORD, isParall), 24},
        {"PHBOOKRECORD.isFlop", offsetof(PHBOOKRECORD, isFlop), 25},
        {"PHBOOKRECORD.nandAdress", offsetof(PHBOOKRECORD, nandAdress), 28},
        {"PHBOOKRECORD.nandMessg", offsetof(PHBOOKRECORD, nandMessg), 32},
        {"CALLSTATISTIC size", sizeof(CALLSTATISTIC), 10},
        {"CALLSTATISTIC.billMonth", offsetof(CALLSTATISTIC, billMonth), 0},
        {"CALLSTATISTIC.curLocal", offsetof(CALLSTATISTIC, curLocal), 2},
        {"CALLSTATISTIC.prevLocal", offsetof(CALLSTATISTIC, prevLocal), 4},
        {"CALLSTATISTIC.curLong", offsetof(CALLSTATISTIC, curLong), 6},
        {"CALLSTATISTIC.prevLong", offsetof(CALLSTATISTIC, prevLong), 8},
        {"AUTODETPARAMS size", sizeof(AUTODETPARAMS), 10},
        {"AUTODETPARAMS.queryTime", offsetof(AUTODETPARAMS, queryTime), 0},
        {"AUTODETPARAMS.queryForm", offsetof(AUTODETPARAMS, queryForm), 2},
        {"AUTODETPARAMS.resolTime", offsetof(AUTODETPARAMS, resolTime), 4},
        {"AUTODETPARAMS.firstDelay", offsetof(AUTODETPARAMS, firstDelay), 6},
        {"AUTODETPARAMS.minDigits", offsetof(AUTODETPARAMS, minDigits), 8},
    };
    for (const auto& f : fields) {
        EXPECT_EQ(f.offset, f.expected) << f.field;
    }
}

}  // namespace
}  // namespace fonerix::test
