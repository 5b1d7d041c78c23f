#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// The bit rules of the page "Специальные": the configuration register's boxes, the working mode
// and the auto-dial list. Every rule works on a value read from the set just before, so a change
// made on the set itself since the page was shown is kept.
namespace fonedesk::special_settings {

// ConfigRegister: boxes 1024 to 1030 show bits 1 to 7 (box id - 1023); bit 0 has no box.
inline constexpr int kFirstConfigBit = 1;
inline constexpr int kLastConfigBit = 7;
inline constexpr int kFirstConfigBox = 1024;

constexpr int ConfigBitOfBox(int boxId) {
    return boxId - (kFirstConfigBox - kFirstConfigBit);
}
constexpr int ConfigMask(int bit) {
    return 1 << bit;
}
// Whether the box of `bit` is ticked for a register that reads `value`.
bool ConfigBitShown(int value, int bit);
// The register to write after a click on the box of `bit`: the value read now with the bit set
// when the box became ticked, cleared when it became unticked. Only the box's bit changes.
int ConfigAfterClick(int readNow, int bit, bool checked);

// DeviceMode: the mode in the high nibble; the low nibble belongs to the set and stays as read.
enum class DeviceModeChoice { Normal, Redirection, AnsweringMachine, Recorder };
// The value to write when `choice` is clicked: the low nibble of `readNow` with the choice's
// high nibble (normal 0x00, redirection 0x10, answering machine 0x40, recorder 0x80).
int DeviceModeAfterChoice(int readNow, DeviceModeChoice choice);
// The choice shown for a register that reads `value`. The set reports redirection as 0x20,
// though it is switched on by writing 0x10; any high nibble it does not report as a mode
// (0x10 included) shows as normal.
DeviceModeChoice DeviceModeShown(int value);

// The auto-dial list crosses to the set as one text, its entries separated by ';'.
inline constexpr QChar kAutoDialDelimiter = QLatin1Char(';');
// The set keeps at most eleven auto-dial numbers.
inline constexpr int kAutoDialLimit = 11;

// The entries of the set's text: none for an empty text, else the pieces between the delimiters
// (empty ones included), as SplitFields cuts a line.
QStringList SplitAutoDialList(const QString& text);
// The entries in order with the delimiter between them, none leading or trailing.
QString JoinAutoDialList(const QStringList& entries);
// Whether a list of `count` entries takes one more.
constexpr bool CanAddAutoDialEntry(int count) {
    return count < kAutoDialLimit;
}

}  // namespace fonedesk::special_settings
