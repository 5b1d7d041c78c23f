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

// The register properties: one accessor pair of the device each, and the answer without one.
struct I2Property {
    DISPID dispid;
    int16_t (CDevice::*get)();
    void (CDevice::*put)(int16_t);
    int16_t noDevice;
};

constexpr I2Property kI2Properties[] = {
    {kDispNumLength, &CDevice::GetNumLength, &CDevice::SetNumLength, -1},
    {kDispSkipBells, &CDevice::GetSkipBells, &CDevice::SetSkipBells, -1},
    {kDispBellMelody, &CDevice::GetBellMelody, &CDevice::SetBellMelody, -1},
    {kDispBellVolume, &CDevice::GetBellVolume, &CDevice::SetBellVolume, -1},
    {kDispSoundVolume, &CDevice::GetSoundVolume, &CDevice::SetSoundVolume, -1},
    {kDispUtCallup, &CDevice::GetUtCallup, &CDevice::SetUtCallup, -1},
    {kDispUtLineFree, &CDevice::GetUtLineFree, &CDevice::SetUtLineFree, -1},
    {kDispConfigRegister, &CDevice::GetConfigRegister, &CDevice::SetConfigRegister, -1},
    {kDispDeviceMode, &CDevice::GetDeviceMode, &CDevice::SetDeviceMode, -1},
    {kDispDeviceRang, &CDevice::GetDeviceRang, &CDevice::SetDeviceRang, -1},
    {kDispAlarmActivity, &CDevice::GetAlarmActivity, &CDevice::SetAlarmActivity, 0},
    {kDispSndRecordTime, &CDevice::GetSndRecordTime, &CDevice::SetSndRecordTime, 0},
};

std::u16string Text(BSTR text) {
    return text != nullptr ? std::u16string(text, SysStringLen(text)) : std::u16string();
}

BSTR NewBstr(const std::u16string& text) {
    return SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
}

template <class Record>
Record* RecordArg(const DispArgs& args, size_t i) {
    return static_cast<Record*>(args.Record(i));
}

}  // namespace

CFonerixCtrl::CFonerixCtrl()
    : CDispatchObject(FonerixDispatchInfo()),
      events_(*static_cast<IDispatch*>(this), kFonerixEventsIid),
      window_([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
          return OnWindowMessage(message, wParam, lParam);
      }) {}

CFonerixCtrl::~CFonerixCtrl() {
    events_.UnadviseAll();
    // Sends the set to sleep and closes the port, which ends the watcher, before the window
    // it notifies goes away.
    device_.reset();
}

HRESULT CFonerixCtrl::FindConnectionPoint(const IID& events, IConnectionPoint** point) {
    if (point == nullptr) {
        return E_POINTER;
    }
    *point = nullptr;
    if (events != kFonerixEventsIid) {
        return E_NOINTERFACE;
    }
    *point = &events_;
    events_.AddRef();
    return S_OK;
}

HRESULT CFonerixCtrl::SetSite(IUnknown* site) {
    site_ = CComPtr<IUnknown>(site);
    return S_OK;
}

HRESULT CFonerixCtrl::GetDescriptor(int* fd) {
    if (fd == nullptr) {
        return E_POINTER;
    }
    *fd = window_.Descriptor();
    return S_OK;
}

HRESULT CFonerixCtrl::DispatchPending(uint32_t* handled) {
    // A sink may release the host's last reference while an event runs; the window must stay
    // until it has finished dispatching.
    const CComPtr<IEventWindow> self(this);
    const int count = window_.DispatchPending();
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
        modified_ = true;
    }
    CDevice* const dev = device_.get();
    for (const I2Property& p : kI2Properties) {
        if (p.dispid == member.dispid) {
            if (put) {
                if (dev != nullptr) {
                    (dev->*p.put)(args.I2(0));
                }
            } else {
                ReturnI2(result, dev != nullptr ? (dev->*p.get)() : p.noDevice);
            }
            return S_OK;
        }
    }
    switch (member.dispid) {
        case kDispDeviceBuffer:
            if (put) {
                if (dev != nullptr) {
                    dev->SetDeviceBuffer(Text(args.Bstr(0)));
                }
            } else {
                ReturnBstr(result, NewBstr(dev != nullptr ? dev->GetDeviceBuffer() : u""));
            }
            return S_OK;
        case kDispRedirectionNumber:
            if (put) {
                if (dev != nullptr) {
                    dev->SetRedirectionNumber(Text(args.Bstr(0)));
                }
            } else {
                ReturnBstr(result, NewBstr(dev != nullptr ? dev->GetRedirectionNumber() : u""));
            }
            return S_OK;
        case kDispDeviceTime:
            if (put) {
                if (dev != nullptr) {
                    dev->SetDeviceTime(args.Date(0));
                }
            } else {
                ReturnDate(result, dev != nullptr ? dev->GetDeviceTime() : 0.0);
            }
            return S_OK;
        case kDispAlarmTime:
            if (put) {
                if (dev != nullptr) {
                    dev->SetAlarmTime(args.Date(0));
                }
            } else {
                ReturnDate(result, dev != nullptr ? dev->GetAlarmTime() : 0.0);
            }
            return S_OK;
        case kDispStateRegister:
            if (put) {
                if (dev != nullptr) {
                    dev->SetStateRegister(args.I2(0), args.I2(1));
                }
            } else {
                ReturnI2(result, dev != nullptr ? dev->GetStateRegister(args.I2(0)) : -1);
            }
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT CFonerixCtrl::CallMethod(const MemberInfo& member, const DispArgs& args, VARIANT* result) {
    CDevice* const dev = device_.get();
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
            ReturnI2(result, dev->GetUtCurrent());
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
    device_.reset();
    ++deviceGeneration_;
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
    device_ = std::move(found);
    device_->SetNotifyWindow(&window_);
    device_->SleepDevice();
    return true;
}

void CFonerixCtrl::ShowAboutBox() {
    const CComPtr<IHostDialogs> dialogs = FindHostDialogs(site_.Get());
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
