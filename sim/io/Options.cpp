#include "sim/io/Options.h"

#include <charconv>

#include "sim/DeviceFamily.h"

namespace fonerix::sim {

namespace {

ParsedOptions Fail(std::string why) {
    return {std::nullopt, std::move(why)};
}

template <typename Number>
std::optional<Number> Whole(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<Options::Generate> ParseGenerate(std::string_view text) {
    const std::size_t colon = text.find(':');
    const auto seed = Whole<std::uint32_t>(text.substr(0, colon));
    if (!seed) {
        return std::nullopt;
    }
    if (colon == std::string_view::npos) {
        return Options::Generate{*seed, kDefaultGeneratedEntries};
    }
    const auto count = Whole<unsigned>(text.substr(colon + 1));
    if (!count || *count < 1 || *count > 1000) {
        return std::nullopt;
    }
    return Options::Generate{*seed, *count};
}

}  // namespace

ParsedOptions ParseOptions(std::span<const std::string_view> arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view name = arguments[i];
        std::optional<std::string_view> inline_value;
        if (const std::size_t equals = name.find('=');
            name.starts_with("--") && equals != std::string_view::npos) {
            inline_value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        const auto value = [&]() -> std::optional<std::string_view> {
            if (inline_value) {
                return inline_value;
            }
            if (i + 1 < arguments.size()) {
                return arguments[++i];
            }
            return std::nullopt;
        };
        if (name == "--help") {
            options.help = true;
        } else if (name == "--pace") {
            options.pace = true;
        } else if (name == "--link" || name == "--image" || name == "--trace" ||
                   name == "--control" || name == "--type" || name == "--fault" ||
                   name == "--scenario" || name == "--generate") {
            const auto text = value();
            if (!text || text->empty()) {
                return Fail(std::string(name) + " needs a value");
            }
            if (name == "--link") {
                options.link = *text;
            } else if (name == "--image") {
                options.image = *text;
            } else if (name == "--trace") {
                options.trace = *text;
            } else if (name == "--control") {
                options.control = *text;
            } else if (name == "--scenario") {
                options.scenario = *text;
            } else if (name == "--generate") {
                const auto generate = ParseGenerate(*text);
                if (!generate) {
                    return Fail("--generate takes SEED or SEED:COUNT (COUNT 1 to 1000), not '" +
                                std::string(*text) + "'");
                }
                options.generate = generate;
            } else if (name == "--type") {
                int type = -1;
                const auto [end, error] =
                    std::from_chars(text->data(), text->data() + text->size(), type);
                if (error != std::errc{} || end != text->data() + text->size() ||
                    !TraitsOfType(type)) {
                    return Fail("--type takes a device type from " +
                                std::to_string(kLowestDeviceType) + " to " +
                                std::to_string(kHighestDeviceType) + ", not '" +
                                std::string(*text) + "'");
                }
                options.type = type;
            } else {
                // --fault drop=7: the fault spec has its own '=' after the option's.
                std::string_view spec = *text;
                const std::size_t equals = spec.find('=');
                const std::string_view fault_name = spec.substr(0, equals);
                const std::string_view fault_value =
                    equals == std::string_view::npos ? std::string_view{} : spec.substr(equals + 1);
                FaultSwitchResult fault = ParseFaultSwitch(fault_name, fault_value);
                if (!fault.change) {
                    return Fail("--fault " + std::string(spec) + ": " + fault.error);
                }
                options.faults.push_back(*fault.change);
            }
        } else {
            return Fail("unknown argument '" + std::string(arguments[i]) + "'");
        }
    }
    if (options.help) {
        return {std::move(options), {}};
    }
    if (options.link.empty()) {
        return Fail("--link PATH is required");
    }
    if (options.generate && !options.type) {
        return Fail("--generate needs --type N");
    }
    if (!options.type && options.image.empty() && options.scenario.empty()) {
        return Fail("--type N is required without --image");
    }
    if (!options.scenario.empty() && options.generate) {
        return Fail("--scenario and --generate both say what the set holds; give one");
    }
    return {std::move(options), {}};
}

std::string_view UsageText() {
    return R"(Usage: fonerix-sim --link PATH --type N [options]
       fonerix-sim --link PATH --image FILE [options]
       fonerix-sim --link PATH --scenario FILE [--type N] [options]
A simulated caller-ID telephone set on a pseudo-terminal. Prints "ready PATH" once the host can
open PATH, then takes commands on standard input (and on --control SOCKET), one per line.

  --link PATH       symbolic link to the set's serial line, made (or replaced) at start
  --type N          device type 0 to 8; types 1 to 4 answer at 115200 bit/s, the others at 57600
  --image FILE      keep registers, memory and flash in FILE; without --type the type is FILE's
  --pace            move bytes at the real line speed, 10 bits a byte, both ways
  --trace FILE      log every byte on the line with a time stamp
  --control SOCKET  also take commands on this Unix-domain socket
  --fault SPEC      start with a fault: silent, echo, deep-sleep, drop=N, noise=N, hangup=N
  --scenario FILE   make a fresh set holding what FILE says (see docs/simulator.md)
  --generate SEED[:COUNT]
                    make a fresh set with COUNT (default 30) realistic entries a list
  --help            show this text

Commands: call DIGITS, dialling DIGITS, key N, up, down, parallel-up, end, linked, failed,
busy, raw HEX..., fault NAME on|off|N, trace on|off, status, record in|out NUMBER [...],
dump lists FILE, quit.
)";
}

}  // namespace fonerix::sim
