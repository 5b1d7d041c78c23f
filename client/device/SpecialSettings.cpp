#include "client/device/SpecialSettings.h"

namespace fonedesk::special_settings {

namespace {

constexpr int kModeMask = 0xF0;
constexpr int kKeptMask = 0x0F;

}  // namespace

bool ConfigBitShown(int value, int bit) {
    return (value & ConfigMask(bit)) != 0;
}

int ConfigAfterClick(int readNow, int bit, bool checked) {
    // Clearing rather than flipping: if the set's own menu cleared the bit since the page was
    // shown, a flip would set it again against the unticked box.
    return checked ? (readNow | ConfigMask(bit)) : (readNow & ~ConfigMask(bit));
}

int DeviceModeAfterChoice(int readNow, DeviceModeChoice choice) {
    int mode = 0x00;
    switch (choice) {
        case DeviceModeChoice::Normal:
            mode = 0x00;
            break;
        case DeviceModeChoice::Redirection:
            mode = 0x10;
            break;
        case DeviceModeChoice::AnsweringMachine:
            mode = 0x40;
            break;
        case DeviceModeChoice::Recorder:
            mode = 0x80;
            break;
    }
    return (readNow & kKeptMask) | mode;
}

DeviceModeChoice DeviceModeShown(int value) {
    switch (value & kModeMask) {
        case 0x20:
            return DeviceModeChoice::Redirection;
        case 0x40:
            return DeviceModeChoice::AnsweringMachine;
        case 0x80:
            return DeviceModeChoice::Recorder;
        default:
            return DeviceModeChoice::Normal;
    }
}

QStringList SplitAutoDialList(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    return text.split(kAutoDialDelimiter, Qt::KeepEmptyParts);
}

QString JoinAutoDialList(const QStringList& entries) {
    return entries.join(kAutoDialDelimiter);
}

}  // namespace fonedesk::special_settings
