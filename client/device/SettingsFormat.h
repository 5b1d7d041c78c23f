#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>
#include <array>
#include <cstdint>
#include <optional>

#include "control/device/Records.h"
#include "platform/automation/Date.h"

namespace fonedesk {

// The rules of the settings pages that need no window: texts, register bits, the caller-ID
// query form and the defaults of the caller-ID parameters.

// Call minutes as the general page shows them: "02ч. 05м. (125 мин.)".
QString MinutesText(int minutes);
// The firmware version comes first: "ver. prg.dev".
QString VersionText(unsigned firmwareVersion, unsigned hardwareVersion);
QString PortText(unsigned port);
QString BaudRateText(unsigned baudRate);

// AlarmActivity: bit 0 switches the alarm on; one bit per weekday, Monday 0x80 down to Sunday
// 0x02.
namespace alarm {
inline constexpr int kActive = 0x01;
// Monday first, in the order of the page's boxes.
inline constexpr std::array<int, 7> kWeekdayMasks = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02};
}  // namespace alarm

// What a click on "Активизирован" writes, from the value read from the set just now.
int AlarmActivatedValue(int readNow, bool checked);
// What a click on a weekday box writes, from the value read from the set just now. Unticking
// clears the day's bit: flipping it instead would switch the day on whenever the set no longer
// had it (changed on the set, or a failed read), the opposite of what was asked.
int AlarmWeekdayValue(int readNow, int dayMask, bool checked);

// The alarm's DATE holds only a time of day (1899-12-30): to and from the picker's time, to the
// minute. The date 0 is midnight here: a failed read and 00:00 look alike, as on the set.
QTime AlarmTimeFromDate(fonerix::DATE date);
fonerix::DATE DateFromAlarmTime(const QTime& time);

// The set's clock for the pickers. A failed read (the date 0) is shown as what it is,
// 30.12.1899 00:00:00, not as some plausible time.
QDateTime ClockFromDate(fonerix::DATE date);
// The date of one picker with the time of the other, for DeviceTime; nothing for parts that
// make no date.
std::optional<fonerix::DATE> DateFromClock(const QDate& date, const QTime& time);

// The caller-ID query form byte: the number of queries in the low nibble, one waveform flag per
// query in the high nibble (boxes 1 to 4: 0x80, 0x40, 0x20, 0x10).
namespace queryform {
inline constexpr std::array<uint8_t, 4> kWaveformMasks = {0x80, 0x40, 0x20, 0x10};
}  // namespace queryform

int QueryCount(uint8_t form);
bool QueryWaveform(uint8_t form, int box);
// The count keeps only its low nibble; the flags fill the high one.
uint8_t QueryForm(int count, const std::array<bool, 4>& waveforms);

// "Восстановить": the line input's and the parallel telephone's parameters as shipped.
fonerix::AUTODETPARAMS DefaultCurrentParams();
fonerix::AUTODETPARAMS DefaultParallelParams();

}  // namespace fonedesk
