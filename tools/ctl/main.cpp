// fonerixctl: a command-line client of the FONERIX control. It creates the control through the
// registry, as any automation client does, and calls its members by name.

#include <iostream>
#include <string>
#include <vector>

#include "tools/ctl/Arguments.h"
#include "tools/ctl/Commands.h"
#include "tools/ctl/ExitCodes.h"

int main(int argc, char** argv) {
    using namespace fonerix::ctl;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParseResult parsed = ParseArguments(args);
    const Invocation& inv = parsed.invocation;
    if (!parsed.error.empty()) {
        std::cerr << "fonerixctl: " << parsed.error << "\n(fonerixctl --help lists the commands)\n";
        return kExitUsage;
    }
    if (inv.help) {
        std::cout << (inv.command != nullptr ? CommandHelp(*inv.command) : UsageText());
        return kExitOk;
    }
    if (inv.version) {
        return PrintVersion(std::cout);
    }
    return RunCommand(inv, std::cout, std::cerr);
}
