// Every member's answer while the control has no device object, by DISPID.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <vector>

#include "control/automation/FonerixInterface.h"
#include "control/device/Records.h"
#include "tests/control/automation/ControlCalls.h"

namespace fonerix::test {
namespace {

// Storage for the arguments of one call; records start as a pattern that must survive a call
// the control refuses.
struct Scratch {
    DEVICEINFO info;
    PHBOOKRECORD book;
    CALLSTATISTIC stat;
    AUTODETPARAMS current;
    AUTODETPARAMS parallel;
    int16_t handles[4];
    int16_t handle;
    BSTR text;
    Scratch() {
        std::memset(static_cast<void*>(this), 0xAB, sizeof *this);
        text = BstrFromUtf8("0123");
    }
    ~Scratch() { SysFreeString(text); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
};

struct NoDeviceCase {
    const char* name;
    DISPID dispid;
    uint16_t flags;
    std::function<std::vector<CVariant>(Scratch&)> args;
    VARTYPE vt;      // of the result
    int32_t number;  // I2, I4, BOOL (0 or 1) and DATE results
};

std::vector<CVariant> None(Scratch&) {
    return {};
}
std::vector<CVariant> I2Value(Scratch&) {
    return {CVariant(int16_t{3})};
}

const NoDeviceCase kNoDevice[] = {
    {"DeviceBuffer", kDispDeviceBuffer, DISPATCH_PROPERTYGET, None, VT_BSTR, 0},
    {"DeviceTime", kDispDeviceTime, DISPATCH_PROPERTYGET, None, VT_DATE, 0},
    {"NumLength", kDispNumLength, DISPATCH_PROPERTYGET, None, VT_I2, -1},
    {"SkipBells", kDispSkipBells, DISPATCH_PROPERTYGET, None, VT_I2, -1},
    {"BellMelody", kDispBellMelody, DISPATCH_PROPERTYGET, None, VT_I2, -1},
    {"BellVolume", kDispBellVolume, DISPATCH_PROPERTYGET, None, VT_I2, -1},
    {"SoundVolume", kDispSoundVolume, DISPATCH_PROPERTYGET, None, VT_I2, -1},
    {"UtCallup", kDispUtCallup, DISPATCH_PROPERTYGET, None, VT_I2, -1},
    {"UtLineFree", kDispUtLineFree, DISPATCH_PROPERTYGET, None, VT_I2, -1},
    {"ConfigRegister", kDispConfigRegister, DISPATCH_PROPERTYGET, None, VT_I2, -1},
    {"DeviceMode", kDispDeviceMode, DISPATCH_PROPERTYGET, None, VT_I2, -1},
    {"DeviceRang", kDispDeviceRang, DISPATCH_PROPERTYGET, None, VT_I2, -1},
    {"AlarmTime", kDispAlarmTime, DISPATCH_PROPERTYGET, None, VT_DATE, 0},
    {"AlarmActivity", kDispAlarmActivity, DISPATCH_PROPERTYGET, None, VT_I2, 0},
    {"SndRecordTime", kDispSndRecordTime, DISPATCH_PROPERTYGET, None, VT_I2, 0},
    {"RedirectionNumber", kDispRedirectionNumber, DISPATCH_PROPERTYGET, None, VT_BSTR, 0},
    {"put DeviceBuffer", kDispDeviceBuffer, DISPATCH_PROPERTYPUT,
     [](Scratch&) { return std::vector<CVariant>{CVariant::FromUtf8("55")}; }, VT_EMPTY, 0},
    {"put DeviceTime", kDispDeviceTime, DISPATCH_PROPERTYPUT,
     [](Scratch&) { return std::vector<CVariant>{CVariant::FromDate(45000.5)}; }, VT_EMPTY, 0},
    {"put NumLength", kDispNumLength, DISPATCH_PROPERTYPUT, I2Value, VT_EMPTY, 0},
    {"put AlarmActivity", kDispAlarmActivity, DISPATCH_PROPERTYPUT, I2Value, VT_EMPTY, 0},
    {"put RedirectionNumber", kDispRedirectionNumber, DISPATCH_PROPERTYPUT,
     [](Scratch&) { return std::vector<CVariant>{CVariant::FromUtf8("89031112233")}; }, VT_EMPTY,
     0},
    {"GetDeviceInfo", kDispGetDeviceInfo, DISPATCH_METHOD,
     [](Scratch& s) { return std::vector<CVariant>{CVariant::RecordRef(&s.info)}; }, VT_BOOL, 0},
    {"EnableDeviceEvents", kDispEnableDeviceEvents, DISPATCH_METHOD, None, VT_EMPTY, 0},
    {"DisableDeviceEvents", kDispDisableDeviceEvents, DISPATCH_METHOD, None, VT_EMPTY, 0},
    {"DialNumber", kDispDialNumber, DISPATCH_METHOD,
     [](Scratch& s) { return std::vector<CVariant>{CVariant::Ref(&s.text)}; }, VT_EMPTY, 0},
    {"WakeupDevice", kDispWakeupDevice, DISPATCH_METHOD,
     [](Scratch&) { return std::vector<CVariant>{CVariant(true)}; }, VT_BOOL, 0},
    {"SleepDevice", kDispSleepDevice, DISPATCH_METHOD, None, VT_BOOL, 0},
    {"GetPhoneBook", kDispGetPhoneBook, DISPATCH_METHOD,
     [](Scratch& s) { return std::vector<CVariant>{CVariant::RecordRef(&s.book)}; }, VT_BOOL, 0},
    {"GetIncomeBook", kDispGetIncomeBook, DISPATCH_METHOD,
     [](Scratch& s) { return std::vector<CVariant>{CVariant::RecordRef(&s.book)}; }, VT_BOOL, 0},
    {"GetOutcomeBook", kDispGetOutcomeBook, DISPATCH_METHOD,
     [](Scratch& s) { return std::vector<CVariant>{CVariant::RecordRef(&s.book)}; }, VT_BOOL, 0},
    {"KeyPress", kDispKeyPress, DISPATCH_METHOD, I2Value, VT_BOOL, 0},
    {"GetUtCurrent", kDispGetUtCurrent, DISPATCH_METHOD, None, VT_I2, -1},
    {"GetSoundMessage", kDispGetSoundMessage, DISPATCH_METHOD,
     [](Scratch& s) {
         return std::vector<CVariant>{CVariant(int16_t{1}), CVariant::Ref(&s.text)};
     },
     VT_BOOL, 0},
    {"GetCallsStatistic", kDispGetCallsStatistic, DISPATCH_METHOD,
     [](Scratch& s) { return std::vector<CVariant>{CVariant::RecordRef(&s.stat)}; }, VT_BOOL, 0},
    {"GetAutodetParams", kDispGetAutodetParams, DISPATCH_METHOD,
     [](Scratch& s) {
         return std::vector<CVariant>{CVariant::RecordRef(&s.current),
                                      CVariant::RecordRef(&s.parallel)};
     },
     VT_BOOL, 0},
    {"SetAutodetParams", kDispSetAutodetParams, DISPATCH_METHOD,
     [](Scratch& s) {
         return std::vector<CVariant>{CVariant::RecordRef(&s.current),
                                      CVariant::RecordRef(nullptr)};
     },
     VT_BOOL, 0},
    {"SetSoundMessage", kDispSetSoundMessage, DISPATCH_METHOD,
     [](Scratch& s) {
         return std::vector<CVariant>{CVariant::Ref(&s.handle), CVariant::Ref(&s.text)};
     },
     VT_BOOL, 0},
    {"DelSoundMessage", kDispDelSoundMessage, DISPATCH_METHOD, I2Value, VT_BOOL, 0},
    {"GetSoundHandles", kDispGetSoundHandles, DISPATCH_METHOD,
     [](Scratch& s) {
         return std::vector<CVariant>{CVariant::Ref(&s.handles[0]), CVariant(int16_t{4})};
     },
     VT_I2, -1},
    {"SetSoundHandles", kDispSetSoundHandles, DISPATCH_METHOD,
     [](Scratch& s) {
         return std::vector<CVariant>{CVariant::Ref(&s.handles[0]), CVariant(int16_t{2})};
     },
     VT_BOOL, 0},
    {"GetFreeSoundSpace", kDispGetFreeSoundSpace, DISPATCH_METHOD, None, VT_I4, 0},
    {"SetAutoDialList", kDispSetAutoDialList, DISPATCH_METHOD,
     [](Scratch& s) {
         return std::vector<CVariant>{CVariant::Ref(&s.text), CVariant(int16_t{','})};
     },
     VT_BOOL, 0},
    {"GetAutoDialList", kDispGetAutoDialList, DISPATCH_METHOD,
     [](Scratch&) { return std::vector<CVariant>{CVariant(int16_t{','})}; }, VT_BSTR, 0},
    {"StateRegister", kDispStateRegister, DISPATCH_PROPERTYGET,
     [](Scratch&) { return std::vector<CVariant>{CVariant(int16_t{0})}; }, VT_I2, -1},
    {"put StateRegister", kDispStateRegister, DISPATCH_PROPERTYPUT,
     [](Scratch&) {
         return std::vector<CVariant>{CVariant(int16_t{0}), CVariant(int16_t{7})};
     },
     VT_EMPTY, 0},
    {"AboutBox", kDispAboutBox, DISPATCH_METHOD, None, VT_EMPTY, 0},
};

}  // namespace

// Shared with the tests on the simulator: after a failed discovery the control answers exactly
// as a new one does.
void ExpectNoDeviceAnswers(IDispatch* control) {
    for (const NoDeviceCase& c : kNoDevice) {
        SCOPED_TRACE(c.name);
        Scratch scratch;
        Scratch pattern;
        const CVariant result = Invoke(control, c.dispid, c.flags, c.args(scratch));
        ASSERT_EQ(result.vt(), c.vt);
        switch (c.vt) {
            case VT_BSTR:
                EXPECT_NE(result->bstrVal, nullptr);
                EXPECT_EQ(result.Utf8(), "");
                break;
            case VT_BOOL:
                EXPECT_EQ(result->boolVal, c.number ? VARIANT_TRUE : VARIANT_FALSE);
                break;
            case VT_I2:
                EXPECT_EQ(result->iVal, c.number);
                break;
            case VT_I4:
                EXPECT_EQ(result->lVal, c.number);
                break;
            case VT_DATE:
                EXPECT_EQ(result->date, c.number);
                break;
            default:
                break;
        }
        // Nothing was written to any record or out-parameter.
        EXPECT_EQ(std::memcmp(&scratch.info, &pattern.info,
                              offsetof(Scratch, text) - offsetof(Scratch, info)),
                  0);
        EXPECT_EQ(Utf8FromBstr(scratch.text), "0123");
    }
}

}  // namespace fonerix::test
