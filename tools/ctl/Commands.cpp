#include "tools/ctl/Commands.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control/automation/FonerixInterface.h"
#include "platform/automation/Registry.h"
#include "tools/ctl/CommandHandlers.h"
#include "tools/ctl/CommandSupport.h"
#include "tools/ctl/ExitCodes.h"
#include "tools/ctl/Values.h"
#include "tools/ctl/Watch.h"
#include "tools/probe/PortDiagnosis.h"

#ifndef FONERIXCTL_VERSION
#define FONERIXCTL_VERSION "0"
#endif

namespace fonerix::ctl {

namespace {

using Handler = std::function<int(Session&)>;

bool IsPhoneNumber(std::string_view s) {
    return !s.empty() && s.size() <= 20 && std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == 'F' || c == 'J' || c == 'L' || c == 'P' || c == 'f' ||
               c == 'j' || c == 'l' || c == 'p' || c == '_';
    });
}

const std::map<std::string, Handler, std::less<>>& Handlers() {
    static const std::map<std::string, Handler, std::less<>> handlers = {
        {"find", Find},
        {"info", Info},
        {"get", Get},
        {"set", Set},
        {"props", Props},
        {"sync-clock", SyncClock},
        {"dial", Dial},
        {"key", Key},
        {"incoming", [](Session& s) { return ReadList(s, List::Incoming); }},
        {"outgoing", [](Session& s) { return ReadList(s, List::Outgoing); }},
        {"book", [](Session& s) { return ReadList(s, List::Book); }},
        {"stats", Stats},
        {"callerid", CallerId},
        {"callerid set", CallerIdSet},
        {"voice get", VoiceGet},
        {"voice put", VoicePut},
        {"voice del", VoiceDel},
        {"voice handles", VoiceHandles},
        {"voice free", VoiceFree},
        {"redirect", Redirect},
        {"autodial", AutoDial},
        {"state", State},
        {"watch", Watch},
    };
    return handlers;
}

// Checks what can be checked without the set, so that a typo never waits for a port search.
std::optional<std::string> CheckOperands(const Invocation& inv) {
    const std::string name = inv.command->name;
    const auto& ops = inv.operands;
    auto number = [&](size_t i, long min, long max,
                      const char* what) -> std::optional<std::string> {
        if (!ParseNumber(ops[i], min, max)) {
            return name + ": " + what + " is a number from " + std::to_string(min) + " to " +
                   std::to_string(max) + ", not \"" + ops[i] + "\"";
        }
        return std::nullopt;
    };
    if (name == "get" || name == "set") {
        const MemberInfo* m = FindProperty(ops[0]);
        if (m == nullptr) {
            return "no property \"" + ops[0] + "\"; the properties are " + PropertyNames();
        }
        if (name == "set") {
            std::string error;
            if (!PropertyValue(m->name, m->result, ops[1], error)) {
                return error;
            }
        }
    } else if (name == "dial") {
        if (!IsPhoneNumber(ops[0])) {
            return "dial: a number is 1 to 20 of 0-9, F, J, L, P, _; not \"" + ops[0] + "\"";
        }
    } else if (name == "key") {
        const std::optional<long> code = ParseNumber(ops[0], 1, 64);
        if (!code || (*code > 35 && *code != 64)) {
            return "key: a key code is 1 to 35 or 64, not \"" + ops[0] + "\"";
        }
    } else if (name == "callerid set") {
        return CheckCallerIdSet(ops);
    } else if (name == "voice get" || name == "voice del") {
        return number(0, 0, 32767, "the handle");
    } else if (name == "voice put") {
        if (!std::filesystem::is_regular_file(ops[0])) {
            return "voice put: no file " + ops[0];
        }
    } else if (name == "redirect" && !ops.empty()) {
        if (!IsPhoneNumber(ops[0])) {
            return "redirect: a number is 1 to 20 of 0-9, F, J, L, P, _; not \"" + ops[0] + "\"";
        }
    } else if (name == "autodial" && !ops.empty()) {
        size_t start = 0;
        const std::string& list = ops[0];
        while (start <= list.size() && !list.empty()) {
            const size_t comma = std::min(list.find(',', start), list.size());
            if (!IsPhoneNumber(std::string_view(list).substr(start, comma - start))) {
                return "autodial: the list is numbers separated by commas, not \"" + list + "\"";
            }
            start = comma + 1;
        }
    } else if (name == "state") {
        if (auto e = number(0, 0, 3, "the register")) {
            return e;
        }
        if (ops.size() == 2) {
            return number(1, 0, 255, "the value");
        }
    }
    return std::nullopt;
}

void ExplainNoSet(std::ostream& err) {
    err << "fonerixctl: no telephone set found on COM1 to COM4:\n";
    for (unsigned port = 1; port <= 4; ++port) {
        const PortDiagnosis d = DiagnosePort(port);
        err << "  COM" << port << " (" << d.path << "): " << d.reason << '\n';
    }
}

}  // namespace

int Session::Error(int code, const std::string& what) {
    err << "fonerixctl: " << what << '\n';
    return code;
}

bool Session::StillAnswers() {
    DEVICEINFO d{};
    control.CallRecord("GetDeviceInfo", &d);
    FreeBstr(d.Caption);
    return d.inUse != 0;
}

int Session::NotAnswering() {
    return Error(kExitNotAnswering, "the set does not answer");
}

int Session::Failed(const std::string& what) {
    if (!StillAnswers()) {
        return Error(kExitNotAnswering, what + ": the set on COM" + std::to_string(device.Port) +
                                            " does not answer any more");
    }
    return Error(kExitFailed, what);
}

CAwake::CAwake(CFonerixClient& control, bool writePermit) : control_(control) {
    const CVariant permit(writePermit);
    ok_ = control_.CallBool("WakeupDevice", std::span(&permit, 1));
}

CAwake::~CAwake() {
    control_.CallBool("SleepDevice");
}

int RunCommand(const Invocation& inv, std::ostream& out, std::ostream& err) {
    if (const std::optional<std::string> problem = CheckOperands(inv)) {
        err << "fonerixctl: " << *problem << '\n';
        return kExitUsage;
    }
    CreateFailure failure;
    std::optional<CFonerixClient> control = CFonerixClient::Create(failure);
    if (!control) {
        err << "fonerixctl: cannot create the control " << kFonerixCtrlProgId << ": "
            << failure.message << '\n';
        if (failure.step == CreateStep::Lookup) {
            err << "fonerixctl: register it first: fonerix-regsvr /path/to/libfonerix.so (it "
                   "writes "
                << UserRegistryPath().string() << ")\n";
        }
        return kExitNoControl;
    }

    // Each run is a new process with a new control: it has to find the set again.
    Session session{*control, inv, out, err, {}, {}};
    const bool found = control->CallRecord("LookForDevice", &session.device);
    session.caption = Utf8FromBstr(session.device.Caption);
    FreeBstr(session.device.Caption);
    if (!found || session.device.inUse == 0) {
        ExplainNoSet(err);
        return kExitNoSet;
    }
    const int rc = Handlers().at(inv.command->name)(session);
    out.flush();
    return rc;
}

int PrintVersion(std::ostream& out) {
    out << "fonerixctl " << FONERIXCTL_VERSION << '\n';
    const std::vector<std::filesystem::path> files = RegistrySearchPath();
    const std::optional<CLSID> clsid = FindProgId(kFonerixCtrlProgId, files);
    const std::optional<RegisteredClass> entry =
        clsid ? FindRegisteredClass(*clsid, files) : std::nullopt;
    if (!entry) {
        out << "control " << kFonerixCtrlProgId << ": not registered\n";
        return kExitOk;
    }
    out << "control " << kFonerixCtrlProgId << ": " << entry->library << " (registered in "
        << entry->file.string() << ")\n";
    CRegistryFile reg(entry->file);
    if (reg.Load()) {
        if (const auto version = reg.Get(ClassSection(*clsid), "FonerixVersion")) {
            out << "control version " << *version << '\n';
        }
        if (const auto version = reg.Get(TypeLibSection(kFonerixLibid), "Version")) {
            out << "type library " << FonerixTypeLibrary().name << " " << *version << '\n';
        }
    }
    return kExitOk;
}

}  // namespace fonerix::ctl
