#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fonerix {

// fonerix-probe and fonerixctl choose ports alike: COM1 to COM4, as the control searches them,
// each at the path the control's rule gives it; --port N names the only one to search.
inline constexpr unsigned kFirstComPort = 1;
inline constexpr unsigned kLastComPort = 4;

// The sentence of both usages that says where COM n is.
std::string ComPortRuleText();
// The operand of --port: a number from 1 to 4, or nullopt.
std::optional<unsigned> ParseComPort(std::string_view text);
// What both tools say about an operand of --port that ParseComPort refused.
std::string ComPortOptionError(std::string_view text);

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
