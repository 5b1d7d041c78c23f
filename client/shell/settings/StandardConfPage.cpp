#include "client/shell/settings/StandardConfPage.h"

#include <QSignalBlocker>

#include "client/device/Fonerix.h"
#include "client/device/SettingsFormat.h"
#include "client/shell/WaitCursor.h"
#include "ui_StandardConfPage.h"

namespace fonedesk {

struct CStandardConfPage::Impl {
    explicit Impl(CFonerix& set) : device(set) {}

    void ShowClock(fonerix::DATE date);
    void WriteClock();
    void WriteAlarmActivity(int mask, bool checked);

    CFonerix& device;
    Ui::IDD_STANDARD_CONF_PAGE ui;
    std::array<QCheckBox*, 7> weekdays{};
    // Set by the arrows only: a field that merely loses the focus writes nothing, so a failed
    // read on screen (255, -1) never reaches the set as a clamped setting.
    bool melodyChanged = false;
    bool numLengthChanged = false;
};

void CStandardConfPage::Impl::ShowClock(fonerix::DATE date) {
    const QDateTime clock = ClockFromDate(date);
    const QSignalBlocker quietDate(ui.IDC_STANDARD_DATE);
    const QSignalBlocker quietTime(ui.IDC_STANDARD_TIME);
    ui.IDC_STANDARD_DATE->setDate(clock.date());
    ui.IDC_STANDARD_TIME->setTime(clock.time());
}

void CStandardConfPage::Impl::WriteClock() {
    const std::optional<fonerix::DATE> date =
        DateFromClock(ui.IDC_STANDARD_DATE->date(), ui.IDC_STANDARD_TIME->time());
    if (!date) {
        return;
    }
    CWaitCursor wait;
    device.SetDeviceTime(*date);
}

void CStandardConfPage::Impl::WriteAlarmActivity(int mask, bool checked) {
    CWaitCursor wait;
    // The set's own value, not the boxes: the set may have been changed since the page read it.
    const int now = device.GetAlarmActivity();
    const int value = mask == alarm::kActive ? AlarmActivatedValue(now, checked)
                                             : AlarmWeekdayValue(now, mask, checked);
    device.SetAlarmActivity(static_cast<short>(value));
}

CStandardConfPage::CStandardConfPage(CFonerix& device, const fonerix::DEVICEINFO& /*info*/,
                                     QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>(device)) {
    Ui::IDD_STANDARD_CONF_PAGE& ui = d->ui;
    ui.setupUi(this);
    ui.IDC_STANDARD_BELL_VOLUME->setRange(0, 7);
    ui.IDC_STANDARD_MELODY->SetLimits(1, 4);
    ui.IDC_STANDARD_NUM_LENGTH->SetLimits(4, 7);
    d->weekdays = {ui.IDC_STANDARD_MONDAY,   ui.IDC_STANDARD_TUESDAY, ui.IDC_STANDARD_WEDNESDAY,
                   ui.IDC_STANDARD_THURSDAY, ui.IDC_STANDARD_FRIDAY,  ui.IDC_STANDARD_SATURDAY,
                   ui.IDC_STANDARD_SUNDAY};

    Impl* p = d.get();
    connect(ui.IDC_STANDARD_DATE, &QDateEdit::dateChanged, this, [p] { p->WriteClock(); });
    connect(ui.IDC_STANDARD_TIME, &QTimeEdit::timeChanged, this, [p] { p->WriteClock(); });
    connect(ui.IDC_STANDARD_SYNCHRONIZE, &QPushButton::clicked, this, [p] {
        CWaitCursor wait;
        const QDateTime now = QDateTime::currentDateTime();
        if (const std::optional<fonerix::DATE> date = DateFromClock(now.date(), now.time())) {
            p->device.SetDeviceTime(*date);
        }
        p->ShowClock(p->device.GetDeviceTime());
    });

    connect(ui.IDC_STANDARD_BELL_VOLUME, &CReleaseSlider::released, this, [p](int position) {
        CWaitCursor wait;
        p->device.SetBellVolume(static_cast<short>(position));
    });
    connect(ui.IDC_STANDARD_MELODY, &QSpinBox::valueChanged, this,
            [p] { p->melodyChanged = true; });
    connect(ui.IDC_STANDARD_MELODY, &QAbstractSpinBox::editingFinished, this, [p] {
        if (p->melodyChanged) {
            p->melodyChanged = false;
            CWaitCursor wait;
            p->device.SetBellMelody(static_cast<short>(p->ui.IDC_STANDARD_MELODY->value()));
        }
    });
    connect(ui.IDC_STANDARD_NUM_LENGTH, &QSpinBox::valueChanged, this,
            [p] { p->numLengthChanged = true; });
    connect(ui.IDC_STANDARD_NUM_LENGTH, &QAbstractSpinBox::editingFinished, this, [p] {
        if (p->numLengthChanged) {
            p->numLengthChanged = false;
            CWaitCursor wait;
            p->device.SetNumLength(static_cast<short>(p->ui.IDC_STANDARD_NUM_LENGTH->value()));
        }
    });

    connect(ui.IDC_STANDARD_ALARM_TIME, &QTimeEdit::timeChanged, this, [p](QTime time) {
        CWaitCursor wait;
        p->device.SetAlarmTime(DateFromAlarmTime(time));
    });
    connect(ui.IDC_STANDARD_ALARM_ACTIVE, &QCheckBox::clicked, this,
            [p](bool checked) { p->WriteAlarmActivity(alarm::kActive, checked); });
    for (std::size_t day = 0; day < d->weekdays.size(); ++day) {
        const int mask = alarm::kWeekdayMasks[day];
        connect(d->weekdays[day], &QCheckBox::clicked, this,
                [p, mask](bool checked) { p->WriteAlarmActivity(mask, checked); });
    }
}

CStandardConfPage::~CStandardConfPage() {
    // The fields are deleted after the page's own part; one that loses the focus then must not
    // reach for it.
    for (QObject* child : findChildren<QObject*>()) {
        QObject::disconnect(child, nullptr, this, nullptr);
    }
}

void CStandardConfPage::Refresh() {
    CWaitCursor wait;
    Ui::IDD_STANDARD_CONF_PAGE& ui = d->ui;
    d->ShowClock(d->device.GetDeviceTime());
    ui.IDC_STANDARD_BELL_VOLUME->setValue(d->device.GetBellVolume());
    ui.IDC_STANDARD_MELODY->ShowValue(d->device.GetBellMelody());
    d->melodyChanged = false;
    ui.IDC_STANDARD_NUM_LENGTH->ShowValue(d->device.GetNumLength());
    d->numLengthChanged = false;
    {
        const QSignalBlocker quiet(ui.IDC_STANDARD_ALARM_TIME);
        ui.IDC_STANDARD_ALARM_TIME->setTime(AlarmTimeFromDate(d->device.GetAlarmTime()));
    }
    const int activity = d->device.GetAlarmActivity();
    ui.IDC_STANDARD_ALARM_ACTIVE->setChecked((activity & alarm::kActive) != 0);
    for (std::size_t day = 0; day < d->weekdays.size(); ++day) {
        d->weekdays[day]->setChecked((activity & alarm::kWeekdayMasks[day]) != 0);
    }
}

}  // namespace fonedesk
