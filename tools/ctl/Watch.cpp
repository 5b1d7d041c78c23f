#include "tools/ctl/Watch.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>

#include "control/automation/FonerixInterface.h"
#include "platform/automation/ConnectionPoint.h"
#include "platform/automation/HostServices.h"
#include "tools/ctl/ExitCodes.h"
#include "tools/ctl/Output.h"

namespace fonerix::ctl {

namespace {

int signalPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

// SIGINT and SIGTERM end the watch through a pipe that poll() sees, whichever thread the
// signal lands on; the old handlers come back when the watch ends.
class CStopSignals {
  public:
    CStopSignals() {
        if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
            return;
        }
        struct sigaction sa {};
        sa.sa_handler = OnStopSignal;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGINT, &sa, &m_oldInt);
        ::sigaction(SIGTERM, &sa, &m_oldTerm);
        m_installed = true;
    }
    ~CStopSignals() {
        if (m_installed) {
            ::sigaction(SIGINT, &m_oldInt, nullptr);
            ::sigaction(SIGTERM, &m_oldTerm, nullptr);
            ::close(signalPipe[0]);
            ::close(signalPipe[1]);
            signalPipe[0] = signalPipe[1] = -1;
        }
    }
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;
    bool Ok() const { return m_installed; }
    int Descriptor() const { return signalPipe[0]; }

  private:
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
    bool m_installed = false;
};

std::string Stamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
    return buf;
}

// The word an event's argument goes by in the output.
const char* ArgumentLabel(const ParamInfo& p) {
    return (p.type & ~VT_BYREF) == VT_BSTR ? "number" : "key";
}

}  // namespace

void FreeEventStrings(const DISPPARAMS& params) {
    for (uint32_t i = 0; i < params.cArgs; ++i) {
        VARIANT& v = params.rgvarg[i];
        if (v.vt == (VT_BSTR | VT_BYREF) && v.pbstrVal != nullptr) {
            SysFreeString(*v.pbstrVal);
            *v.pbstrVal = nullptr;
        }
    }
}

std::string EventLine(const std::string& stamp, DISPID dispid, const DISPPARAMS& params,
                      bool json) {
    const MemberInfo* event = FonerixEventsInfo().Find(dispid, MemberKind::Method);
    const std::string name = event != nullptr ? event->name : "event " + std::to_string(dispid);
    std::string line = json ? "{\"time\": " + JsonString(stamp) + ", \"event\": " + JsonString(name)
                            : stamp + "  " + name;
    // Arguments come last first; the table says what each is.
    for (uint32_t i = 0; i < params.cArgs; ++i) {
        const VARIANT& v = params.rgvarg[params.cArgs - 1 - i];
        const char* label =
            event != nullptr && i < event->params.size() ? ArgumentLabel(event->params[i]) : "arg";
        std::string text;
        bool number = false;
        if (v.vt == (VT_BSTR | VT_BYREF)) {
            text = v.pbstrVal != nullptr ? Utf8FromBstr(*v.pbstrVal) : "";
        } else if (v.vt == VT_BSTR) {
            text = Utf8FromBstr(v.bstrVal);
        } else if (v.vt == VT_I4 || v.vt == VT_I2) {
            text = std::to_string(v.vt == VT_I4 ? v.lVal : v.iVal);
            number = true;
        }
        if (json) {
            line +=
                std::string(", ") + JsonString(label) + ": " + (number ? text : JsonString(text));
        } else {
            line += "  " + (text.empty() && !number ? std::string("(no number)") : text);
        }
    }
    return json ? line + "}" : line;
}

int Watch(Session& s) {
    const bool json = s.invocation.json;
    CComPtr<IEventWindow> window = CComPtr<IDispatch>(s.control.Dispatch()).As<IEventWindow>();
    int fd = -1;
    if (!window || FAILED(window->GetDescriptor(&fd)) || fd < 0) {
        return s.Error(kExitFailed, "the control offers no event window to watch");
    }
    std::ostream& out = s.out;
    const CComPtr<CEventSink> sink = MakeObject<CEventSink>(
        kFonerixEventsIid, [&out, json](DISPID dispid, const DISPPARAMS& params) {
            out << EventLine(Stamp(), dispid, params, json) << std::endl;
            // The number of ComingCall and ParallDialing is this sink's own string.
            FreeEventStrings(params);
        });
    uint32_t cookie = 0;
    if (const HRESULT hr = AdviseSink(s.control.Dispatch(), kFonerixEventsIid, sink.Get(), &cookie);
        FAILED(hr)) {
        return s.Error(kExitFailed,
                       "cannot connect to the control's events: " + DescribeResult(hr));
    }
    CStopSignals stop;
    if (!stop.Ok()) {
        UnadviseSink(s.control.Dispatch(), kFonerixEventsIid, cookie);
        return s.Error(kExitFailed, "cannot set up the stop signals");
    }
    s.control.Call("EnableDeviceEvents");
    s.err << "fonerixctl: watching " << s.caption << " on COM" << s.device.Port
          << (s.invocation.seconds ? " for " + std::to_string(*s.invocation.seconds) + " s"
                                   : std::string())
          << "; Ctrl-C stops" << std::endl;

    using Clock = std::chrono::steady_clock;
    const std::optional<Clock::time_point> end =
        s.invocation.seconds
            ? std::optional(Clock::now() + std::chrono::seconds(*s.invocation.seconds))
            : std::nullopt;
    int rc = kExitOk;
    for (;;) {
        int timeout = -1;
        if (end) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(*end - Clock::now()).count();
            if (left <= 0) {
                break;
            }
            timeout = static_cast<int>(left);
        }
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop.Descriptor(), POLLIN, 0}};
        const int n = ::poll(fds, 2, timeout);
        if (n < 0 && errno != EINTR) {
            rc = s.Error(kExitFailed, std::string("poll: ") + std::strerror(errno));
            break;
        }
        if (n > 0 && (fds[1].revents & POLLIN) != 0) {
            break;
        }
        if (n > 0 && (fds[0].revents & POLLIN) != 0) {
            window->DispatchPending(nullptr);
        }
    }
    s.control.Call("DisableDeviceEvents");
    UnadviseSink(s.control.Dispatch(), kFonerixEventsIid, cookie);
    s.err << "fonerixctl: stopped watching" << std::endl;
    return rc;
}

}  // namespace fonerix::ctl
