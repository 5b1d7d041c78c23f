#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "bench/common/CountingLink.h"
#include "control/device/Device.h"
#include "control/serial/SerialPort.h"
#include "platform/automation/Bstr.h"
#include "tests/support/SimProcess.h"

namespace fonerix::bench {

using MakeDevice = std::function<std::unique_ptr<CDevice>(std::unique_ptr<SerialLink>)>;

// A simulated set on COM1 and a device of the class `make` builds, talking to it through a
// CountingLink, so that a bench can set the time it measured beside the line time it needed.
class CountedSet {
  public:
    CountedSet(const test::SimOptions& options, const MakeDevice& make) : m_sim(options) {
        setenv("FONERIX_COM1", m_sim.LinkPath().c_str(), 1);
        auto link = std::make_unique<CountingLink>(std::make_unique<CSerialPort>());
        m_link = link.get();
        m_device = make(std::move(link));
        DEVICEINFO info{};
        m_found = m_device->LookForDevice(info, 1);
        SysFreeString(info.Caption);
        if (!m_found) {
            std::fprintf(stderr, "type %d: set not found\n", options.type);
        }
    }

    bool Found() const { return m_found; }
    CountingLink& Link() { return *m_link; }
    CDevice& Device() { return *m_device; }

  private:
    test::SimProcess m_sim;
    CountingLink* m_link = nullptr;  // owned by the device
    std::unique_ptr<CDevice> m_device;
    bool m_found = false;
};

}  // namespace fonerix::bench
