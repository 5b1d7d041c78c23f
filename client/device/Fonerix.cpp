#include "client/device/Fonerix.h"

#include <QSocketNotifier>
#include <array>
#include <utility>

#include "client/device/BstrText.h"
#include "client/device/DeviceEventSink.h"
#include "client/device/HostSite.h"
#include "control/automation/FonerixInterface.h"
#include "platform/automation/ConnectionPoint.h"
#include "platform/automation/HostServices.h"

namespace fonedesk {

using namespace fonerix;

namespace {

// The control's answers when it has no set; the wrapper gives the same without a control.
constexpr short kNoI2 = -1;
constexpr short kNoAlarmActivity = 0;
constexpr short kNoSndRecordTime = 0;
constexpr int kNoFreeSoundSpace = 0;

bool ToBool(const CVariant& v) {
    CVariant converted;
    if (v.vt() == VT_EMPTY || FAILED(VariantChangeType(converted.get(), v.get(), VT_BOOL))) {
        return false;
    }
    return converted->boolVal != VARIANT_FALSE;
}

short ToShort(const CVariant& v, short failure) {
    CVariant converted;
    if (v.vt() == VT_EMPTY || FAILED(VariantChangeType(converted.get(), v.get(), VT_I2))) {
        return failure;
    }
    return converted->iVal;
}

int ToInt(const CVariant& v, int failure) {
    CVariant converted;
    if (v.vt() == VT_EMPTY || FAILED(VariantChangeType(converted.get(), v.get(), VT_I4))) {
        return failure;
    }
    return converted->lVal;
}

DATE ToDate(const CVariant& v) {
    return v.vt() == VT_DATE ? v->date : 0.0;
}

// The result's string is freed with the variant.
QString ToText(const CVariant& v) {
    return v.vt() == VT_BSTR ? TextFromBstr(v->bstrVal) : QString();
}

CVariant I2(short value) {
    return CVariant(static_cast<int16_t>(value));
}

CVariant Delimiter(QChar delimiter) {
    return I2(static_cast<short>(delimiter.unicode()));
}

}  // namespace

struct CFonerix::Impl {
    CComPtr<IDispatch> control;
    CComPtr<IObjectWithSite> siteHolder;  // the control's side of the site
    CComPtr<CHostSite> site;
    std::shared_ptr<DeviceEventTarget> target;
    CComPtr<CEventSink> sink;
    uint32_t cookie = 0;
    CComPtr<IEventWindow> window;
    QSocketNotifier* notifier = nullptr;
    int dispatching = 0;
    // False once the wrapper is gone; a handler may destroy it from inside an event.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    ~Impl() {
        Drop();
        *alive = false;
    }

    // One call by DISPID; the result is empty when there is no control or the call failed.
    template <class... Args>
    CVariant Invoke(DISPID dispid, uint16_t flags, Args&&... args) {
        CVariant result;
        // A handler run from inside the call (the about box's event loop) may release the
        // wrapper's reference.
        const CComPtr<IDispatch> object = control;
        if (!object) {
            return result;
        }
        const std::array<CVariant, sizeof...(Args)> list{std::forward<Args>(args)...};
        if (FAILED(DispatchCall(object.Get(), dispid, flags, list, result.get()))) {
            return CVariant();
        }
        return result;
    }
    template <class... Args>
    CVariant Method(DISPID dispid, Args&&... args) {
        return Invoke(dispid, DISPATCH_METHOD, std::forward<Args>(args)...);
    }
    CVariant Get(DISPID dispid) { return Invoke(dispid, DISPATCH_PROPERTYGET); }
    void Put(DISPID dispid, CVariant value) {
        Invoke(dispid, DISPATCH_PROPERTYPUT, std::move(value));
    }
    short GetShort(DISPID dispid, short failure) { return ToShort(Get(dispid), failure); }
    void PutShort(DISPID dispid, short value) { Put(dispid, I2(value)); }
    QString GetText(DISPID dispid) { return ToText(Get(dispid)); }
    void PutText(DISPID dispid, const QString& text) {
        CCallString value(text);
        Put(dispid, CVariant::Ref(value.Slot()));
    }

    void OnWindowReadable();
    void DropNotifier();
    void Drop();
};

void CFonerix::Impl::OnWindowReadable() {
    const CComPtr<IEventWindow> events = window;
    QSocketNotifier* const watching = notifier;
    if (!events || watching == nullptr) {
        return;
    }
    const std::shared_ptr<bool> stillHere = alive;
    // The control fires one event at a time: a handler's modal loop gets no further events
    // until it has returned.
    watching->setEnabled(false);
    ++dispatching;
    events->DispatchPending(nullptr);
    if (!*stillHere) {
        return;
    }
    --dispatching;
    if (notifier == watching) {
        watching->setEnabled(true);
    }
}

void CFonerix::Impl::DropNotifier() {
    if (notifier == nullptr) {
        return;
    }
    QSocketNotifier* const gone = std::exchange(notifier, nullptr);
    gone->setEnabled(false);
    if (dispatching > 0) {
        // Released from inside an event: the notifier's own signal is still being delivered.
        gone->deleteLater();
    } else {
        delete gone;
    }
}

void CFonerix::Impl::Drop() {
    if (target) {
        target->handler = nullptr;
    }
    if (site) {
        site->Detach();
    }
    if (control && cookie != 0) {
        UnadviseSink(control.Get(), kFonerixEventsIid, cookie);
    }
    cookie = 0;
    if (siteHolder) {
        siteHolder->SetSite(nullptr);
    }
    DropNotifier();
    window.Reset();
    siteHolder.Reset();
    site.Reset();
    sink.Reset();
    target.reset();
    control.Reset();
}

CFonerix::CFonerix(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {}

CFonerix::~CFonerix() = default;

bool CFonerix::CreateControl(IDeviceEventHandler* events, IHostDialogService* dialogs,
                             CreateFailure& failure) {
    Release();
    failure = CreateFailure();
    CComPtr<IDispatch> control;
    const std::string clsid = FormatGuid(kFonerixCtrlClsid);
    if (const HRESULT hr = CreateObject(clsid, kFonerixDispatchIid, control.PutVoid(), &failure);
        FAILED(hr) || !control) {
        if (failure.message.empty()) {
            failure.hr = hr;
            failure.message =
                "the control " + clsid + " could not be created: " + DescribeResult(hr);
        }
        return false;
    }

    // Without its window the control's events would never be handled, and the set's line
    // watcher would wait for them for ever.
    CComPtr<IEventWindow> window = control.As<IEventWindow>();
    int fd = -1;
    if (!window || FAILED(window->GetDescriptor(&fd)) || fd < 0) {
        failure = {CreateStep::CreateInstance, E_NOINTERFACE,
                   "the control " + clsid + " offers no event window"};
        return false;
    }

    d->control = control;
    d->site = MakeObject<CHostSite>(dialogs);
    // A control without a site still works; only its about box has nowhere to go.
    d->siteHolder = control.As<IObjectWithSite>();
    if (d->siteHolder) {
        d->siteHolder->SetSite(d->site.Get());
    }

    d->target = std::make_shared<DeviceEventTarget>();
    d->target->handler = events;
    d->sink = MakeDeviceEventSink(d->target);
    if (const HRESULT hr = AdviseSink(control.Get(), kFonerixEventsIid, d->sink.Get(), &d->cookie);
        FAILED(hr)) {
        d->cookie = 0;
        d->Drop();
        failure = {
            CreateStep::CreateInstance, hr,
            "cannot connect to the events of the control " + clsid + ": " + DescribeResult(hr)};
        return false;
    }

    d->window = window;
    d->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    Impl* const impl = d.get();
    connect(d->notifier, &QSocketNotifier::activated, d->notifier,
            [impl] { impl->OnWindowReadable(); });
    return true;
}

bool CFonerix::IsCreated() const {
    return static_cast<bool>(d->control);
}

void CFonerix::Release() {
    d->Drop();
}

bool CFonerix::LookForDevice(DEVICEINFO* info) {
    return ToBool(d->Method(kDispLookForDevice, CVariant::RecordRef(info)));
}

bool CFonerix::GetDeviceInfo(DEVICEINFO* info) {
    return ToBool(d->Method(kDispGetDeviceInfo, CVariant::RecordRef(info)));
}

void CFonerix::EnableDeviceEvents() {
    d->Method(kDispEnableDeviceEvents);
}

void CFonerix::DialNumber(const QString& number) {
    CCallString text(number);
    d->Method(kDispDialNumber, CVariant::Ref(text.Slot()));
}

bool CFonerix::WakeupDevice(bool writePermission) {
    return ToBool(d->Method(kDispWakeupDevice, CVariant(writePermission)));
}

bool CFonerix::SleepDevice() {
    return ToBool(d->Method(kDispSleepDevice));
}

bool CFonerix::GetPhoneBook(PHBOOKRECORD* record) {
    return ToBool(d->Method(kDispGetPhoneBook, CVariant::RecordRef(record)));
}

bool CFonerix::GetIncomeBook(PHBOOKRECORD* record) {
    return ToBool(d->Method(kDispGetIncomeBook, CVariant::RecordRef(record)));
}

bool CFonerix::GetOutcomeBook(PHBOOKRECORD* record) {
    return ToBool(d->Method(kDispGetOutcomeBook, CVariant::RecordRef(record)));
}

bool CFonerix::KeyPress(short keyCode) {
    return ToBool(d->Method(kDispKeyPress, I2(keyCode)));
}

bool CFonerix::GetSoundMessage(short handle, const QString& path) {
    CCallString file(path);
    return ToBool(d->Method(kDispGetSoundMessage, I2(handle), CVariant::Ref(file.Slot())));
}

bool CFonerix::GetCallsStatistic(CALLSTATISTIC* statistic) {
    return ToBool(d->Method(kDispGetCallsStatistic, CVariant::RecordRef(statistic)));
}

bool CFonerix::GetAutodetParams(AUTODETPARAMS* first, AUTODETPARAMS* second) {
    return ToBool(
        d->Method(kDispGetAutodetParams, CVariant::RecordRef(first), CVariant::RecordRef(second)));
}

bool CFonerix::SetAutodetParams(AUTODETPARAMS* first, AUTODETPARAMS* second) {
    return ToBool(
        d->Method(kDispSetAutodetParams, CVariant::RecordRef(first), CVariant::RecordRef(second)));
}

bool CFonerix::SetSoundMessage(short* handle, const QString& path) {
    CCallString file(path);
    return ToBool(
        d->Method(kDispSetSoundMessage, CVariant::Ref(handle), CVariant::Ref(file.Slot())));
}

bool CFonerix::DelSoundMessage(short handle) {
    return ToBool(d->Method(kDispDelSoundMessage, I2(handle)));
}

short CFonerix::GetSoundHandles(short* table, short count) {
    return ToShort(d->Method(kDispGetSoundHandles, CVariant::Ref(table), I2(count)), kNoI2);
}

bool CFonerix::SetSoundHandles(short* table, short count) {
    return ToBool(d->Method(kDispSetSoundHandles, CVariant::Ref(table), I2(count)));
}

int CFonerix::GetFreeSoundSpace() {
    return ToInt(d->Method(kDispGetFreeSoundSpace), kNoFreeSoundSpace);
}

bool CFonerix::SetAutoDialList(const QString& list, QChar delimiter) {
    CCallString text(list);
    return ToBool(
        d->Method(kDispSetAutoDialList, CVariant::Ref(text.Slot()), Delimiter(delimiter)));
}

QString CFonerix::GetAutoDialList(QChar delimiter) {
    return ToText(d->Method(kDispGetAutoDialList, Delimiter(delimiter)));
}

short CFonerix::GetStateRegister(short reg) {
    return ToShort(d->Invoke(kDispStateRegister, DISPATCH_PROPERTYGET, I2(reg)), kNoI2);
}

void CFonerix::SetStateRegister(short reg, short value) {
    d->Invoke(kDispStateRegister, DISPATCH_PROPERTYPUT, I2(reg), I2(value));
}

QString CFonerix::GetDeviceBuffer() {
    return d->GetText(kDispDeviceBuffer);
}

DATE CFonerix::GetDeviceTime() {
    return ToDate(d->Get(kDispDeviceTime));
}

void CFonerix::SetDeviceTime(DATE time) {
    d->Put(kDispDeviceTime, CVariant::FromDate(time));
}

short CFonerix::GetNumLength() {
    return d->GetShort(kDispNumLength, kNoI2);
}

void CFonerix::SetNumLength(short value) {
    d->PutShort(kDispNumLength, value);
}

short CFonerix::GetSkipBells() {
    return d->GetShort(kDispSkipBells, kNoI2);
}

void CFonerix::SetSkipBells(short value) {
    d->PutShort(kDispSkipBells, value);
}

short CFonerix::GetBellMelody() {
    return d->GetShort(kDispBellMelody, kNoI2);
}

void CFonerix::SetBellMelody(short value) {
    d->PutShort(kDispBellMelody, value);
}

short CFonerix::GetBellVolume() {
    return d->GetShort(kDispBellVolume, kNoI2);
}

void CFonerix::SetBellVolume(short value) {
    d->PutShort(kDispBellVolume, value);
}

short CFonerix::GetSoundVolume() {
    return d->GetShort(kDispSoundVolume, kNoI2);
}

void CFonerix::SetSoundVolume(short value) {
    d->PutShort(kDispSoundVolume, value);
}

short CFonerix::GetUtCallup() {
    return d->GetShort(kDispUtCallup, kNoI2);
}

void CFonerix::SetUtCallup(short value) {
    d->PutShort(kDispUtCallup, value);
}

short CFonerix::GetUtLineFree() {
    return d->GetShort(kDispUtLineFree, kNoI2);
}

void CFonerix::SetUtLineFree(short value) {
    d->PutShort(kDispUtLineFree, value);
}

short CFonerix::GetConfigRegister() {
    return d->GetShort(kDispConfigRegister, kNoI2);
}

void CFonerix::SetConfigRegister(short value) {
    d->PutShort(kDispConfigRegister, value);
}

short CFonerix::GetDeviceMode() {
    return d->GetShort(kDispDeviceMode, kNoI2);
}

void CFonerix::SetDeviceMode(short value) {
    d->PutShort(kDispDeviceMode, value);
}

DATE CFonerix::GetAlarmTime() {
    return ToDate(d->Get(kDispAlarmTime));
}

void CFonerix::SetAlarmTime(DATE time) {
    d->Put(kDispAlarmTime, CVariant::FromDate(time));
}

short CFonerix::GetAlarmActivity() {
    return d->GetShort(kDispAlarmActivity, kNoAlarmActivity);
}

void CFonerix::SetAlarmActivity(short value) {
    d->PutShort(kDispAlarmActivity, value);
}

short CFonerix::GetSndRecordTime() {
    return d->GetShort(kDispSndRecordTime, kNoSndRecordTime);
}

void CFonerix::SetSndRecordTime(short value) {
    d->PutShort(kDispSndRecordTime, value);
}

QString CFonerix::GetRedirectionNumber() {
    return d->GetText(kDispRedirectionNumber);
}

void CFonerix::SetRedirectionNumber(const QString& number) {
    d->PutText(kDispRedirectionNumber, number);
}

void CFonerix::AboutBox() {
    d->Method(kDispAboutBox);
}

DATE DateFromDateTime(const QDateTime& time) {
    if (!time.isValid()) {
        return 0.0;
    }
    const QDateTime local = time.toLocalTime();
    const QDate date = local.date();
    const QTime clock = local.time();
    DateParts parts;
    parts.year = date.year();
    parts.month = date.month();
    parts.day = date.day();
    parts.hour = clock.hour();
    parts.minute = clock.minute();
    parts.second = clock.second();
    parts.dayOfWeek = date.dayOfWeek() % 7;  // Qt counts Monday 1 .. Sunday 7
    DATE result = 0.0;
    return MakeDate(parts, result) ? result : 0.0;
}

QDateTime DateTimeFromDate(DATE date) {
    DateParts parts;
    if (date == 0.0 || !SplitDate(date, parts)) {
        return {};
    }
    return QDateTime(QDate(parts.year, parts.month, parts.day),
                     QTime(parts.hour, parts.minute, parts.second));
}

}  // namespace fonedesk
