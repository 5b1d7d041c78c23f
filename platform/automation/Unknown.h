#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <type_traits>
#include <utility>

#include "platform/automation/Guid.h"
#include "platform/automation/HResult.h"

namespace fonerix {

// The root of every interface. Each interface names its identifier (`kIid`) and the interface it
// extends (`Base`), which is all QueryInterface needs to find it.
struct IUnknown {
    static constexpr IID kIid = MakeGuid("{00000000-0000-0000-C000-000000000046}");
    using Base = void;

    // On success *object holds a new reference; on failure it is null.
    virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

  protected:
    // Objects go away through Release only.
    virtual ~IUnknown() = default;
};

// Live objects and LockServer locks of the module (each shared library linking this layer has
// its own count). DllCanUnloadNow answers from it.
void ModuleObjectCreated();
void ModuleObjectDestroyed();
void ModuleLock(bool lock);
bool ModuleCanUnload();
// A thread of the module that could not be joined where its work ended (it was inside the
// call that ended it). The module cannot unload while such a thread runs: ModuleCanUnload
// joins the ones whose `finished` answers true and says false while any is left.
void ModuleAdoptThread(std::thread thread, std::function<bool()> finished);

// Host-side owner of one interface reference.
template <class T>
class CComPtr {
  public:
    CComPtr() = default;
    CComPtr(std::nullptr_t) {}
    // Takes a new reference to `p`.
    explicit CComPtr(T* p) : m_p(p) {
        if (m_p != nullptr) {
            m_p->AddRef();
        }
    }
    CComPtr(const CComPtr& other) : CComPtr(other.m_p) {}
    CComPtr(CComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    CComPtr& operator=(CComPtr other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~CComPtr() { Reset(); }

    // Adopts a reference the caller already holds.
    static CComPtr Attach(T* p) {
        CComPtr c;
        c.m_p = p;
        return c;
    }
    T* Detach() { return std::exchange(m_p, nullptr); }
    void Reset() {
        if (T* p = std::exchange(m_p, nullptr)) {
            p->Release();
        }
    }
    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For an out-parameter: releases what it holds and gives the slot.
    T** Put() {
        Reset();
        return &m_p;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    // QueryInterface for `U`; an empty pointer when the object does not offer it.
    template <class U>
    CComPtr<U> As() const {
        CComPtr<U> out;
        if (m_p != nullptr) {
            m_p->QueryInterface(U::kIid, out.PutVoid());
        }
        return out;
    }

  private:
    T* m_p = nullptr;
};

namespace detail {

template <class I>
void* MatchInterface(I* p, const IID& iid) {
    if (iid == I::kIid) {
        return p;
    }
    if constexpr (std::is_void_v<typename I::Base>) {
        return nullptr;
    } else {
        return MatchInterface<typename I::Base>(p, iid);
    }
}

}  // namespace detail

// The reference counting and QueryInterface of an object implementing `Primary` and `Others`.
// An object starts with one reference, held by whoever made it (see MakeObject), and deletes
// itself at the last Release. QueryInterface for IUnknown always gives the same pointer.
template <class Primary, class... Others>
class CObjectRoot : public Primary, public Others... {
  public:
    HRESULT QueryInterface(const IID& iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        void* found = detail::MatchInterface<Primary>(static_cast<Primary*>(this), iid);
        ((found = found != nullptr
                      ? found
                      : detail::MatchInterface<Others>(static_cast<Others*>(this), iid)),
         ...);
        if (found == nullptr) {
            found = FindInterface(iid);
        }
        *object = found;
        if (found == nullptr) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    uint32_t AddRef() override { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }
    uint32_t Release() override {
        const uint32_t left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) {
            delete this;
        }
        return left;
    }

  protected:
    CObjectRoot() { ModuleObjectCreated(); }
    ~CObjectRoot() override { ModuleObjectDestroyed(); }
    CObjectRoot(const CObjectRoot&) = delete;
    CObjectRoot& operator=(const CObjectRoot&) = delete;

    // Identifiers answered beyond the base interfaces (a dispinterface, say); the pointer must
    // be to this object. No AddRef: QueryInterface does it.
    virtual void* FindInterface(const IID& /*iid*/) { return nullptr; }

  private:
    std::atomic<uint32_t> m_refs{1};
};

// A new object owned by the returned pointer.
template <class T, class... Args>
CComPtr<T> MakeObject(Args&&... args) {
    return CComPtr<T>::Attach(new T(std::forward<Args>(args)...));
}

}  // namespace fonerix
