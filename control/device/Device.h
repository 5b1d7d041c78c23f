#pragma once

#include <cstdint>
#include <memory>

#include "control/device/FlashAddress.h"
#include "control/serial/SerialLink.h"

namespace fonerix {

class INotifyWindow;

// A telephone set on one serial port: the wire protocol every model shares. The model families
// derive from it and add their registers, lists and stores.
//
// Exchanges are paced by the host byte by byte: a command byte, its echo, then each parameter
// in a write of its own. Operations that stop the watcher themselves say so; the others expect
// their caller to hold the line (SerialLink::WatcherHold), and holds nest.
class CDevice {
  public:
    // `familyBaud`: the rate the family answers at. `port`: the line; a CSerialPort by default.
    explicit CDevice(uint32_t familyBaud, std::unique_ptr<SerialLink> port = nullptr);
    virtual ~CDevice();
    CDevice(const CDevice&) = delete;
    CDevice& operator=(const CDevice&) = delete;

    // Sends a command byte and waits for its echo: up to four attempts under the handshake
    // time-outs, the second one after a re-wake. A wrong echo fails at once.
    virtual bool SendCommand(uint8_t command);
    // Reads `count` bytes of device memory, split at a 256-byte page. Stops the watcher itself.
    virtual bool ReadMemory(uint16_t address, uint8_t count, uint8_t* buffer);
    // Presses a key on the set; re-wakes it first after the user pressed one there.
    virtual bool SendKey(uint8_t key);
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
    void DisableEvents();

    // Set after the user pressed a key on the set: the next command or key re-wakes it first.
    void SetNeedsRewake(bool value) { needsRewake_ = value; }
    bool NeedsRewake() const { return needsRewake_; }
    bool WritePermitted() const { return writePermit_; }
    uint32_t FamilyBaudRate() const { return familyBaud_; }
    SerialLink& Port() { return *port_; }

  protected:
    // Sends `bytes` one write each; stops at the first that does not leave.
    bool SendBytes(std::initializer_list<uint8_t> bytes);
    // Reads exactly `count` bytes or fails.
    bool ReadExactly(uint8_t* buffer, uint32_t count);
    bool SendFlashAddress(const FlashAddress& address);

    bool needsRewake_ = false;
    std::unique_ptr<SerialLink> port_;
    uint32_t familyBaud_;
    bool writePermit_ = false;
    // Cleared while a re-wake runs, so that the commands of the re-wake do not re-wake again.
    bool rewakeAllowed_ = true;
};

}  // namespace fonerix
