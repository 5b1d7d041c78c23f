#include "tools/probe/PortDiagnosis.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "control/serial/PortPath.h"

namespace fonerix {

std::string ComPortRuleText() {
    return "COM n is the path in FONERIX_COM<n>, else COM<n>=PATH in\n"
           "$XDG_CONFIG_HOME/fonerix/ports.conf (~/.config by default), else /dev/ttyS<n-1>.";
}

std::optional<unsigned> ParseComPort(std::string_view text) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        value < kFirstComPort || value > kLastComPort) {
        return std::nullopt;
    }
    return value;
}

std::string ComPortOptionError(std::string_view text) {
    return "--port takes a COM port number from " + std::to_string(kFirstComPort) + " to " +
           std::to_string(kLastComPort) + ", not \"" + std::string(text) +
           "\" (any device can be one of them: FONERIX_COM<n>=PATH)";
}

std::string DescribeOpenFailure(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "no such device";
        case EACCES:
        case EPERM:
            return "permission denied: add yourself to the dialout group "
                   "(sudo usermod -aG dialout $USER) and log in again";
        case EBUSY:
            return "busy: another program has the port open";
        case ENOTTY:
            return "not a serial port";
        case EINVAL:
            return "the port does not take the line settings";
        default:
            return std::strerror(error);
    }
}

PortDiagnosis DiagnosePort(unsigned number) {
    PortDiagnosis d;
    d.port = number;
    d.path = ComPortPath(number);
    if (d.path.empty()) {
        d.reason = DescribeOpenFailure(ENOENT);
        return d;
    }
    // The same open the serial port makes, so that busy (another owner's TIOCEXCL) and
    // permission show exactly as the control met them; nothing is written to the line.
    const int fd = ::open(d.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        d.reason = DescribeOpenFailure(errno);
        return d;
    }
    const bool terminal = ::isatty(fd) != 0;
    ::close(fd);
    d.reason = terminal ? "no answer at 115200 or 57600 bit/s" : DescribeOpenFailure(ENOTTY);
    return d;
}

}  // namespace fonerix
