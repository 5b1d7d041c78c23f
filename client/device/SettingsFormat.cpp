#include "client/device/SettingsFormat.h"

#include "client/device/Fonerix.h"

namespace fonedesk {

QString MinutesText(int minutes) {
    return QString::asprintf("%.2dч. %.2dм. (%d мин.)", minutes / 60, minutes % 60, minutes);
}

QString VersionText(unsigned firmwareVersion, unsigned hardwareVersion) {
    return QString::asprintf("ver. %d.%d", static_cast<int>(firmwareVersion),
                             static_cast<int>(hardwareVersion));
}

QString PortText(unsigned port) {
    return QString::asprintf("COM %d", static_cast<int>(port));
}

QString BaudRateText(unsigned baudRate) {
    return QString::asprintf("%d bps", static_cast<int>(baudRate));
}

int AlarmActivatedValue(int readNow, bool checked) {
    return checked ? readNow | alarm::kActive : readNow & ~alarm::kActive;
}

int AlarmWeekdayValue(int readNow, int dayMask, bool checked) {
    return checked ? readNow | dayMask : readNow & ~dayMask;
}

QTime AlarmTimeFromDate(fonerix::DATE date) {
    fonerix::DateParts parts;
    if (!fonerix::SplitDate(date, parts)) {
        return QTime(0, 0);
    }
    return QTime(parts.hour, parts.minute);
}

fonerix::DATE DateFromAlarmTime(const QTime& time) {
    fonerix::DateParts parts;  // 1899-12-30, the day the alarm's DATE lives on
    if (time.isValid()) {
        parts.hour = time.hour();
        parts.minute = time.minute();
    }
    fonerix::DATE date = 0.0;
    fonerix::MakeDate(parts, date);
    return date;
}

QDateTime ClockFromDate(fonerix::DATE date) {
    fonerix::DateParts parts;
    if (!fonerix::SplitDate(date, parts)) {
        parts = fonerix::DateParts{};
    }
    return QDateTime(QDate(parts.year, parts.month, parts.day),
                     QTime(parts.hour, parts.minute, parts.second));
}

std::optional<fonerix::DATE> DateFromClock(const QDate& date, const QTime& time) {
    if (!date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    // The wrapper's conversion gives the date 0 only for a time it cannot express.
    const fonerix::DATE result = DateFromDateTime(QDateTime(date, time));
    if (result == 0.0) {
        return std::nullopt;
    }
    return result;
}

int QueryCount(uint8_t form) {
    return form & 0x0F;
}

bool QueryWaveform(uint8_t form, int box) {
    return box >= 0 && box < static_cast<int>(queryform::kWaveformMasks.size()) &&
           (form & queryform::kWaveformMasks[static_cast<std::size_t>(box)]) != 0;
}

uint8_t QueryForm(int count, const std::array<bool, 4>& waveforms) {
    uint8_t form = static_cast<uint8_t>(count & 0x0F);
    for (std::size_t box = 0; box < waveforms.size(); ++box) {
        if (waveforms[box]) {
            form |= queryform::kWaveformMasks[box];
        }
    }
    return form;
}

fonerix::AUTODETPARAMS DefaultCurrentParams() {
    fonerix::AUTODETPARAMS params{};
    params.queryTime = 130;
    params.queryForm = 0x54;  // four queries, waveform flags of the second and the fourth
    params.resolTime = 120;
    params.firstDelay = 230;
    params.minDigits = 2;
    return params;
}

fonerix::AUTODETPARAMS DefaultParallelParams() {
    fonerix::AUTODETPARAMS params = DefaultCurrentParams();
    params.queryForm = 0x04;  // four queries, no waveform flag
    return params;
}

}  // namespace fonedesk
