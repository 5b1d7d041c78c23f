#include "tools/probe/UdevRule.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

namespace fonerix {

namespace {

namespace fs = std::filesystem;

// One sysfs attribute: its first line without the trailing blanks, or empty.
std::string ReadAttribute(const fs::path& folder, const char* name) {
    std::ifstream in(folder / name);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) {
        line.pop_back();
    }
    return line;
}

bool IsUsbId(std::string& id) {
    if (id.size() != 4 ||
        !std::all_of(id.begin(), id.end(), [](unsigned char c) { return std::isxdigit(c) != 0; })) {
        return false;
    }
    std::transform(id.begin(), id.end(), id.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return true;
}

// A value placed between the quotes of a udev match. The value is a glob there, and a quote or a
// backslash would end or escape it, so every character outside a plain set becomes "?" (any one
// character): the rule still matches this adapter and cannot be broken by what it reports.
std::string MatchValue(std::string_view text) {
    std::string value;
    for (const char c : text) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) != 0 ||
                           std::string_view("-_.:+/ ").find(c) != std::string_view::npos;
        value += plain ? c : '?';
    }
    return value;
}

// Text for a comment line: printable ASCII only, so that no line break can start a rule.
std::string CommentText(std::string_view text) {
    std::string clean;
    for (const char c : text) {
        clean += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return clean;
}

bool Within(const fs::path& path, const fs::path& root) {
    const auto [r, p] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return r == root.end();
}

}  // namespace

AdapterLookup FindUsbAdapter(const fs::path& sysfsRoot, const fs::path& devicePath) {
    AdapterLookup result;
    std::error_code ec;
    const fs::path device = fs::canonical(devicePath, ec);
    if (ec) {
        result.error = devicePath.string() + ": no such device (is the adapter plugged in?)";
        return result;
    }
    const std::string name = device.filename().string();
    const fs::path root = fs::canonical(sysfsRoot, ec);
    if (ec) {
        result.error = "no device tree at " + sysfsRoot.string();
        return result;
    }
    const fs::path classEntry = root / "class" / "tty" / name;
    const fs::path start = fs::canonical(classEntry / "device", ec);
    if (ec) {
        result.error = devicePath.string() +
                       " is no serial port with a device behind it (a pseudo-terminal, or not a "
                       "terminal at all): it needs no udev rule";
        return result;
    }
    for (fs::path folder = start; Within(folder, root) && folder != root;
         folder = folder.parent_path()) {
        UsbAdapter adapter;
        adapter.vendor = ReadAttribute(folder, "idVendor");
        adapter.product = ReadAttribute(folder, "idProduct");
        if (adapter.vendor.empty() && adapter.product.empty()) {
            continue;
        }
        if (!IsUsbId(adapter.vendor) || !IsUsbId(adapter.product)) {
            result.error = folder.string() + " has no valid USB vendor and product (\"" +
                           CommentText(adapter.vendor) + "\", \"" + CommentText(adapter.product) +
                           "\")";
            return result;
        }
        adapter.tty = name;
        adapter.serial = ReadAttribute(folder, "serial");
        adapter.manufacturer = ReadAttribute(folder, "manufacturer");
        adapter.model = ReadAttribute(folder, "product");
        result.adapter = std::move(adapter);
        return result;
    }
    result.error = devicePath.string() + " (" + name +
                   ") is no USB adapter: a built-in serial port needs no udev rule, only the "
                   "dialout group (sudo usermod -aG dialout $USER, then log in again)";
    return result;
}

std::string UdevRuleText(const UsbAdapter& adapter, unsigned comPort,
                         const std::string& devicePath) {
    std::string about = adapter.manufacturer;
    if (!adapter.model.empty()) {
        about += (about.empty() ? "" : " ") + adapter.model;
    }
    if (about.empty()) {
        about = "USB adapter";
    }
    std::string text = "# The telephone set's serial adapter, found as COM" +
                       std::to_string(comPort) + " (" + CommentText(devicePath) + ", " +
                       CommentText(adapter.tty) + "): " + CommentText(about) + ", " +
                       adapter.vendor + ":" + adapter.product;
    text += adapter.serial.empty() ? ", no serial number.\n"
                                   : ", serial " + CommentText(adapter.serial) + ".\n";
    if (adapter.serial.empty()) {
        text +=
            "# Without a serial number the rule matches every adapter of this vendor and "
            "product.\n";
    }
    text += std::string("# Install as ") + kLocalRulePath +
            ", then run \"sudo udevadm control --reload\"\n"
            "# and plug the adapter in again. The package's 70-fonerix.rules then keeps "
            "ModemManager\n"
            "# away from it, lets the user at the seat open it and names it /dev/fonerix-set.\n";
    text += "SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"" + adapter.vendor +
            "\", ATTRS{idProduct}==\"" + adapter.product + "\"";
    if (!adapter.serial.empty()) {
        text += ", ATTRS{serial}==\"" + MatchValue(adapter.serial) + "\"";
    }
    text += ", ENV{FONERIX_SET}=\"1\"\n";
    return text;
}

}  // namespace fonerix
