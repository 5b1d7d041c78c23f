#include "tools/probe/PortDiagnosis.h"

#include <cerrno>
#include <cstring>

namespace fonerix {

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

}  // namespace fonerix
