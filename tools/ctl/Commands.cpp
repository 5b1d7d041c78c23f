#include "tools/ctl/Commands.h"

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control/automation/FonerixInterface.h"
#include "platform/automation/Registry.h"
#include "tools/ctl/CommandSupport.h"
#include "tools/ctl/ExitCodes.h"
#include "tools/ctl/Session.h"
#include "tools/probe/PortDiagnosis.h"

#ifndef FONERIXCTL_VERSION
#define FONERIXCTL_VERSION "0"
#endif

namespace fonerix::ctl {

namespace {

// The control searches COM1 to COM4 and takes no list of ports, but it finds each port's path
// by FONERIX_COM<n> in this process's environment: the ports not asked for are pointed at a
// path that cannot be opened, so that nothing is sent to them.
void SearchOnly(unsigned port) {
    for (unsigned n = kFirstComPort; n <= kLastComPort; ++n) {
        if (n != port) {
            ::setenv(("FONERIX_COM" + std::to_string(n)).c_str(), "/dev/null/not-searched", 1);
        }
    }
}

void ExplainNoSet(std::ostream& err, std::optional<unsigned> only) {
    const unsigned first = only.value_or(kFirstComPort);
    const unsigned last = only.value_or(kLastComPort);
    err << "fonerixctl: no telephone set found on COM" << first;
    if (last != first) {
        err << " to COM" << last;
    }
    err << ":\n";
    for (unsigned port = first; port <= last; ++port) {
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

CAwake::CAwake(CFonerixClient& control, bool writePermit) : m_control(control) {
    const CVariant permit(writePermit);
    m_ok = m_control.CallBool("WakeupDevice", std::span(&permit, 1));
}

CAwake::~CAwake() {
    m_control.CallBool("SleepDevice");
}

int RunCommand(const Invocation& inv, std::ostream& out, std::ostream& err) {
    if (inv.command->check != nullptr) {
        if (const std::optional<std::string> problem = inv.command->check(inv.operands)) {
            err << "fonerixctl: " << *problem << '\n';
            return kExitUsage;
        }
    }
    if (inv.port) {
        SearchOnly(*inv.port);
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
        ExplainNoSet(err, inv.port);
        return kExitNoSet;
    }
    const int rc = inv.command->run(session);
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
