// Calling the control the way its clients do: by DISPID through IDispatch::Invoke, and
// recording its events through an advised sink.
#pragma once

#include <gtest/gtest.h>

#include <poll.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/automation/ConnectionPoint.h"
#include "platform/automation/Dispatch.h"
#include "platform/automation/HostServices.h"

namespace fonerix::test {

inline CVariant Invoke(IDispatch* object, DISPID dispid, uint16_t flags,
                       const std::vector<CVariant>& args = {}, HRESULT expected = S_OK) {
    CVariant result;
    EXPECT_EQ(DispatchCall(object, dispid, flags, args, result.get()), expected)
        << "DISPID " << dispid;
    return result;
}
inline CVariant Call(IDispatch* object, DISPID dispid, std::initializer_list<CVariant> args = {}) {
    return Invoke(object, dispid, DISPATCH_METHOD, args);
}
inline CVariant Get(IDispatch* object, DISPID dispid, std::initializer_list<CVariant> args = {}) {
    return Invoke(object, dispid, DISPATCH_PROPERTYGET, args);
}
inline void Put(IDispatch* object, DISPID dispid, std::initializer_list<CVariant> args) {
    Invoke(object, dispid, DISPATCH_PROPERTYPUT, args);
}

// A BOOL result as the control gives it: VT_BOOL, true or false.
inline bool AsBool(const CVariant& v) {
    EXPECT_EQ(v.vt(), VT_BOOL);
    return v->boolVal != VARIANT_FALSE;
}

// One event as a sink saw it.
struct SeenEvent {
    DISPID dispid;
    std::vector<VARTYPE> types;
    std::string number;  // a BSTR* argument, as UTF-8
    int32_t key = 0;     // an I4 argument
};

// Records every event of the source it is advised to, and frees each number string it
// receives; `during` (may be empty) runs inside each event, after the event is recorded, and
// may take the string by nulling its slot.
class EventLog {
  public:
    using During = std::function<void(const SeenEvent&, const DISPPARAMS&)>;

    EventLog(IUnknown* source, const IID& events, During during = {}) : m_source(source) {
        m_sink = MakeObject<CEventSink>(events, [this](DISPID dispid, const DISPPARAMS& p) {
            SeenEvent e{dispid, {}, {}, 0};
            for (uint32_t i = 0; i < p.cArgs; ++i) {
                const VARIANT& v = p.rgvarg[p.cArgs - 1 - i];
                e.types.push_back(v.vt);
                if (v.vt == (VT_BSTR | VT_BYREF) && v.pbstrVal != nullptr) {
                    e.number = Utf8FromBstr(*v.pbstrVal);
                } else if (v.vt == VT_I4) {
                    e.key = v.lVal;
                }
            }
            seen.push_back(e);
            if (m_during) {
                m_during(e, p);
            }
            // The number's string is the receiver's: freed here unless `during` took it.
            for (uint32_t i = 0; i < p.cArgs; ++i) {
                const VARIANT& v = p.rgvarg[i];
                if (v.vt == (VT_BSTR | VT_BYREF) && v.pbstrVal != nullptr) {
                    SysFreeString(*v.pbstrVal);
                    *v.pbstrVal = nullptr;
                }
            }
        });
        m_during = std::move(during);
        EXPECT_EQ(AdviseSink(m_source, events, m_sink.Get(), &m_cookie), S_OK);
        m_events = events;
    }
    ~EventLog() {
        if (m_source != nullptr) {
            UnadviseSink(m_source, m_events, m_cookie);
        }
    }
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Forgets the source (it is gone) so that the destructor does not unadvise.
    void Detach() { m_source = nullptr; }

    std::vector<SeenEvent> seen;

  private:
    IUnknown* m_source;
    IID m_events{};
    uint32_t m_cookie = 0;
    During m_during;
    CComPtr<CEventSink> m_sink;
};

// Calls every member of a control without a device object and checks its answer: the neutral
// value, and nothing written to records or out-parameters (NoDeviceAnswers.cpp).
void ExpectNoDeviceAnswers(IDispatch* control);

// Drives the control's window from this thread until `count` events have been seen or no
// notification arrives for a generous while; as a host's event loop does.
inline bool PumpUntil(IEventWindow* window, const std::vector<SeenEvent>& seen, size_t count,
                      int idleLimitMs = 10000) {
    int fd = -1;
    if (window->GetDescriptor(&fd) != S_OK) {
        return false;
    }
    while (seen.size() < count) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, idleLimitMs) <= 0) {
            return false;
        }
        uint32_t handled = 0;
        window->DispatchPending(&handled);
    }
    return true;
}

}  // namespace fonerix::test
