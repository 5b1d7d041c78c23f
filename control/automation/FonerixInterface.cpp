#include "control/automation/FonerixInterface.h"

namespace fonerix {

namespace {

constexpr VARTYPE kRecord = VT_VARIANT | VT_BYREF;  // the address of a record

constexpr ParamInfo kPutBstr[] = {{"newValue", VT_BSTR}};
constexpr ParamInfo kPutDate[] = {{"newValue", VT_DATE}};
constexpr ParamInfo kPutI2[] = {{"newValue", VT_I2}};
constexpr ParamInfo kDevInfo[] = {{"lpDevInfo", kRecord}};
constexpr ParamInfo kBookRecord[] = {{"lpPHBookRecord", kRecord}};
constexpr ParamInfo kStatistic[] = {{"lpStst", kRecord}};
constexpr ParamInfo kAutodet[] = {{"lpCurrent", kRecord}, {"lpParall", kRecord}};
constexpr ParamInfo kDialNumber[] = {{"lpbstrNumber", VT_BSTR | VT_BYREF}};
constexpr ParamInfo kWakeup[] = {{"bWritePermit", VT_BOOL}};
constexpr ParamInfo kKeyPress[] = {{"bKeyCode", VT_I2}};
constexpr ParamInfo kGetSound[] = {{"wAdress", VT_I2}, {"strFileName", VT_BSTR | VT_BYREF}};
constexpr ParamInfo kSetSound[] = {{"wAdress", VT_I2 | VT_BYREF},
                                   {"strFileName", VT_BSTR | VT_BYREF}};
constexpr ParamInfo kDelSound[] = {{"wAdress", VT_I2}};
constexpr ParamInfo kSoundHandles[] = {{"lpAdrTable", VT_I2 | VT_BYREF}, {"wItemCnt", VT_I2}};
constexpr ParamInfo kSetAutoDial[] = {{"strPhnList", VT_BSTR | VT_BYREF}, {"delim", VT_I2}};
constexpr ParamInfo kGetAutoDial[] = {{"delim", VT_I2}};
constexpr ParamInfo kStateGet[] = {{"regNum", VT_I2}};
constexpr ParamInfo kStatePut[] = {{"regNum", VT_I2}, {"newValue", VT_I2}};

#define FONERIX_PROPERTY(name, type, put)                          \
    {#name, kDisp##name, MemberKind::PropertyGet, type, {}}, {     \
#name, kDisp##name, MemberKind::PropertyPut, VT_EMPTY, put \
    }
#define FONERIX_METHOD(name, result, params) \
    { #name, kDisp##name, MemberKind::Method, result, params }

constexpr MemberInfo kDispatchMembers[] = {
    FONERIX_PROPERTY(DeviceBuffer, VT_BSTR, kPutBstr),
    FONERIX_PROPERTY(DeviceTime, VT_DATE, kPutDate),
    FONERIX_PROPERTY(NumLength, VT_I2, kPutI2),
    FONERIX_PROPERTY(SkipBells, VT_I2, kPutI2),
    FONERIX_PROPERTY(BellMelody, VT_I2, kPutI2),
    FONERIX_PROPERTY(BellVolume, VT_I2, kPutI2),
    FONERIX_PROPERTY(SoundVolume, VT_I2, kPutI2),
    FONERIX_PROPERTY(UtCallup, VT_I2, kPutI2),
    FONERIX_PROPERTY(UtLineFree, VT_I2, kPutI2),
    FONERIX_PROPERTY(ConfigRegister, VT_I2, kPutI2),
    FONERIX_PROPERTY(DeviceMode, VT_I2, kPutI2),
    FONERIX_PROPERTY(DeviceRang, VT_I2, kPutI2),
    FONERIX_PROPERTY(AlarmTime, VT_DATE, kPutDate),
    FONERIX_PROPERTY(AlarmActivity, VT_I2, kPutI2),
    FONERIX_PROPERTY(SndRecordTime, VT_I2, kPutI2),
    FONERIX_PROPERTY(RedirectionNumber, VT_BSTR, kPutBstr),
    FONERIX_METHOD(LookForDevice, VT_BOOL, kDevInfo),
    FONERIX_METHOD(GetDeviceInfo, VT_BOOL, kDevInfo),
    FONERIX_METHOD(EnableDeviceEvents, VT_EMPTY, {}),
    FONERIX_METHOD(DisableDeviceEvents, VT_EMPTY, {}),
    FONERIX_METHOD(DialNumber, VT_EMPTY, kDialNumber),
    FONERIX_METHOD(WakeupDevice, VT_BOOL, kWakeup),
    FONERIX_METHOD(SleepDevice, VT_BOOL, {}),
    FONERIX_METHOD(GetPhoneBook, VT_BOOL, kBookRecord),
    FONERIX_METHOD(GetIncomeBook, VT_BOOL, kBookRecord),
    FONERIX_METHOD(GetOutcomeBook, VT_BOOL, kBookRecord),
    FONERIX_METHOD(KeyPress, VT_BOOL, kKeyPress),
    FONERIX_METHOD(GetUtCurrent, VT_I2, {}),
    FONERIX_METHOD(GetSoundMessage, VT_BOOL, kGetSound),
    FONERIX_METHOD(GetCallsStatistic, VT_BOOL, kStatistic),
    FONERIX_METHOD(GetAutodetParams, VT_BOOL, kAutodet),
    FONERIX_METHOD(SetAutodetParams, VT_BOOL, kAutodet),
    FONERIX_METHOD(SetSoundMessage, VT_BOOL, kSetSound),
    FONERIX_METHOD(DelSoundMessage, VT_BOOL, kDelSound),
    FONERIX_METHOD(GetSoundHandles, VT_I2, kSoundHandles),
    FONERIX_METHOD(SetSoundHandles, VT_BOOL, kSoundHandles),
    FONERIX_METHOD(GetFreeSoundSpace, VT_I4, {}),
    FONERIX_METHOD(SetAutoDialList, VT_BOOL, kSetAutoDial),
    FONERIX_METHOD(GetAutoDialList, VT_BSTR, kGetAutoDial),
    {"StateRegister", kDispStateRegister, MemberKind::PropertyGet, VT_I2, kStateGet},
    {"StateRegister", kDispStateRegister, MemberKind::PropertyPut, VT_EMPTY, kStatePut},
    FONERIX_METHOD(AboutBox, VT_EMPTY, {}),
};

#undef FONERIX_PROPERTY
#undef FONERIX_METHOD

constexpr ParamInfo kNumberArg[] = {{"bstrNumber", VT_BSTR | VT_BYREF}};
constexpr ParamInfo kKeyArg[] = {{"keyCode", VT_I4}};

#define FONERIX_EVENT(name, params) \
    { #name, kEvent##name, MemberKind::Method, VT_EMPTY, params }

constexpr MemberInfo kEventMembers[] = {
    FONERIX_EVENT(ParallDialing, kNumberArg),
    FONERIX_EVENT(ComingCall, kNumberArg),
    FONERIX_EVENT(FinishTalking, {}),
    FONERIX_EVENT(SuccessLinking, {}),
    FONERIX_EVENT(FailedLinking, {}),
    FONERIX_EVENT(BusyLinking, {}),
    FONERIX_EVENT(Alarm, {}),
    FONERIX_EVENT(TubeUp, {}),
    FONERIX_EVENT(TubeDown, {}),
    FONERIX_EVENT(ParallTubeUp, {}),
    FONERIX_EVENT(LowBatary, {}),
    FONERIX_EVENT(PhoneKeyPress, kKeyArg),
};

#undef FONERIX_EVENT

constexpr InterfaceInfo kDispatch{"_DFonerix", kFonerixDispatchIid, kDispatchMembers};
constexpr InterfaceInfo kEvents{"_DFonerixEvents", kFonerixEventsIid, kEventMembers};
constexpr const InterfaceInfo* kInterfaces[] = {&kDispatch, &kEvents};
constexpr TypeLibraryInfo kTypeLibrary{"FONERIXLib", kFonerixLibid, kFonerixLibMajor,
                                       kFonerixLibMinor, kInterfaces};

// The numbering is the contract; a member moved in the list above must not renumber anything.
static_assert(kDispRedirectionNumber == 16 && kDispLookForDevice == 17 &&
              kDispGetAutoDialList == 39 && kDispStateRegister == 40);
static_assert(kEventPhoneKeyPress == 12);

}  // namespace

const InterfaceInfo& FonerixDispatchInfo() {
    return kDispatch;
}
const InterfaceInfo& FonerixEventsInfo() {
    return kEvents;
}
const TypeLibraryInfo& FonerixTypeLibrary() {
    return kTypeLibrary;
}

}  // namespace fonerix
