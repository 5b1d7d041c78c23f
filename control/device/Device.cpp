#include "control/device/Device.h"

#include <array>
#include <vector>

#include "control/device/DeviceTypes.h"
#include "control/device/ProtocolBytes.h"
#include "control/serial/SerialPort.h"

namespace fonerix {

using namespace protocol;
using Hold = WatcherGate::Hold;

CDevice::CDevice(uint32_t familyBaud, std::unique_ptr<SerialLink> port)
    : m_port(port ? std::move(port) : std::make_unique<CSerialPort>()),
      m_gate(*m_port),
      m_familyBaud(familyBaud) {}

CDevice::~CDevice() {
    m_port->Close();
}

bool CDevice::SendBytes(std::initializer_list<uint8_t> bytes) {
    for (const uint8_t b : bytes) {
        if (!m_port->SendByte(b)) {
            return false;
        }
    }
    return true;
}

bool CDevice::ReadExactly(uint8_t* buffer, uint32_t count) {
    uint32_t received = 0;
    return m_port->Read(buffer, count, received) && received == count;
}

bool CDevice::SendCommand(uint8_t command) {
    m_port->SetTimeouts(kHandshakeTimeouts);
    bool answered = false;
    uint8_t echo = 0;
    for (int attempt = 0; attempt < kCommandAttempts && !answered; ++attempt) {
        if (m_needsRewake || (attempt == 1 && m_rewakeAllowed)) {
            // Both flags stay clear until this command ends: one re-wake per command. The
            // commands of the re-wake itself (the permit register write) neither re-wake nor
            // give the permission back, or a set that answers the wake-up but no command would
            // recurse without end.
            m_needsRewake = false;
            m_rewakeAllowed = false;
            m_rewaking = true;
            WakeupDevice(m_writePermit);
            m_rewaking = false;
        }
        m_port->Purge();
        answered = m_port->SendByte(command) && m_port->ReadByte(echo);
    }
    m_port->SetTimeouts(kDefaultTimeouts);
    if (!m_rewaking) {
        m_rewakeAllowed = true;
    }
    return answered && echo == command;
}

bool CDevice::WakeupLink() {
    m_port->ClearLineErrors();
    m_port->Purge();
    if (!m_port->SetTimeouts(kHandshakeTimeouts)) {
        return false;
    }
    const uint8_t shortWake[2] = {kWakeByte, kWakeByte};
    uint8_t answer[5] = {};
    uint32_t count = 0;
    uint32_t received = 0;
    m_port->Write(shortWake, 2, count);
    m_port->Read(answer, 2, received);
    m_port->SetTimeouts(kDefaultTimeouts);
    if (received >= 1 && answer[0] == kWakeAnswer) {
        return true;
    }
    // A deeper sleep needs a long burst; then any answer will do.
    const std::vector<uint8_t> burst(kLongWakeBurst, kWakeByte);
    m_port->Write(burst.data(), kLongWakeBurst, count);
    m_port->Pause(kLongWakePause);
    received = 0;
    m_port->Read(answer, 5, received);
    m_port->Purge();
    return received > 0;
}

bool CDevice::WakeupDevice(bool permit) {
    Hold hold(m_gate);
    if (!WakeupLink()) {
        return false;
    }
    m_writePermit = true;
    if (permit) {
        WriteRegister(kPermitRegister, kPermitValue);
    }
    m_writePermit = permit;
    return true;
}

bool CDevice::SleepDevice() {
    Hold hold(m_gate);
    const bool prefixSent = m_port->TransmitChar(kSleepPrefix);
    const bool sleepSent = m_port->SendByte(kSleep);
    return prefixSent && sleepSent;
}

bool CDevice::ReadRegister(uint8_t reg, uint8_t& value) {
    Hold hold(m_gate);
    for (int attempt = 0; attempt < kRegisterAttempts; ++attempt) {
        if (SendCommand(kReadRegister) && m_port->Purge() && m_port->SendByte(reg) &&
            m_port->ReadByte(value)) {
            return true;
        }
    }
    return false;
}

bool CDevice::WriteRegister(uint8_t reg, uint8_t value) {
    if (!m_writePermit) {
        return false;
    }
    Hold hold(m_gate);
    for (int attempt = 0; attempt < kRegisterAttempts; ++attempt) {
        if (SendCommand(kWriteRegister) && SendBytes({reg, value})) {
            return true;
        }
    }
    return false;
}

bool CDevice::ReadMemory(uint16_t address, uint8_t count, uint8_t* buffer) {
    if (count == 0) {
        return true;
    }
    Hold hold(m_gate);
    const uint32_t offset = address % kMemoryPage;
    const uint8_t first =
        offset + count <= kMemoryPage ? count : static_cast<uint8_t>(kMemoryPage - offset);
    // The set needs a moment before it answers the first request; a second request for the
    // rest of the page follows at once.
    bool ok = m_port->Purge() && SendCommand(kReadMemory) &&
              SendBytes({first, static_cast<uint8_t>(address >> 8),
                         static_cast<uint8_t>(address & 0xFF)});
    if (ok) {
        m_port->Pause(kMemoryAnswerPause);
        ok = ReadExactly(buffer, first);
    }
    if (ok && first < count) {
        const auto next = static_cast<uint16_t>(address - offset + kMemoryPage);
        const auto rest = static_cast<uint8_t>(count - first);
        ok = SendCommand(kReadMemory) && SendBytes({rest, static_cast<uint8_t>(next >> 8), 0}) &&
             ReadExactly(buffer + first, rest);
    }
    return ok;
}

bool CDevice::WriteMemory(uint16_t address, uint8_t count, const uint8_t* data) {
    Hold hold(m_gate);
    bool sendFailed = false;
    uint32_t written = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (!SendCommand(kWriteMemory)) {
            sendFailed = true;  // this byte is skipped; the rest are still tried
            continue;
        }
        const auto at = static_cast<uint16_t>(address + i);
        if (SendBytes({static_cast<uint8_t>(at >> 8), static_cast<uint8_t>(at & 0xFF), data[i]})) {
            if (!sendFailed) {
                ++written;
            }
        } else {
            sendFailed = true;
        }
    }
    return !sendFailed && written == count;
}

bool CDevice::SendFlashAddress(const FlashAddress& a) {
    return SendBytes({a.column, a.page, a.blockLow, a.blockHigh, a.count});
}

bool CDevice::ReadFlash(const FlashAddress& address, uint8_t* buffer) {
    Hold hold(m_gate);
    return m_port->Purge() && SendCommand(kFlash) && m_port->SendByte(kFlashRead) &&
           SendFlashAddress(address) && ReadExactly(buffer, address.count);
}

bool CDevice::WriteFlash(const FlashAddress& address, const uint8_t* data) {
    Hold hold(m_gate);
    uint32_t sent = 0;
    return m_port->Purge() && SendCommand(kFlash) && m_port->SendByte(kFlashWrite) &&
           SendFlashAddress(address) && m_port->Write(data, address.count, sent) &&
           sent == address.count;
}

bool CDevice::EraseFlashBlock(const FlashAddress& address) {
    Hold hold(m_gate);
    const bool ok =
        SendCommand(kFlash) && SendBytes({kFlashErase, address.blockLow, address.blockHigh});
    // The set is busy erasing whether or not every byte made it.
    m_port->Pause(kFlashPause);
    return ok;
}

bool CDevice::SendKey(uint8_t key) {
    if (m_needsRewake) {
        WakeupDevice(m_writePermit);
        m_needsRewake = false;
    }
    return m_port->SendByte(key);
}

bool CDevice::SendDialTrigger(uint8_t dialByte) {
    m_port->Pause(kDialPause);
    return m_port->SendByte(dialByte);
}

bool CDevice::LookForDevice(DEVICEINFO& info, uint8_t port) {
    static constexpr std::array<uint8_t, 4> kAllPorts{1, 2, 3, 4};
    const uint8_t single[1] = {port};
    const bool one = port >= 1 && port <= 4;
    const uint8_t* ports = one ? single : kAllPorts.data();
    const size_t count = one ? 1 : kAllPorts.size();
    for (size_t i = 0; i < count; ++i) {
        m_port->Close();
        if (!m_port->Open(ports[i], m_familyBaud)) {
            continue;
        }
        // A set that has just been woken from a deep sleep may miss the first handshake.
        if (WakeupLink() || WakeupLink()) {
            GetDeviceInfo(info);
            return true;
        }
    }
    return false;
}

bool CDevice::LookForType(DEVICEINFO& info, uint8_t port,
                          std::initializer_list<uint32_t> accepted) {
    if (!CDevice::LookForDevice(info, port)) {
        return false;
    }
    for (const uint32_t type : accepted) {
        if (info.devType == type) {
            return true;
        }
    }
    return false;
}

bool CDevice::GetDeviceInfo(DEVICEINFO& info) {
    info.inUse = 0;
    info.devType = kTypeNotRead;
    uint8_t version = 0;
    {
        Hold hold(m_gate);
        uint8_t type = 0;
        if (ReadMemory(kTypeAddress, 1, &type)) {
            info.devType = type;
        }
        if (ReadRegister(kVersionRegister, version) && version != 0) {
            info.devVer = version / 32u;
            info.prgVer = version % 32u;
        } else {
            // The versions keep what the record held.
            version = 0;
            info.devType = kTypeNotRead;
        }
        // A type byte above 214 would overflow the identifier; it wraps as a 32-bit value.
        const int64_t id = int64_t{static_cast<int32_t>(info.devType)} * 10'000'000 +
                           int64_t{info.devVer} * 100'000 + int64_t{info.prgVer} * 1'000 + 1;
        info.IdZelta = static_cast<int32_t>(static_cast<uint32_t>(id));
        info.Port = m_port->GetPort();
        info.BaudRate = m_port->GetBaudRate();
    }
    info.Caption = BstrFromUtf8(LoadControlString(CaptionStringId(info.devType)));
    info.inUse = version;
    return true;
}

void CDevice::SetNotifyWindow(INotifyWindow* window) {
    if (LineWatcher* const watcher = m_port->Watcher()) {
        watcher->SetNotifyWindow(window);
    }
}

void CDevice::EnableEvents() {
    m_gate.SetEventsDisabled(false);
    m_gate.Start(true);
}

void CDevice::DisableEvents() {
    // Every exchange ends by starting the watcher again; the flag keeps it stopped until the
    // host enables events.
    m_gate.SetEventsDisabled(true);
    m_gate.Stop();
}

}  // namespace fonerix
