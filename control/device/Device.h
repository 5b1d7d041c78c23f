#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "control/device/FlashAddress.h"
#include "control/device/Records.h"
#include "control/device/Settings.h"
#include "control/serial/SerialLink.h"
#include "control/serial/WatcherGate.h"
#include "platform/automation/Date.h"

namespace fonerix {

class INotifyWindow;

// A telephone set on one serial port: the wire protocol every model shares. The model families
// derive from it and add their registers, lists and stores.
//
// Exchanges are paced by the host byte by byte: a command byte, its echo, then each parameter
// in a write of its own. Operations that stop the watcher themselves say so; the others expect
// their caller to hold the line (WatcherGate::Hold), and holds nest.
class CDevice {
  public:
    // `familyBaud`: the rate the family answers at. `port`: the line; a CSerialPort by default.
    explicit CDevice(uint32_t familyBaud, std::unique_ptr<SerialLink> port = nullptr);
    // Closes the port (which ends the watcher). The families send the set to sleep first.
    virtual ~CDevice();
    CDevice(const CDevice&) = delete;
    CDevice& operator=(const CDevice&) = delete;

    // The operations the control forwards to, one per automation member. Where a family lacks
    // one, the base answer stands: -1 for a value, nothing for a setter, false or an empty text.

    // Probes COM `port` (1..4), or COM1..COM4 in turn for any other value: two handshakes per
    // port; on an answer, fills `info` through GetDeviceInfo. The port last tried stays open.
    // The families accept only their own type codes on top of this.
    virtual bool LookForDevice(DEVICEINFO& info, uint8_t port);
    // Reads the type byte and the version register into `info`. Always true; a set that does
    // not answer is reported with devType all bits set, inUse 0 and "Unknown Device". Puts a new
    // Caption into `info`; the old one is the caller's to free.
    virtual bool GetDeviceInfo(DEVICEINFO& info);
    virtual bool DialNumber(const std::u16string& number) = 0;
    // One step through a list: true with inUse 1 for an entry, true with inUse 0 for a slot
    // without one, false at the end (which rewinds the list) or on a failed read.
    virtual bool GetPhoneBook(PHBOOKRECORD& record) = 0;
    virtual bool GetOutcomeBook(PHBOOKRECORD& record) = 0;
    virtual bool GetIncomeBook(PHBOOKRECORD& record) = 0;
    // Presses a key on the set; re-wakes it first after the user pressed one there.
    virtual bool SendKey(uint8_t key);
    virtual bool SetDeviceTime(DATE date) = 0;
    virtual DATE GetDeviceTime() = 0;
    virtual void SetAlarmTime(DATE date) = 0;
    virtual DATE GetAlarmTime() = 0;
    virtual std::u16string GetDeviceBuffer() = 0;
    virtual bool SetDeviceBuffer(const std::u16string& number) = 0;
    // The register properties, from the family's table (Settings): a read starts from the
    // register's preset, which it answers when the set does not; a write brings the value's low
    // byte into the register's range. A property the family lacks reads -1 and writes nothing.
    int16_t GetSetting(Setting setting);
    // True if the write went out.
    virtual bool SetSetting(Setting setting, int16_t value);
    virtual int16_t GetStateRegister(int16_t) { return -1; }
    virtual void SetStateRegister(int16_t, int16_t) {}
    virtual bool GetCallsStatistic(CALLSTATISTIC& stat) = 0;
    // `parallel` may be null.
    virtual bool GetAutodetParams(AUTODETPARAMS* current, AUTODETPARAMS* parallel) = 0;
    virtual bool SetAutodetParams(const AUTODETPARAMS* current, const AUTODETPARAMS* parallel) = 0;
    virtual bool GetSoundMessage(int16_t, const std::u16string&) { return false; }
    virtual bool SetSoundMessage(int16_t&, const std::u16string&) { return false; }
    virtual bool DelSoundMessage(int16_t) { return false; }
    virtual int16_t GetSoundHandles(int16_t*, int16_t) { return -1; }
    virtual bool SetSoundHandles(const int16_t*, int16_t) { return false; }
    virtual int32_t GetFreeSoundSpace() { return 0; }
    virtual std::u16string GetRedirectionNumber() { return {}; }
    virtual void SetRedirectionNumber(const std::u16string&) {}
    virtual std::u16string GetAutoDialList(int16_t) { return {}; }
    virtual bool SetAutoDialList(const std::u16string&, int16_t) { return false; }
    // Reads `count` bytes of device memory, split at a 256-byte page. Stops the watcher itself.
    virtual bool ReadMemory(uint16_t address, uint8_t count, uint8_t* buffer);
    // Sends a command byte and waits for its echo: up to four attempts under the handshake
    // time-outs, the second one after a re-wake. A wrong echo fails at once.
    virtual bool SendCommand(uint8_t command);

    // Flash transfers of the flash models; the families bound them by their geometry.
    virtual bool ReadFlash(const FlashAddress& address, uint8_t* buffer);
    // Callers pause kFlashPause after a write before the next flash command.
    virtual bool WriteFlash(const FlashAddress& address, const uint8_t* data);
    // Only the block bytes of `address` are used.
    bool EraseFlashBlock(const FlashAddress& address);

    // One memory byte per command. Stops the watcher itself.
    bool WriteMemory(uint16_t address, uint8_t count, const uint8_t* data);
    bool ReadRegister(uint8_t reg, uint8_t& value);
    // Refused, with nothing sent, unless the set was woken with write permission.
    bool WriteRegister(uint8_t reg, uint8_t value);

    // The wake-up handshake: two zero bytes answered by 0xFF, else a long burst answered by
    // anything.
    bool WakeupLink();
    // Wakes the set, with write permission if `permit`. Stops the watcher itself.
    bool WakeupDevice(bool permit);
    // Sends the set to sleep; nothing is echoed. Stops the watcher itself.
    bool SleepDevice();
    // After the number buffer has been written: the family's dial byte, after a pause.
    bool SendDialTrigger(uint8_t dialByte);

    void SetNotifyWindow(INotifyWindow* window);
    // Starts the watcher, creating it if needed; events flow to the notify window.
    void EnableEvents();
    // Stops the watcher until the next EnableEvents; exchanges in between leave it stopped.
    void DisableEvents();

    // Set after the user pressed a key on the set: the next command or key re-wakes it first.
    void SetNeedsRewake(bool value) { m_needsRewake = value; }
    bool NeedsRewake() const { return m_needsRewake; }
    bool WritePermitted() const { return m_writePermit; }
    uint32_t FamilyBaudRate() const { return m_familyBaud; }
    SerialLink& Port() { return *m_port; }
    // When the port's watcher runs: held off the line by every exchange.
    WatcherGate& Gate() { return m_gate; }

    // Where a family keeps its clock, alarm and number buffer.
    struct ClockRegisters {
        uint8_t year, month, day, dayOfWeek, hour, minute, secondWritten, secondRead;
        uint8_t alarmHour, alarmMinute;
        uint8_t bufferLength;  // the length register; the digits follow it
        uint8_t dialByte;
    };

  protected:
    // Where the family keeps its register properties; the base has none.
    virtual const SettingTable& Settings() const;
    // The accessor pattern of the register properties: hold the line, preset, read.
    int16_t ReadSetting(uint8_t reg, uint8_t preset = 0xFF);
    // Brings the value's low byte into lo..hi and writes it; true if the write went out.
    bool WriteSetting(uint8_t reg, int16_t value, uint8_t lo = 0, uint8_t hi = 0xFF);
    bool WriteClock(const ClockRegisters& map, DATE date);
    DATE ReadClock(const ClockRegisters& map);
    void WriteAlarm(const ClockRegisters& map, DATE date);
    DATE ReadAlarm(const ClockRegisters& map);
    std::u16string ReadNumberBuffer(const ClockRegisters& map);
    bool WriteNumberBuffer(const ClockRegisters& map, const std::u16string& number);
    bool Dial(const ClockRegisters& map, const std::u16string& number);

    // The family's acceptance on top of the port probe.
    bool LookForType(DEVICEINFO& info, uint8_t port, std::initializer_list<uint32_t> accepted);

    // Sends `bytes` one write each; stops at the first that does not leave.
    bool SendBytes(std::initializer_list<uint8_t> bytes);
    // Reads exactly `count` bytes or fails.
    bool ReadExactly(uint8_t* buffer, uint32_t count);
    bool SendFlashAddress(const FlashAddress& address);

    bool m_needsRewake = false;
    std::unique_ptr<SerialLink> m_port;
    WatcherGate m_gate;
    uint32_t m_familyBaud;
    bool m_writePermit = false;
    // Cleared by a command's re-wake and set again when that command ends, so that a command
    // re-wakes at most once.
    bool m_rewakeAllowed = true;
    // A command's re-wake is running: the commands inside it leave m_rewakeAllowed alone.
    bool m_rewaking = false;
};

}  // namespace fonerix
