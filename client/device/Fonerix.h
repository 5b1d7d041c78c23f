#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <memory>

#include "client/data/DeviceLists.h"
#include "client/device/Keypad.h"
#include "control/device/Records.h"
#include "platform/automation/CreateObject.h"
#include "platform/automation/Date.h"

class QSocketNotifier;

namespace fonedesk {

class IDeviceEventHandler;
class IHostDialogService;

// The client's one way to the device: the control FONERIX created from its class identifier
// through the registry, each operation one Invoke by DISPID (never by name). Records go by
// address in VARIANT* slots; strings are allocated here from the caller's text and freed after
// the call. The control's event window is watched by the Qt event loop, and its events reach
// the handler on this (the user-interface) thread.
//
// Without a created control every operation gives the control's own failure answer (FALSE, -1,
// an empty text, the date 0), so callers need no second check.
class CFonerix : public QObject, public IDeviceLists, public IKeypadDevice {
    Q_OBJECT
  public:
    explicit CFonerix(QObject* parent = nullptr);
    ~CFonerix() override;

    // Creates the control, gives it the host site (its about box is drawn through `dialogs`,
    // may be null) and advises the event sink for `events` (may be null). On failure `failure`
    // says which step failed and why; the wrapper then has no control. A control made before
    // is released first.
    bool CreateControl(IDeviceEventHandler* events, IHostDialogService* dialogs,
                       fonerix::CreateFailure& failure);
    bool IsCreated() const;
    // Unadvises, takes the site back and releases the control; no device call is made.
    void Release();

    // Methods.
    bool LookForDevice(fonerix::DEVICEINFO* info);
    bool GetDeviceInfo(fonerix::DEVICEINFO* info);
    void EnableDeviceEvents();
    void DialNumber(const QString& number) override;
    bool WakeupDevice(bool writePermission) override;
    bool SleepDevice() override;
    bool GetPhoneBook(fonerix::PHBOOKRECORD* record) override;
    bool GetIncomeBook(fonerix::PHBOOKRECORD* record) override;
    bool GetOutcomeBook(fonerix::PHBOOKRECORD* record) override;
    bool KeyPress(short keyCode) override;
    bool GetSoundMessage(short handle, const QString& path);
    bool GetCallsStatistic(fonerix::CALLSTATISTIC* statistic);
    bool GetAutodetParams(fonerix::AUTODETPARAMS* first, fonerix::AUTODETPARAMS* second);
    bool SetAutodetParams(fonerix::AUTODETPARAMS* first, fonerix::AUTODETPARAMS* second);
    bool SetSoundMessage(short* handle, const QString& path);
    bool DelSoundMessage(short handle);
    short GetSoundHandles(short* table, short count);
    bool SetSoundHandles(short* table, short count);
    int GetFreeSoundSpace();
    bool SetAutoDialList(const QString& list, QChar delimiter);
    QString GetAutoDialList(QChar delimiter);

    // Properties.
    short GetStateRegister(short reg) override;
    void SetStateRegister(short reg, short value) override;
    QString GetDeviceBuffer() override;
    fonerix::DATE GetDeviceTime();
    void SetDeviceTime(fonerix::DATE time);
    short GetNumLength() override;
    void SetNumLength(short value);
    short GetSkipBells();
    void SetSkipBells(short value);
    short GetBellMelody();
    void SetBellMelody(short value);
    short GetBellVolume();
    void SetBellVolume(short value);
    short GetSoundVolume();
    void SetSoundVolume(short value);
    short GetUtCallup();
    void SetUtCallup(short value);
    short GetUtLineFree();
    void SetUtLineFree(short value);
    short GetConfigRegister();
    void SetConfigRegister(short value);
    short GetDeviceMode();
    void SetDeviceMode(short value);
    fonerix::DATE GetAlarmTime();
    void SetAlarmTime(fonerix::DATE time);
    short GetAlarmActivity();
    void SetAlarmActivity(short value);
    short GetSndRecordTime();
    void SetSndRecordTime(short value);
    QString GetRedirectionNumber();
    void SetRedirectionNumber(const QString& number);

    // The control's own about box, shown through the host dialog service.
    void AboutBox();

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Local date-time <-> automation date; an invalid QDateTime for the date 0 (a failed read).
fonerix::DATE DateFromDateTime(const QDateTime& time);
QDateTime DateTimeFromDate(fonerix::DATE date);

}  // namespace fonedesk
