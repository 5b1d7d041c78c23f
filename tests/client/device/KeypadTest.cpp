// The keypad's rules against a set that records every call: the codes of the key buttons, what
// the display shows after them, the toggles of the microphone and speaker bits, flash, and the
// echo of a key pressed on the set itself.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "client/device/Keypad.h"
#include "client/resources/resource.h"

namespace fonedesk::test {
namespace {

// Registers that answer what was written; every call logged in order.
class CRecordingSet : public IKeypadDevice {
  public:
    short GetStateRegister(short reg) override {
        calls.push_back("get " + std::to_string(reg));
        const auto found = registers.find(reg);
        return found != registers.end() ? found->second : failedRead;
    }
    void SetStateRegister(short reg, short value) override {
        calls.push_back("set " + std::to_string(reg) + " " + std::to_string(value));
        registers[reg] = value;
    }
    bool KeyPress(short keyCode) override {
        calls.push_back("key " + std::to_string(keyCode));
        return true;
    }
    QString GetDeviceBuffer() override {
        calls.push_back("buffer");
        return buffer;
    }
    void DialNumber(const QString& number) override {
        calls.push_back("dial " + number.toStdString());
    }

    std::map<short, short> registers;
    short failedRead = 255;  // the answer for a register not in `registers`
    QString buffer;
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

TEST(KeypadKeys, EachKeyButtonSendsItsCodeAndShowsWhatTheSetHolds) {
    const struct {
        int id;
        short code;
        CKeypad::Display display;
    } cases[] = {
        {IDC_KEY_1, 1, CKeypad::Display::Buffer},
        {IDC_KEY_2, 2, CKeypad::Display::Buffer},
        {IDC_KEY_3, 3, CKeypad::Display::Buffer},
        {IDC_KEY_4, 4, CKeypad::Display::Buffer},
        {IDC_KEY_5, 5, CKeypad::Display::Buffer},
        {IDC_KEY_6, 6, CKeypad::Display::Buffer},
        {IDC_KEY_7, 7, CKeypad::Display::Buffer},
        {IDC_KEY_8, 8, CKeypad::Display::Buffer},
        {IDC_KEY_9, 9, CKeypad::Display::Buffer},
        {IDC_KEY_STAR, 11, CKeypad::Display::Buffer},
        {IDC_KEY_0, 10, CKeypad::Display::Buffer},
        {IDC_KEY_HASH, 12, CKeypad::Display::Buffer},
        {IDC_KEY_PAUSE, 15, CKeypad::Display::Buffer},
        {IDC_KEY_HOLD, 14, CKeypad::Display::Unchanged},
        {IDC_KEY_CANCEL, 64, CKeypad::Display::Cleared},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        CRecordingSet set;
        set.buffer = QStringLiteral("84951");
        CKeypad keypad(set);
        const std::optional<QString> shown = keypad.PressKeyButton(c.id);
        const std::string key = "key " + std::to_string(c.code);
        switch (c.display) {
            case CKeypad::Display::Buffer:
                EXPECT_EQ(set.calls, (Calls{key, "buffer"}));
                ASSERT_TRUE(shown.has_value());
                EXPECT_EQ(*shown, set.buffer);
                break;
            case CKeypad::Display::Unchanged:
                EXPECT_EQ(set.calls, Calls{key});
                EXPECT_FALSE(shown.has_value());
                break;
            case CKeypad::Display::Cleared:
                // Cleared without asking the set for its buffer.
                EXPECT_EQ(set.calls, Calls{key});
                ASSERT_TRUE(shown.has_value());
                EXPECT_TRUE(shown->isEmpty());
                break;
        }
    }
}

TEST(KeypadKeys, OtherButtonsAreNoKeys) {
    CRecordingSet set;
    CKeypad keypad(set);
    for (int id : {IDC_KEYPAD_DISPLAY, IDC_KEY_FLASH, IDC_KEY_SPEAKER, IDC_KEY_MICROPHONE,
                   IDC_KEY_REDIAL, IDC_SHORTCUT_SETTINGS, IDC_KEY_1 - 1, 0}) {
        EXPECT_FALSE(CKeypad::KeyButtonOf(id).has_value()) << id;
        EXPECT_FALSE(keypad.PressKeyButton(id).has_value()) << id;
    }
    EXPECT_TRUE(set.calls.empty());
}

TEST(KeypadKeys, OnlyFlashMicrophoneAndSpeakerOfTheSetAreMirrored) {
    EXPECT_EQ(CKeypad::MirrorButtonOf(13), IDC_KEY_FLASH);
    EXPECT_EQ(CKeypad::MirrorButtonOf(31), IDC_KEY_MICROPHONE);
    EXPECT_EQ(CKeypad::MirrorButtonOf(33), IDC_KEY_SPEAKER);
    for (int code : {0, 1, 10, 12, 14, 15, 30, 32, 34, 64}) {
        EXPECT_EQ(CKeypad::MirrorButtonOf(code), 0) << code;
    }
}

TEST(KeypadKeys, RedialDialsTheGivenText) {
    CRecordingSet set;
    CKeypad keypad(set);
    keypad.Redial(QStringLiteral("2345678"));
    EXPECT_EQ(set.calls, Calls{"dial 2345678"});
}

// Register values before the click, and what each toggle writes.
struct ToggleCase {
    short before;
    short microphone;  // register 0 after the microphone
    short speaker;     // register 3 after the speaker
    short flash;       // register 3 after flash
};

const ToggleCase kToggles[] = {
    {0x00, 0x02, 0x20, 0x10}, {0x02, 0x00, 0x22, 0x12},
    {0x20, 0x22, 0x00, 0x30}, {0x10, 0x12, 0x30, 0x10},  // flash keeps a bit that was set
    {0xFD, 0xFF, 0xDD, 0xFD},                            // the other bits stay
};

TEST(KeypadToggles, MicrophoneSwitchesBitOneOfRegisterZero) {
    for (const ToggleCase& c : kToggles) {
        SCOPED_TRACE(c.before);
        CRecordingSet set;
        set.registers = {{0, c.before}, {3, 0x55}};
        CKeypad keypad(set);
        keypad.ToggleMicrophone();
        EXPECT_EQ(set.calls, (Calls{"get 0", "set 0 " + std::to_string(c.microphone)}));
        keypad.ToggleMicrophone();
        EXPECT_EQ(set.registers[0], c.before);
        EXPECT_EQ(set.registers[3], 0x55);
    }
}

TEST(KeypadToggles, SpeakerSwitchesBitFiveOfRegisterThreeThenSendsItsKey) {
    for (const ToggleCase& c : kToggles) {
        SCOPED_TRACE(c.before);
        CRecordingSet set;
        set.registers = {{0, 0x55}, {3, c.before}};
        CKeypad keypad(set);
        keypad.ToggleSpeaker();
        EXPECT_EQ(set.calls, (Calls{"get 3", "set 3 " + std::to_string(c.speaker), "key 33"}));
        EXPECT_EQ(set.registers[0], 0x55);
    }
}

TEST(KeypadToggles, FlashSetsBitFourOfRegisterThreeThenSendsItsKey) {
    for (const ToggleCase& c : kToggles) {
        SCOPED_TRACE(c.before);
        CRecordingSet set;
        set.registers = {{3, c.before}};
        CKeypad keypad(set);
        keypad.Flash();
        EXPECT_EQ(set.calls, (Calls{"get 3", "set 3 " + std::to_string(c.flash), "key 13"}));
    }
}

TEST(KeypadEcho, AMirroredToggleWritesTheRegisterBackAsTheSetHasIt) {
    CRecordingSet set;
    set.registers = {{0, 0x02}, {3, 0x20}};
    CKeypad keypad(set);

    keypad.SetEcho();
    keypad.ToggleMicrophone();
    EXPECT_EQ(set.calls, (Calls{"get 0", "set 0 2"}));
    EXPECT_FALSE(keypad.IsEcho());

    // The speaker still sends its key when mirrored.
    set.calls.clear();
    keypad.SetEcho();
    keypad.ToggleSpeaker();
    EXPECT_EQ(set.calls, (Calls{"get 3", "set 3 32", "key 33"}));
    EXPECT_FALSE(keypad.IsEcho());

    // The echo was used up: the next clicks switch again.
    set.calls.clear();
    keypad.ToggleMicrophone();
    keypad.ToggleSpeaker();
    EXPECT_EQ(set.calls, (Calls{"get 0", "set 0 0", "get 3", "set 3 0", "key 33"}));
}

TEST(KeypadEcho, FlashClearsTheEchoSoTheNextMicrophoneClickSwitches) {
    CRecordingSet set;
    set.registers = {{0, 0x00}, {3, 0x00}};
    CKeypad keypad(set);
    keypad.SetEcho();
    keypad.Flash();
    EXPECT_FALSE(keypad.IsEcho());
    EXPECT_EQ(set.calls, (Calls{"get 3", "set 3 16", "key 13"}));

    set.calls.clear();
    keypad.ToggleMicrophone();
    EXPECT_EQ(set.calls, (Calls{"get 0", "set 0 2"}));
}

TEST(KeypadEcho, KeyButtonsLeaveTheEchoForTheFunctionKey) {
    CRecordingSet set;
    set.registers = {{0, 0x00}};
    CKeypad keypad(set);
    keypad.SetEcho();
    keypad.PressKeyButton(IDC_KEY_5);
    EXPECT_TRUE(keypad.IsEcho());
    set.calls.clear();
    keypad.ToggleMicrophone();
    EXPECT_EQ(set.calls, (Calls{"get 0", "set 0 0"}));
}

TEST(KeypadFailedReads, WithoutASetNoRegisterIsWritten) {
    CRecordingSet set;
    set.failedRead = -1;
    CKeypad keypad(set);
    keypad.ToggleMicrophone();
    keypad.ToggleSpeaker();
    keypad.Flash();
    EXPECT_EQ(set.calls, (Calls{"get 0", "get 3", "key 33", "get 3", "key 13"}));
    EXPECT_TRUE(set.registers.empty());

    // A mirrored toggle whose read failed uses up its echo all the same.
    set.calls.clear();
    keypad.SetEcho();
    keypad.ToggleMicrophone();
    EXPECT_FALSE(keypad.IsEcho());
    EXPECT_EQ(set.calls, Calls{"get 0"});
}

TEST(KeypadFailedReads, AllBitsSetIsARegisterValue) {
    // 0xFD with the microphone switched on is 0xFF; the next click must switch it off again.
    CRecordingSet set;
    set.registers = {{0, 0xFD}};
    CKeypad keypad(set);
    keypad.ToggleMicrophone();
    keypad.ToggleMicrophone();
    EXPECT_EQ(set.calls, (Calls{"get 0", "set 0 255", "get 0", "set 0 253"}));
}

}  // namespace
}  // namespace fonedesk::test
