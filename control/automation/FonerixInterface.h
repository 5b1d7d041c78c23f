#pragma once

#include "platform/automation/Dispatch.h"
#include "platform/automation/Guid.h"

// The control's automation contract: identifiers, DISPIDs and the type table. Clients call
// every member by these numbers, so none of them may change.
namespace fonerix {

inline constexpr GUID kFonerixLibid = MakeGuid("{40076164-D69E-11D5-BC69-8691947227AD}");
inline constexpr IID kFonerixDispatchIid = MakeGuid("{40076165-D69E-11D5-BC69-8691947227AD}");
inline constexpr IID kFonerixEventsIid = MakeGuid("{40076166-D69E-11D5-BC69-8691947227AD}");
inline constexpr CLSID kFonerixCtrlClsid = MakeGuid("{40076167-D69E-11D5-BC69-8691947227AD}");
inline constexpr CLSID kFonerixPropPageClsid = MakeGuid("{40076168-D69E-11D5-BC69-8691947227AD}");
inline constexpr char kFonerixCtrlProgId[] = "FONERIX.FonerixCtrl.1";
inline constexpr char kFonerixPropPageProgId[] = "FONERIX.FonerixPropPage.1";
inline constexpr uint16_t kFonerixLibMajor = 1;
inline constexpr uint16_t kFonerixLibMinor = 0;
// The library's file version, also written to the control's registry section as
// "FonerixVersion" and carried in the shared library's file name (libfonerix.so.1.0.0.1).
inline constexpr char kFonerixFileVersion[] = "1.0.0.1";

// Members of _DFonerix: properties 1..16, methods 17..39, StateRegister 40.
enum FonerixDispid : DISPID {
    kDispDeviceBuffer = 1,
    kDispDeviceTime,
    kDispNumLength,
    kDispSkipBells,
    kDispBellMelody,
    kDispBellVolume,
    kDispSoundVolume,
    kDispUtCallup,
    kDispUtLineFree,
    kDispConfigRegister,
    kDispDeviceMode,
    kDispDeviceRang,
    kDispAlarmTime,
    kDispAlarmActivity,
    kDispSndRecordTime,
    kDispRedirectionNumber,
    kDispLookForDevice,  // 17
    kDispGetDeviceInfo,
    kDispEnableDeviceEvents,
    kDispDisableDeviceEvents,
    kDispDialNumber,
    kDispWakeupDevice,
    kDispSleepDevice,
    kDispGetPhoneBook,
    kDispGetIncomeBook,
    kDispGetOutcomeBook,
    kDispKeyPress,
    kDispGetUtCurrent,
    kDispGetSoundMessage,
    kDispGetCallsStatistic,
    kDispGetAutodetParams,
    kDispSetAutodetParams,
    kDispSetSoundMessage,
    kDispDelSoundMessage,
    kDispGetSoundHandles,
    kDispSetSoundHandles,
    kDispGetFreeSoundSpace,
    kDispSetAutoDialList,
    kDispGetAutoDialList,  // 39
    kDispStateRegister,    // 40
    kDispAboutBox = DISPID_ABOUTBOX,
};

// Events of _DFonerixEvents, numbered by position. They are fired on the control's thread,
// synchronously to every sink in turn; a sink may call any member, and may release the control.
//
// The number of ParallDialing and ComingCall: the control allocates one BSTR per firing and
// passes its address to every sink. When the firing has returned, the control frees whatever
// the slot then holds. A sink that wants to keep the number copies it, or takes it by setting
// *bstrNumber to null (later sinks then see a null, i.e. empty, number). A sink never frees the
// string without nulling the slot.
enum FonerixEventDispid : DISPID {
    kEventParallDialing = 1,
    kEventComingCall,
    kEventFinishTalking,
    kEventSuccessLinking,
    kEventFailedLinking,
    kEventBusyLinking,
    kEventAlarm,
    kEventTubeUp,
    kEventTubeDown,
    kEventParallTubeUp,
    kEventLowBatary,
    kEventPhoneKeyPress,  // 12
};

// The type table compiled into the library; clients use it to call members and name events.
const InterfaceInfo& FonerixDispatchInfo();
const InterfaceInfo& FonerixEventsInfo();
const TypeLibraryInfo& FonerixTypeLibrary();

}  // namespace fonerix
