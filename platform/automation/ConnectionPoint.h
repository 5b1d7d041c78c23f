#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "platform/automation/Dispatch.h"

namespace fonerix {

struct IConnectionPoint : IUnknown {
    static constexpr IID kIid = MakeGuid("{B196B286-BAB4-101A-B69C-00AA00341D07}");
    using Base = IUnknown;

    virtual HRESULT GetConnectionInterface(IID* iid) = 0;
    // The sink must answer QueryInterface for the connection's interface with an IDispatch
    // (CONNECT_E_CANNOTCONNECT otherwise). *cookie identifies the connection, never 0.
    virtual HRESULT Advise(IUnknown* sink, uint32_t* cookie) = 0;
    // CONNECT_E_NOCONNECTION for a cookie not advised.
    virtual HRESULT Unadvise(uint32_t cookie) = 0;
};

struct IConnectionPointContainer : IUnknown {
    static constexpr IID kIid = MakeGuid("{B196B284-BAB4-101A-B69C-00AA00341D07}");
    using Base = IUnknown;

    // E_NOINTERFACE when the object has no source interface `iid`.
    virtual HRESULT FindConnectionPoint(const IID& iid, IConnectionPoint** point) = 0;
};

// The connection point of one source interface, a member of the object that fires it. Its
// reference count is the owner's, so a client holding the point keeps the owner alive.
class CConnectionPoint final : public IConnectionPoint {
  public:
    CConnectionPoint(IUnknown& owner, const IID& events) : m_owner(owner), m_events(events) {}
    ~CConnectionPoint() override = default;
    CConnectionPoint(const CConnectionPoint&) = delete;
    CConnectionPoint& operator=(const CConnectionPoint&) = delete;

    HRESULT QueryInterface(const IID& iid, void** object) override;
    uint32_t AddRef() override { return m_owner.AddRef(); }
    uint32_t Release() override { return m_owner.Release(); }
    HRESULT GetConnectionInterface(IID* iid) override;
    HRESULT Advise(IUnknown* sink, uint32_t* cookie) override;
    HRESULT Unadvise(uint32_t cookie) override;

    const IID& Events() const { return m_events; }
    size_t SinkCount() const { return m_sinks.size(); }

    // Calls `dispid` on each sink synchronously, in the order they were advised, and returns
    // how many were called. `args` are in declaration order. A sink advised while the event is
    // being fired waits for the next one; a sink unadvised by an earlier one is not called.
    // Each sink is held for the length of its call, so it may unadvise itself, and the owner
    // for the length of the firing, so a sink may release it.
    size_t Fire(DISPID dispid, std::span<const CVariant> args = {});

    // As Fire, but `call` makes the call to each sink itself, so that every sink can be given
    // arguments of its own (a string that the receiver frees cannot be shared between sinks).
    using SinkCall = std::function<void(IDispatch* sink)>;
    size_t FireEach(const SinkCall& call);

    // Drops every sink (the owner is going away).
    void UnadviseAll();

  private:
    IUnknown& m_owner;
    IID m_events;
    uint32_t m_nextCookie = 1;
    std::vector<std::pair<uint32_t, CComPtr<IDispatch>>> m_sinks;
};

// Host side: an event sink for the source interface `events`, passing every event to `handler`
// with its arguments as the source gave them (last first).
class CEventSink final : public CObjectRoot<IDispatch> {
  public:
    using Handler = std::function<void(DISPID dispid, const DISPPARAMS& params)>;
    CEventSink(const IID& events, Handler handler)
        : m_events(events), m_handler(std::move(handler)) {}

    HRESULT GetTypeInfo(const InterfaceInfo** info) override;
    HRESULT GetIDsOfNames(const OLECHAR* const* names, uint32_t count, DISPID* ids) override;
    HRESULT Invoke(DISPID dispid, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                   uint32_t* argErr) override;

  protected:
    void* FindInterface(const IID& iid) override {
        return iid == m_events ? static_cast<IDispatch*>(this) : nullptr;
    }

  private:
    IID m_events;
    Handler m_handler;
};

// Host side: finds the source's connection point for `events` and advises `sink`.
HRESULT AdviseSink(IUnknown* source, const IID& events, IUnknown* sink, uint32_t* cookie);
HRESULT UnadviseSink(IUnknown* source, const IID& events, uint32_t cookie);

}  // namespace fonerix
