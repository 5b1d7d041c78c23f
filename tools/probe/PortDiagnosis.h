#pragma once

#include <string>

namespace fonerix {

// What a user should be told when a COM port could not be opened, from the errno of the open:
// the cause in words and, where there is one, the fix.
std::string DescribeOpenFailure(int error);

// Why COM port `number` holds no set, for a port on which the search has already failed: its
// path (by the same rule the control uses) and the reason — no such device, permission denied
// with the fix, busy, not a serial port, or "no answer" when the port opens but nobody answered.
struct PortDiagnosis {
    unsigned port = 0;
    std::string path;
    std::string reason;
};
PortDiagnosis DiagnosePort(unsigned number);

}  // namespace fonerix
