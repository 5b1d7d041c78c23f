#pragma once

#include <QString>
#include <optional>

namespace fonedesk {

// What the keypad needs of the control. The client's wrapper CFonerix implements it; a test may
// implement it too.
class IKeypadDevice {
  public:
    virtual ~IKeypadDevice() = default;
    // 255 when the set did not answer, -1 without a set.
    virtual short GetStateRegister(short reg) = 0;
    virtual void SetStateRegister(short reg, short value) = 0;
    virtual bool KeyPress(short keyCode) = 0;
    virtual QString GetDeviceBuffer() = 0;
    virtual void DialNumber(const QString& number) = 0;
};

// Key codes the keypad sends with KeyPress, and the state-register bits its toggles switch.
namespace keypad {
inline constexpr short kKeyZero = 10;
inline constexpr short kKeyStar = 11;
inline constexpr short kKeyHash = 12;
inline constexpr short kKeyFlash = 13;
inline constexpr short kKeyHold = 14;
inline constexpr short kKeyPause = 15;
inline constexpr short kKeyMicrophone = 31;  // reported by the set only
inline constexpr short kKeySpeaker = 33;
inline constexpr short kKeyCancel = 64;

inline constexpr short kMicrophoneRegister = 0;
inline constexpr short kMicrophoneBit = 0x02;
inline constexpr short kSpeakerRegister = 3;
inline constexpr short kSpeakerBit = 0x20;
inline constexpr short kFlashRegister = 3;
inline constexpr short kFlashBit = 0x10;
}  // namespace keypad

// The keypad's rules without its window: which code each key button sends, what the display
// shows after it, and the function keys that switch a bit of a state register.
//
// The echo flag says that the next function-key command mirrors a key pressed on the set
// itself: the set has switched already, so the command writes the register back as it is and
// only the button follows.
class CKeypad {
  public:
    // What the display shows after a key button.
    enum class Display { Buffer, Unchanged, Cleared };
    struct KeyButton {
        short code;
        Display display;
    };

    explicit CKeypad(IKeypadDevice& device);

    // The key buttons: the digits 1000 to 1011 (1 to 9, star, zero, hash), pause 1020, hold 1018
    // and cancel 1019; nothing for any other id.
    static std::optional<KeyButton> KeyButtonOf(int buttonId);
    // The button whose command mirrors key `keyCode` pressed on the set (flash 13, microphone 31,
    // speaker 33), or 0.
    static int MirrorButtonOf(int keyCode);

    // Sends the key of button `buttonId`. The display's text afterwards (the set's number buffer
    // as it holds it now, or empty for cancel), or nothing when the display stays as it is.
    std::optional<QString> PressKeyButton(int buttonId);

    // Bit 1 of state register 0.
    void ToggleMicrophone();
    // Bit 5 of state register 3, then the speaker key. The caller stops the tray's ringing.
    void ToggleSpeaker();
    // Bit 4 of state register 3 set, then the flash key; the echo flag is cleared. The caller
    // stops the tray's ringing.
    void Flash();
    // The set dials `number` (the display's text).
    void Redial(const QString& number);

    QString DeviceBuffer();

    void SetEcho() { m_echo = true; }
    bool IsEcho() const { return m_echo; }

  private:
    void ToggleBit(short reg, short bit);

    IKeypadDevice& m_device;
    bool m_echo = false;
};

}  // namespace fonedesk
