#include "client/device/Keypad.h"

#include "client/resources/resource.h"

namespace fonedesk {

using namespace keypad;

namespace {

// Without a set the read answers -1, which is no register byte: nothing is written back. (A set
// that did not answer gives 255, which a register may also hold, e.g. after the microphone bit
// of 0xFD was switched; that one cannot be told apart and is taken as the register's value.)
bool IsRegisterValue(short value) {
    return value >= 0 && value <= 0xFF;
}

}  // namespace

CKeypad::CKeypad(IKeypadDevice& device) : m_device(device) {}

std::optional<CKeypad::KeyButton> CKeypad::KeyButtonOf(int buttonId) {
    if (buttonId >= IDC_KEY_1 && buttonId <= IDC_KEY_9) {
        return KeyButton{static_cast<short>(buttonId - IDC_KEY_1 + 1), Display::Buffer};
    }
    switch (buttonId) {
        case IDC_KEY_STAR:
            return KeyButton{kKeyStar, Display::Buffer};
        case IDC_KEY_0:
            return KeyButton{kKeyZero, Display::Buffer};
        case IDC_KEY_HASH:
            return KeyButton{kKeyHash, Display::Buffer};
        case IDC_KEY_PAUSE:
            return KeyButton{kKeyPause, Display::Buffer};
        case IDC_KEY_HOLD:
            return KeyButton{kKeyHold, Display::Unchanged};
        case IDC_KEY_CANCEL:
            return KeyButton{kKeyCancel, Display::Cleared};
        default:
            return std::nullopt;
    }
}

int CKeypad::MirrorButtonOf(int keyCode) {
    switch (keyCode) {
        case kKeyFlash:
            return IDC_KEY_FLASH;
        case kKeyMicrophone:
            return IDC_KEY_MICROPHONE;
        case kKeySpeaker:
            return IDC_KEY_SPEAKER;
        default:
            return 0;
    }
}

std::optional<QString> CKeypad::PressKeyButton(int buttonId) {
    const std::optional<KeyButton> key = KeyButtonOf(buttonId);
    if (!key) {
        return std::nullopt;
    }
    m_device.KeyPress(key->code);
    switch (key->display) {
        case Display::Buffer:
            // What the set holds now, not what was clicked: a key the set refused shows as such.
            return m_device.GetDeviceBuffer();
        case Display::Cleared:
            return QString();
        case Display::Unchanged:
            break;
    }
    return std::nullopt;
}

void CKeypad::ToggleBit(short reg, short bit) {
    const short value = m_device.GetStateRegister(reg);
    const bool echo = m_echo;
    m_echo = false;
    if (!IsRegisterValue(value)) {
        return;
    }
    const short chosen = echo ? value : static_cast<short>(value ^ bit);
    m_device.SetStateRegister(reg, static_cast<short>(chosen & 0xFF));
}

void CKeypad::ToggleMicrophone() {
    ToggleBit(kMicrophoneRegister, kMicrophoneBit);
}

void CKeypad::ToggleSpeaker() {
    ToggleBit(kSpeakerRegister, kSpeakerBit);
    m_device.KeyPress(kKeySpeaker);
}

void CKeypad::Flash() {
    const short value = m_device.GetStateRegister(kFlashRegister);
    if (IsRegisterValue(value)) {
        m_device.SetStateRegister(kFlashRegister, static_cast<short>(value | kFlashBit));
    }
    m_device.KeyPress(kKeyFlash);
    m_echo = false;
}

void CKeypad::Redial(const QString& number) {
    m_device.DialNumber(number);
}

QString CKeypad::DeviceBuffer() {
    return m_device.GetDeviceBuffer();
}

}  // namespace fonedesk
