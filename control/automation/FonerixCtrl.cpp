#include "control/automation/FonerixCtrl.h"

#include <cstring>
#include <string>
#include <utility>

#include "control/device/DeviceTypes.h"
#include "control/device/VarkonDevice.h"
#include "control/device/Zelta6Device.h"
#include "control/device/Zelta7Device.h"
#include "control/device/ZeltaDevice.h"
#include "control/serial/NotifyWindow.h"

namespace fonerix {

namespace {

std::u16string Text(BSTR text) {
    return text != nullptr ? std::u16string(text, SysStringLen(text)) : std::u16string();
}

BSTR NewBstr(const std::u16string& text) {
    return SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
}

// The properties that stand for something the set keeps, one row each: a register property of
// the family's table, a text or a date. Without a device a read answers `noDevice`, an empty
// text or date 0, and a write does nothing.
struct Property {
    DISPID dispid;
    VARTYPE type;
    Setting setting = {};  // VT_I2
    int16_t noDevice = -1;
    std::u16string (*getText)(CDevice&) = nullptr;  // VT_BSTR
    void (*putText)(CDevice&, const std::u16string&) = nullptr;
    DATE (*getDate)(CDevice&) = nullptr;  // VT_DATE
    void (*putDate)(CDevice&, DATE) = nullptr;
};

constexpr Property RegisterProperty(DISPID dispid, Setting setting, int16_t noDevice = -1) {
    return {.dispid = dispid, .type = VT_I2, .setting = setting, .noDevice = noDevice};
}
constexpr Property TextProperty(DISPID dispid, std::u16string (*get)(CDevice&),
                                void (*put)(CDevice&, const std::u16string&)) {
    return {.dispid = dispid, .type = VT_BSTR, .getText = get, .putText = put};
}
constexpr Property DateProperty(DISPID dispid, DATE (*get)(CDevice&), void (*put)(CDevice&, DATE)) {
    return {.dispid = dispid, .type = VT_DATE, .getDate = get, .putDate = put};
}

constexpr Property kProperties[] = {
    RegisterProperty(kDispNumLength, Setting::kNumLength),
    RegisterProperty(kDispSkipBells, Setting::kSkipBells),
    RegisterProperty(kDispBellMelody, Setting::kBellMelody),
    RegisterProperty(kDispBellVolume, Setting::kBellVolume),
    RegisterProperty(kDispSoundVolume, Setting::kSoundVolume),
    RegisterProperty(kDispUtCallup, Setting::kUtCallup),
    RegisterProperty(kDispUtLineFree, Setting::kUtLineFree),
    RegisterProperty(kDispConfigRegister, Setting::kConfigRegister),
    RegisterProperty(kDispDeviceMode, Setting::kDeviceMode),
    RegisterProperty(kDispDeviceRang, Setting::kDeviceRang),
    RegisterProperty(kDispAlarmActivity, Setting::kAlarmActivity, 0),
    RegisterProperty(kDispSndRecordTime, Setting::kSndRecordTime, 0),
    TextProperty(
        kDispDeviceBuffer, [](CDevice& d) { return d.GetDeviceBuffer(); },
        [](CDevice& d, const std::u16string& number) { d.SetDeviceBuffer(number); }),
    TextProperty(
        kDispRedirectionNumber, [](CDevice& d) { return d.GetRedirectionNumber(); },
        [](CDevice& d, const std::u16string& number) { d.SetRedirectionNumber(number); }),
    DateProperty(
        kDispDeviceTime, [](CDevice& d) { return d.GetDeviceTime(); },
        [](CDevice& d, DATE date) { d.SetDeviceTime(date); }),
    DateProperty(
        kDispAlarmTime, [](CDevice& d) { return d.GetAlarmTime(); },
        [](CDevice& d, DATE date) { d.SetAlarmTime(date); }),
};

void GetProperty(const Property& p, CDevice* dev, VARIANT* result) {
    switch (p.type) {
        case VT_I2:
            ReturnI2(result, dev != nullptr ? dev->GetSetting(p.setting) : p.noDevice);
            break;
        case VT_BSTR:
            ReturnBstr(result, NewBstr(dev != nullptr ? p.getText(*dev) : u""));
            break;
        default:
            ReturnDate(result, dev != nullptr ? p.getDate(*dev) : 0.0);
            break;
    }
}

void PutProperty(const Property& p, CDevice& dev, const DispArgs& args) {
    switch (p.type) {
        case VT_I2:
            dev.SetSetting(p.setting, args.I2(0));
            break;
        case VT_BSTR:
            p.putText(dev, Text(args.Bstr(0)));
            break;
        default:
            p.putDate(dev, args.Date(0));
            break;
    }
}

template <class Record>
Record* RecordArg(const DispArgs& args, size_t i) {
    return static_cast<Record*>(args.Record(i));
}

}  // namespace

CFonerixCtrl::CFonerixCtrl()
    : CDispatchObject(FonerixDispatchInfo()),
      m_events(*static_cast<IDispatch*>(this), kFonerixEventsIid),
      m_window([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
          return OnWindowMessage(message, wParam, lParam);
      }) {}

CFonerixCtrl::~CFonerixCtrl() {
    m_events.UnadviseAll();
    // Sends the set to sleep and closes the port, which ends the watcher, before the window
    // it notifies goes away.
    m_device.reset();
}

HRESULT CFonerixCtrl::FindConnectionPoint(const IID& events, IConnectionPoint** point) {
    if (point == nullptr) {
        return E_POINTER;
    }
    *point = nullptr;
    if (events != kFonerixEventsIid) {
        return E_NOINTERFACE;
    }
    *point = &m_events;
    m_events.AddRef();
    return S_OK;
}

HRESULT CFonerixCtrl::SetSite(IUnknown* site) {
    m_site = CComPtr<IUnknown>(site);
    return S_OK;
}

HRESULT CFonerixCtrl::GetDescriptor(int* fd) {
    if (fd == nullptr) {
        return E_POINTER;
    }
    *fd = m_window.Descriptor();
    return S_OK;
}

HRESULT CFonerixCtrl::DispatchPending(uint32_t* handled) {
    // A sink may release the host's last reference while an event runs; the window must stay
    // until it has finished dispatching.
    const CComPtr<IEventWindow> self(this);
    const int count = m_window.DispatchPending();
    if (handled != nullptr) {
        *handled = static_cast<uint32_t>(count);
    }
    return S_OK;
}

HRESULT CFonerixCtrl::GetPages(CLSID* pages, uint32_t capacity, uint32_t* count) {
    if (count == nullptr || (capacity > 0 && pages == nullptr)) {
        return E_POINTER;
    }
    *count = 1;
    if (capacity > 0) {
        pages[0] = kFonerixPropPageClsid;
    }
    return S_OK;
}

intptr_t CFonerixCtrl::OnWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == kDeviceEventMessage) {
        OnDeviceEvent(static_cast<uint16_t>(wParam), reinterpret_cast<const char*>(lParam));
    }
    return 0;
}

HRESULT CFonerixCtrl::CallMember(const MemberInfo& member, const DispArgs& args, VARIANT* result) {
    if (member.kind == MemberKind::Method) {
        return CallMethod(member, args, result);
    }
    return CallProperty(member, args, result);
}

HRESULT CFonerixCtrl::CallProperty(const MemberInfo& member, const DispArgs& args,
                                   VARIANT* result) {
    const bool put = member.kind == MemberKind::PropertyPut;
    if (put) {
        m_modified = true;
    }
    CDevice* const dev = m_device.get();
    for (const Property& p : kProperties) {
        if (p.dispid != member.dispid) {
            continue;
        }
        if (!put) {
            GetProperty(p, dev, result);
        } else if (dev != nullptr) {
            PutProperty(p, *dev, args);
        }
        return S_OK;
    }
    // The one property with an index: the selector of a state register.
    if (member.dispid != kDispStateRegister) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (!put) {
        ReturnI2(result, dev != nullptr ? dev->GetStateRegister(args.I2(0)) : -1);
    } else if (dev != nullptr) {
        dev->SetStateRegister(args.I2(0), args.I2(1));
    }
    return S_OK;
}

HRESULT CFonerixCtrl::CallMethod(const MemberInfo& member, const DispArgs& args, VARIANT* result) {
    CDevice* const dev = m_device.get();
    switch (member.dispid) {
        case kDispLookForDevice:
            ReturnBool(result, LookForDevice(RecordArg<DEVICEINFO>(args, 0)));
            return S_OK;
        case kDispAboutBox:
            ShowAboutBox();
            return S_OK;
        default:
            break;
    }
    if (dev == nullptr) {
        // Every other member answers without touching anything; the table's result type says
        // which neutral answer.
        switch (member.result) {
            case VT_BOOL:
                ReturnBool(result, false);
                break;
            case VT_I2:
                ReturnI2(result, -1);
                break;
            case VT_I4:
                ReturnI4(result, 0);
                break;
            case VT_BSTR:
                ReturnBstr(result, NewBstr(u""));
                break;
            default:
                break;
        }
        return S_OK;
    }
    switch (member.dispid) {
        case kDispGetDeviceInfo: {
            auto* info = RecordArg<DEVICEINFO>(args, 0);
            ReturnBool(result, info != nullptr && dev->GetDeviceInfo(*info));
            return S_OK;
        }
        case kDispEnableDeviceEvents:
            dev->EnableEvents();
            return S_OK;
        case kDispDisableDeviceEvents:
            dev->DisableEvents();
            return S_OK;
        case kDispDialNumber:
            if (BSTR* number = args.BstrRef(0); number != nullptr) {
                dev->DialNumber(Text(*number));
            }
            return S_OK;
        case kDispWakeupDevice:
            ReturnBool(result, dev->WakeupDevice(args.Bool(0)));
            return S_OK;
        case kDispSleepDevice:
            ReturnBool(result, dev->SleepDevice());
            return S_OK;
        case kDispGetPhoneBook:
        case kDispGetIncomeBook:
        case kDispGetOutcomeBook: {
            auto* record = RecordArg<PHBOOKRECORD>(args, 0);
            bool ok = false;
            if (record != nullptr) {
                ok = member.dispid == kDispGetPhoneBook    ? dev->GetPhoneBook(*record)
                     : member.dispid == kDispGetIncomeBook ? dev->GetIncomeBook(*record)
                                                           : dev->GetOutcomeBook(*record);
            }
            ReturnBool(result, ok);
            return S_OK;
        }
        case kDispKeyPress:
            ReturnBool(result, dev->SendKey(static_cast<uint8_t>(args.I2(0))));
            return S_OK;
        case kDispGetUtCurrent:
            ReturnI2(result, dev->GetSetting(Setting::kUtCurrent));
            return S_OK;
        case kDispGetSoundMessage: {
            BSTR* file = args.BstrRef(1);
            ReturnBool(result, file != nullptr && dev->GetSoundMessage(args.I2(0), Text(*file)));
            return S_OK;
        }
        case kDispGetCallsStatistic: {
            auto* stat = RecordArg<CALLSTATISTIC>(args, 0);
            if (stat != nullptr) {
                // Billing month and current local minutes start from zero whatever the
                // family fills.
                stat->billMonth = 0;
                stat->curLocal = 0;
            }
            ReturnBool(result, stat != nullptr && dev->GetCallsStatistic(*stat));
            return S_OK;
        }
        case kDispGetAutodetParams: {
            auto* current = RecordArg<AUTODETPARAMS>(args, 0);
            ReturnBool(result,
                       current != nullptr &&
                           dev->GetAutodetParams(current, RecordArg<AUTODETPARAMS>(args, 1)));
            return S_OK;
        }
        case kDispSetAutodetParams: {
            const auto* current = RecordArg<const AUTODETPARAMS>(args, 0);
            ReturnBool(result,
                       current != nullptr &&
                           dev->SetAutodetParams(current, RecordArg<const AUTODETPARAMS>(args, 1)));
            return S_OK;
        }
        case kDispSetSoundMessage: {
            int16_t* handle = args.I2Ref(0);
            BSTR* file = args.BstrRef(1);
            ReturnBool(result, handle != nullptr && file != nullptr &&
                                   dev->SetSoundMessage(*handle, Text(*file)));
            return S_OK;
        }
        case kDispDelSoundMessage:
            ReturnBool(result, dev->DelSoundMessage(args.I2(0)));
            return S_OK;
        case kDispGetSoundHandles: {
            // A count of 0 needs no table; the device decides what the count allows.
            int16_t* table = args.I2Ref(0);
            const int16_t count = args.I2(1);
            ReturnI2(result,
                     table != nullptr || count == 0 ? dev->GetSoundHandles(table, count) : -1);
            return S_OK;
        }
        case kDispSetSoundHandles: {
            const int16_t* table = args.I2Ref(0);
            const int16_t count = args.I2(1);
            ReturnBool(result,
                       (table != nullptr || count == 0) && dev->SetSoundHandles(table, count));
            return S_OK;
        }
        case kDispGetFreeSoundSpace:
            ReturnI4(result, dev->GetFreeSoundSpace());
            return S_OK;
        case kDispSetAutoDialList: {
            BSTR* list = args.BstrRef(0);
            ReturnBool(result, list != nullptr && dev->SetAutoDialList(Text(*list), args.I2(1)));
            return S_OK;
        }
        case kDispGetAutoDialList:
            ReturnBstr(result, NewBstr(dev->GetAutoDialList(args.I2(0))));
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

bool CFonerixCtrl::LookForDevice(DEVICEINFO* info) {
    // The current device goes first, also when there is no record to fill.
    m_device.reset();
    ++m_deviceGeneration;
    if (info == nullptr) {
        return false;
    }

    // Each probe that reaches a set puts a new Caption into the record. The probes work on a
    // copy, and only the last caption reaches the caller; the caller's own Caption is the
    // caller's and is never freed here.
    DEVICEINFO probe = *info;
    probe.Caption = nullptr;
    BSTR caption = nullptr;
    bool answered = false;
    const auto tryClass = [&](std::unique_ptr<CDevice> device, uint8_t port) {
        const bool found = device->LookForDevice(probe, port);
        if (probe.Caption != nullptr) {
            answered = true;
            SysFreeString(caption);
            caption = std::exchange(probe.Caption, nullptr);
        }
        // A refused object is destroyed here, which sends its set back to sleep and frees the
        // port for the next class.
        return found ? std::move(device) : nullptr;
    };
    constexpr uint8_t kAllPorts = 0;
    std::unique_ptr<CDevice> found = tryClass(std::make_unique<CVarkonDevice>(), kAllPorts);
    if (!found) {
        found = tryClass(std::make_unique<CZeltaDevice>(), kAllPorts);
    }
    // The flash models of types 6 and 7 answer the first flash class, which refuses them;
    // their own class is tried on the port where they answered.
    if (!found && answered && probe.Port >= 1 && probe.Port <= 4) {
        const auto port = static_cast<uint8_t>(probe.Port);
        if (probe.devType == 6) {
            found = tryClass(std::make_unique<CZelta6Device>(), port);
        } else if (probe.devType == 7) {
            found = tryClass(std::make_unique<CZelta7Device>(), port);
        }
    }

    const BSTR callers = info->Caption;
    *info = probe;
    info->Caption = caption != nullptr ? caption : callers;
    if (!found) {
        info->inUse = 0;
        return false;
    }
    m_device = std::move(found);
    m_device->SetNotifyWindow(&m_window);
    m_device->SleepDevice();
    return true;
}

void CFonerixCtrl::ShowAboutBox() {
    const CComPtr<IHostDialogs> dialogs = FindHostDialogs(m_site.Get());
    if (!dialogs) {
        return;
    }
    static const std::u16string kTitle = u"About Fonerix Control";
    static const std::u16string kLine = u"Fonerix Control, Version 1.0";
    const OLECHAR* lines[] = {kLine.c_str()};
    DialogContent content;
    content.title = kTitle.c_str();
    content.lines = lines;
    content.lineCount = 1;
    // A host without a user interface answers E_NOTIMPL; the about box is then simply not
    // shown.
    dialogs->ShowModal(content);
}

}  // namespace fonerix
