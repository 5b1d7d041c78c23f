// fonerix-sim: a simulated caller-ID telephone set on a pseudo-terminal.
#include <cstdio>
#include <exception>
#include <string_view>
#include <vector>

#include "sim/io/Options.h"
#include "sim/io/Simulator.h"

int main(int argc, char** argv) {
    using namespace fonerix::sim;
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const ParsedOptions parsed = ParseOptions(arguments);
    if (!parsed.options) {
        std::fprintf(stderr, "fonerix-sim: %s\n(fonerix-sim --help shows the usage)\n",
                     parsed.error.c_str());
        return 2;
    }
    if (parsed.options->help) {
        const std::string_view usage = UsageText();
        std::fwrite(usage.data(), 1, usage.size(), stdout);
        return 0;
    }
    try {
        Simulator simulator(*parsed.options);
        return simulator.Run();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "fonerix-sim: %s\n", error.what());
        return 1;
    }
}
