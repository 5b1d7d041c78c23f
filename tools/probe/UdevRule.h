#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace fonerix {

// The USB device behind a serial port, as sysfs describes it: what a udev rule can match it by.
struct UsbAdapter {
    std::string tty;           // the kernel's name of the port, e.g. ttyUSB0
    std::string vendor;        // idVendor, four lowercase hexadecimal digits
    std::string product;       // idProduct, likewise
    std::string serial;        // empty when the adapter has none (many cheap ones)
    std::string manufacturer;  // for the rule's comment only; may be empty
    std::string model;
};

struct AdapterLookup {
    std::optional<UsbAdapter> adapter;
    std::string error;  // why there is none, in words a user can act on
};

// Finds the USB device behind the serial device at `devicePath` (a symbolic link such as
// /dev/serial/by-id/... is followed): /sys/class/tty/<name>/device, then up the device tree to
// the first folder with idVendor and idProduct. `sysfsRoot` is /sys but for tests.
AdapterLookup FindUsbAdapter(const std::filesystem::path& sysfsRoot,
                             const std::filesystem::path& devicePath);

// Where the local rule goes: before the package's 70-fonerix.rules, which acts on the mark.
inline constexpr const char* kLocalRulePath = "/etc/udev/rules.d/60-fonerix-set.rules";

// The rule that marks this adapter as the set's (ENV{FONERIX_SET}="1"), with a comment naming
// the adapter and saying how to install it. `comPort` and `devicePath` only go into the comment.
std::string UdevRuleText(const UsbAdapter& adapter, unsigned comPort,
                         const std::string& devicePath);

}  // namespace fonerix
