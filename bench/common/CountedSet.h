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
    CountedSet(const testing::SimOptions& options, const MakeDevice& make) : sim_(options) {
        setenv("FONERIX_COM1", sim_.LinkPath().c_str(), 1);
        auto link = std::make_unique<CountingLink>(std::make_unique<CSerialPort>());
        link_ = link.get();
        device_ = make(std::move(link));
        DEVICEINFO info{};
        found_ = device_->LookForDevice(info, 1);
        SysFreeString(info.Caption);
        if (!found_) {
            std::fprintf(stderr, "type %d: set not found\n", options.type);
        }
    }

    bool Found() const { return found_; }
    CountingLink& Link() { return *link_; }
    CDevice& Device() { return *device_; }

  private:
    testing::SimProcess sim_;
    CountingLink* link_ = nullptr;  // owned by the device
    std::unique_ptr<CDevice> device_;
    bool found_ = false;
};

}  // namespace fonerix::bench
