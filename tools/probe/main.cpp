// fonerix-probe: looks for a telephone set on COM1 to COM4 (or on one of them), says for every port
// what it found, and can then print the set's events as they come.

#include <getopt.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "control/automation/MessageWindow.h"
#include "control/device/Device.h"
#include "control/device/VarkonDevice.h"
#include "control/device/ZeltaDevice.h"
#include "control/serial/EventFrame.h"
#include "control/serial/PortPath.h"
#include "control/serial/SerialPort.h"
#include "platform/automation/Bstr.h"
#include "tools/probe/PortDiagnosis.h"
#include "tools/probe/UdevRule.h"

namespace {

using namespace fonerix;

constexpr int kExitFound = 0;
constexpr int kExitUsage = 2;
constexpr int kExitNoSet = 3;

// The second family answers at 115200 bit/s, the first at 57600; the faster is tried first.
constexpr uint32_t kVarkonRate = 115200;
constexpr uint32_t kFamilyRates[] = {kVarkonRate, 57600};

struct Found {
    std::unique_ptr<CDevice> device;
    DEVICEINFO info{};
};

std::unique_ptr<CDevice> FamilyAt(uint32_t rate) {
    if (rate == kVarkonRate) {
        return std::make_unique<CVarkonDevice>();
    }
    return std::make_unique<CZeltaDevice>();
}

void Usage(std::FILE* out) {
    std::fprintf(
        out,
        "Usage: fonerix-probe [--port N] [--watch SECONDS]\n"
        "       fonerix-probe --udev-rule --port N\n"
        "Looks for a caller-ID telephone set on COM1 to COM4, or with --port N on COM N\n"
        "alone (1 to 4), and says what it found on each port. With --watch it then\n"
        "prints the set's events.\n"
        "With --udev-rule it sends nothing to the port: it prints the udev rule that marks\n"
        "the USB serial adapter on COM N as the set's, for %s\n"
        "(ModemManager then leaves it alone and the user at the seat may open it).\n"
        "%s\n"
        "The port needs the dialout group: sudo usermod -aG dialout $USER, log in again.\n"
        "FONERIX_TRACE=1 logs every byte on the line to standard error.\n"
        "Exit codes: 0 a set was found (or the rule printed), 2 bad arguments, 3 no set\n"
        "found (no USB adapter on the port, with --udev-rule).\n",
        kLocalRulePath, ComPortRuleText().c_str());
}

std::string EventText(uint16_t code, const char* number) {
    if ((code & 0xFF) == 1 && IsKeyCode(static_cast<uint8_t>(code >> 8))) {
        return "key " + std::to_string(code >> 8) + " pressed on the set";
    }
    switch (code) {
        case 193:
            return std::string("incoming call from ") + (*number ? number : "(no number)");
        case 194:
            return std::string("parallel telephone dials ") + number;
        case 180:
            return "end of call";
        case 181:
            return "auto-dial: linked";
        case 182:
            return "auto-dial: failed";
        case 184:
            return "handset up";
        case 185:
            return "handset down";
        case 186:
            return "parallel handset up";
        case 187:
            return "auto-dial: busy";
        default:
            return "unknown event code " + std::to_string(code);
    }
}

// What the ports that could not be opened said, for the advice at the end.
struct OpenFailures {
    bool denied = false;
    unsigned absent = 0;
};

// Tries one port at each family's rate. Prints what happened and returns the set if one answered.
std::optional<Found> ProbePort(uint8_t port, OpenFailures& seen) {
    const std::string where = "COM" + std::to_string(port) + " (" + ComPortPath(port) + ")";
    for (const uint32_t rate : kFamilyRates) {
        std::unique_ptr<CDevice> device = FamilyAt(rate);
        auto& line = static_cast<CSerialPort&>(device->Port());
        if (!line.Open(port, rate)) {
            const int error = line.LastOpenError();
            std::printf("%s: %s\n", where.c_str(), DescribeOpenFailure(error).c_str());
            seen.denied = seen.denied || error == EACCES || error == EPERM;
            seen.absent += (error == ENOENT || error == ENODEV || error == ENXIO) ? 1 : 0;
            return std::nullopt;
        }
        if (!device->WakeupLink() && !device->WakeupLink()) {
            continue;
        }
        Found found;
        device->GetDeviceInfo(found.info);
        const std::string caption = Utf8FromBstr(found.info.Caption);
        SysFreeString(found.info.Caption);
        found.info.Caption = nullptr;
        if (found.info.inUse == 0) {
            std::printf("%s: a set answers the wake-up at %u bit/s but not the identity reads\n",
                        where.c_str(), rate);
            return std::nullopt;
        }
        std::printf("%s: %s (type %u) at %u bit/s, version: device %u, program %u\n", where.c_str(),
                    caption.c_str(), found.info.devType, rate, found.info.devVer,
                    found.info.prgVer);
        found.device = std::move(device);
        return found;
    }
    std::printf("%s: no answer at 115200 or 57600 bit/s\n", where.c_str());
    return std::nullopt;
}

void Watch(CDevice& device, int seconds) {
    CMessageWindow window([](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        if (message == kDeviceEventMessage) {
            const std::time_t now = std::time(nullptr);
            char stamp[16];
            std::strftime(stamp, sizeof stamp, "%H:%M:%S", std::localtime(&now));
            std::printf("%s  %s\n", stamp,
                        EventText(static_cast<uint16_t>(wParam),
                                  lParam != 0 ? reinterpret_cast<const char*>(lParam) : "")
                            .c_str());
            std::fflush(stdout);
        }
        return intptr_t{0};
    });
    device.SetNotifyWindow(&window);
    device.EnableEvents();
    std::printf("Watching for events for %d s\n", seconds);
    std::fflush(stdout);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        window.WaitAndDispatch(static_cast<int>(left.count()));
    }
    device.DisableEvents();
    device.Port().Close();  // before the window goes
}

// The rule for the adapter on COM `port`, on standard output; the reason there is none otherwise.
int PrintUdevRule(unsigned port) {
    const std::string path = ComPortPath(port);
    const char* root = std::getenv("FONERIX_SYSFS");
    const AdapterLookup found =
        FindUsbAdapter(root != nullptr && *root != '\0' ? root : "/sys", path);
    if (!found.adapter) {
        std::fprintf(stderr, "fonerix-probe: COM%u: %s\n", port, found.error.c_str());
        return kExitNoSet;
    }
    std::fputs(UdevRuleText(*found.adapter, port, path).c_str(), stdout);
    return kExitFound;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned onlyPort = 0;
    int watchSeconds = 0;
    bool udevRule = false;
    const option options[] = {{"port", required_argument, nullptr, 'p'},
                              {"watch", required_argument, nullptr, 'w'},
                              {"udev-rule", no_argument, nullptr, 'u'},
                              {"help", no_argument, nullptr, 'h'},
                              {nullptr, 0, nullptr, 0}};
    for (int c; (c = getopt_long(argc, argv, "p:w:uh", options, nullptr)) != -1;) {
        switch (c) {
            case 'p':
                if (const std::optional<unsigned> port = ParseComPort(optarg)) {
                    onlyPort = *port;
                } else {
                    std::fprintf(stderr, "fonerix-probe: %s\n", ComPortOptionError(optarg).c_str());
                    return kExitUsage;
                }
                break;
            case 'w':
                watchSeconds = std::atoi(optarg);
                if (watchSeconds <= 0) {
                    std::fprintf(stderr, "fonerix-probe: --watch takes a number of seconds\n");
                    return kExitUsage;
                }
                break;
            case 'u':
                udevRule = true;
                break;
            case 'h':
                Usage(stdout);
                return kExitFound;
            default:
                Usage(stderr);
                return kExitUsage;
        }
    }
    if (optind < argc) {
        Usage(stderr);
        return kExitUsage;
    }
    if (udevRule) {
        if (onlyPort == 0 || watchSeconds > 0) {
            std::fprintf(stderr, "fonerix-probe: --udev-rule takes --port N and no --watch\n");
            return kExitUsage;
        }
        return PrintUdevRule(onlyPort);
    }

    const unsigned first = onlyPort != 0 ? onlyPort : kFirstComPort;
    const unsigned last = onlyPort != 0 ? onlyPort : kLastComPort;
    OpenFailures seen;
    for (unsigned port = first; port <= last; ++port) {
        std::optional<Found> found = ProbePort(static_cast<uint8_t>(port), seen);
        if (!found) {
            continue;
        }
        if (watchSeconds > 0) {
            Watch(*found->device, watchSeconds);
        }
        return kExitFound;  // the family object sends the set to sleep as it goes
    }
    std::fprintf(stderr, "fonerix-probe: no telephone set found\n");
    if (seen.denied) {
        std::fprintf(stderr,
                     "The port is there but closed to you: add yourself to the dialout group\n"
                     "(sudo usermod -aG dialout $USER) and log in again. For a USB adapter,\n"
                     "fonerix-probe --udev-rule --port N prints a udev rule that opens it to the\n"
                     "user at the seat without the group.\n");
    }
    if (seen.absent == last - first + 1) {
        std::fprintf(stderr,
                     "A USB adapter is usually /dev/ttyUSB0: make it COM1 with\n"
                     "FONERIX_COM1=/dev/ttyUSB0 or a line COM1=/dev/ttyUSB0 in\n"
                     "~/.config/fonerix/ports.conf.\n");
    }
    return kExitNoSet;
}
