#include "platform/automation/ConnectionPoint.h"

#include <algorithm>

namespace fonerix {

HRESULT CConnectionPoint::QueryInterface(const IID& iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == IUnknown::kIid || iid == IConnectionPoint::kIid) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT CConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) {
        return E_POINTER;
    }
    *iid = m_events;
    return S_OK;
}

HRESULT CConnectionPoint::Advise(IUnknown* sink, uint32_t* cookie) {
    if (sink == nullptr || cookie == nullptr) {
        return E_POINTER;
    }
    *cookie = 0;
    CComPtr<IDispatch> events;
    if (FAILED(sink->QueryInterface(m_events, events.PutVoid())) || !events) {
        return CONNECT_E_CANNOTCONNECT;
    }
    *cookie = m_nextCookie++;
    if (m_nextCookie == 0) {
        m_nextCookie = 1;
    }
    m_sinks.emplace_back(*cookie, std::move(events));
    return S_OK;
}

HRESULT CConnectionPoint::Unadvise(uint32_t cookie) {
    const auto it = std::find_if(m_sinks.begin(), m_sinks.end(),
                                 [cookie](const auto& s) { return s.first == cookie; });
    if (it == m_sinks.end()) {
        return CONNECT_E_NOCONNECTION;
    }
    CComPtr<IDispatch> leaving = std::move(it->second);
    m_sinks.erase(it);
    // Released after the list is consistent: the sink's destructor may call back into us.
    leaving.Reset();
    return S_OK;
}

size_t CConnectionPoint::Fire(DISPID dispid, std::span<const CVariant> args) {
    return FireEach(
        [&](IDispatch* sink) { DispatchCall(sink, dispid, DISPATCH_METHOD, args, nullptr); });
}

size_t CConnectionPoint::FireEach(const SinkCall& call) {
    // A sink may drop the host's last reference to the owner; the owner, and this point in it,
    // must outlive the loop.
    const CComPtr<IUnknown> keepOwner(&m_owner);
    std::vector<uint32_t> cookies;
    cookies.reserve(m_sinks.size());
    for (const auto& s : m_sinks) {
        cookies.push_back(s.first);
    }
    size_t called = 0;
    for (uint32_t cookie : cookies) {
        const auto it = std::find_if(m_sinks.begin(), m_sinks.end(),
                                     [cookie](const auto& s) { return s.first == cookie; });
        if (it == m_sinks.end()) {
            continue;
        }
        const CComPtr<IDispatch> sink = it->second;
        call(sink.Get());
        ++called;
    }
    return called;
}

void CConnectionPoint::UnadviseAll() {
    auto leaving = std::move(m_sinks);
    m_sinks.clear();
}

HRESULT CEventSink::GetTypeInfo(const InterfaceInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT CEventSink::GetIDsOfNames(const OLECHAR* const*, uint32_t, DISPID*) {
    return E_NOTIMPL;
}

HRESULT CEventSink::Invoke(DISPID dispid, uint16_t, DISPPARAMS* params, VARIANT* result,
                           uint32_t*) {
    static const DISPPARAMS noArgs;
    if (result != nullptr) {
        VariantInit(result);
    }
    if (m_handler) {
        m_handler(dispid, params != nullptr ? *params : noArgs);
    }
    return S_OK;
}

namespace {

// The connection point of `source` for the events interface `events`.
HRESULT FindPoint(IUnknown* source, const IID& events, CComPtr<IConnectionPoint>& point) {
    if (source == nullptr) {
        return E_POINTER;
    }
    CComPtr<IConnectionPointContainer> container;
    const HRESULT hr = source->QueryInterface(IConnectionPointContainer::kIid, container.PutVoid());
    if (FAILED(hr)) {
        return hr;
    }
    return container->FindConnectionPoint(events, point.Put());
}

}  // namespace

HRESULT AdviseSink(IUnknown* source, const IID& events, IUnknown* sink, uint32_t* cookie) {
    CComPtr<IConnectionPoint> point;
    const HRESULT hr = FindPoint(source, events, point);
    return FAILED(hr) ? hr : point->Advise(sink, cookie);
}

HRESULT UnadviseSink(IUnknown* source, const IID& events, uint32_t cookie) {
    CComPtr<IConnectionPoint> point;
    const HRESULT hr = FindPoint(source, events, point);
    return FAILED(hr) ? hr : point->Unadvise(cookie);
}

}  // namespace fonerix
