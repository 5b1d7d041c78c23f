#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "platform/automation/Unknown.h"
#include "platform/automation/Variant.h"

namespace fonerix {

using DISPID = int32_t;
inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;
inline constexpr DISPID DISPID_ABOUTBOX = -552;

enum : uint16_t {
    DISPATCH_METHOD = 1,
    DISPATCH_PROPERTYGET = 2,
    DISPATCH_PROPERTYPUT = 4,
};

// Arguments of a call. As everywhere in automation, rgvarg holds them last first: the first
// declared parameter is rgvarg[cArgs - 1]. A property put passes the new value as the one named
// argument DISPID_PROPERTYPUT. The caller owns the arguments; the callee only reads them and
// writes through by-reference ones.
struct DISPPARAMS {
    VARIANT* rgvarg = nullptr;
    DISPID* rgdispidNamedArgs = nullptr;
    uint32_t cArgs = 0;
    uint32_t cNamedArgs = 0;
};

// The type table: what a client needs to call members by name.
enum class MemberKind : uint8_t { Method, PropertyGet, PropertyPut };

struct ParamInfo {
    const char* name;
    VARTYPE type;  // a by-value type, or a by-reference one for a pointer parameter
};

struct MemberInfo {
    const char* name;
    DISPID dispid;
    MemberKind kind;
    VARTYPE result;  // VT_EMPTY: no result
    std::span<const ParamInfo> params;
};

struct InterfaceInfo {
    const char* name;
    IID iid;
    std::span<const MemberInfo> members;

    const MemberInfo* Find(DISPID dispid, MemberKind kind) const;
    bool HasDispid(DISPID dispid) const;
    // Names compare without regard to ASCII case, as automation names do.
    const MemberInfo* FindByName(std::string_view memberName, MemberKind kind) const;
    // names[0] is a member, names[1..] parameters of it; ids receive the DISPID of the member
    // and the positions of the parameters. DISP_E_UNKNOWNNAME when any name is unknown (its id
    // is DISPID_UNKNOWN, the others are still filled).
    HRESULT GetIDsOfNames(const OLECHAR* const* names, uint32_t count, DISPID* ids) const;
};

struct TypeLibraryInfo {
    const char* name;
    GUID libid;
    uint16_t major;
    uint16_t minor;
    std::span<const InterfaceInfo* const> interfaces;
};

struct IDispatch : IUnknown {
    static constexpr IID kIid = MakeGuid("{00020400-0000-0000-C000-000000000046}");
    using Base = IUnknown;

    // The object's type table; valid while the caller holds a reference to the object.
    virtual HRESULT GetTypeInfo(const InterfaceInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(const OLECHAR* const* names, uint32_t count, DISPID* ids) = 0;
    // Calls member `dispid` as `flags` says. `result` (may be null) must be empty on entry; it
    // is overwritten. For a type mismatch or overflow *argErr (may be null) receives the
    // argument's index in rgvarg.
    virtual HRESULT Invoke(DISPID dispid, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                           uint32_t* argErr) = 0;
};

// The arguments of a call as the member declared them: in declaration order, by-value ones
// already converted to the declared type, by-reference ones exactly of the declared type.
class DispArgs {
  public:
    explicit DispArgs(std::span<const VARIANT> args) : m_args(args) {}
    size_t size() const { return m_args.size(); }
    const VARIANT& operator[](size_t i) const { return m_args[i]; }

    int16_t I2(size_t i) const { return m_args[i].iVal; }
    int32_t I4(size_t i) const { return m_args[i].lVal; }
    uint8_t UI1(size_t i) const { return m_args[i].bVal; }
    bool Bool(size_t i) const { return m_args[i].boolVal != VARIANT_FALSE; }
    DATE Date(size_t i) const { return m_args[i].date; }
    BSTR Bstr(size_t i) const { return m_args[i].bstrVal; }  // borrowed
    int16_t* I2Ref(size_t i) const { return m_args[i].piVal; }
    int32_t* I4Ref(size_t i) const { return m_args[i].plVal; }
    BSTR* BstrRef(size_t i) const { return m_args[i].pbstrVal; }
    // The record slot: the address the caller put there (may be null).
    void* Record(size_t i) const { return m_args[i].byref; }

  private:
    std::span<const VARIANT> m_args;
};

// Results; each accepts a null `result` (the caller did not want it) and frees what it would
// have handed over.
void ReturnI2(VARIANT* result, int16_t value);
void ReturnI4(VARIANT* result, int32_t value);
void ReturnBool(VARIANT* result, bool value);
void ReturnDate(VARIANT* result, DATE value);
void ReturnBstr(VARIANT* result, BSTR owned);

using MemberCall = std::function<HRESULT(const MemberInfo&, const DispArgs&, VARIANT* result)>;

// Invoke by the table: finds the member, checks the argument count and named arguments,
// converts the arguments and calls `call`. DISP_E_MEMBERNOTFOUND for an unknown DISPID or a
// kind the member lacks, DISP_E_BADPARAMCOUNT, DISP_E_PARAMNOTFOUND for a put without its named
// argument, DISP_E_NONAMEDARGS, DISP_E_TYPEMISMATCH / DISP_E_OVERFLOW with *argErr.
HRESULT InvokeFromTable(const InterfaceInfo& info, DISPID dispid, uint16_t flags,
                        DISPPARAMS* params, VARIANT* result, uint32_t* argErr,
                        const MemberCall& call);

// An object whose dispatch interface is described by `info`; it answers QueryInterface for
// info.iid with its IDispatch. Derived classes implement CallMember.
template <class... Others>
class CDispatchObject : public CObjectRoot<IDispatch, Others...> {
  public:
    HRESULT GetTypeInfo(const InterfaceInfo** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = &m_info;
        return S_OK;
    }
    HRESULT GetIDsOfNames(const OLECHAR* const* names, uint32_t count, DISPID* ids) override {
        return m_info.GetIDsOfNames(names, count, ids);
    }
    HRESULT Invoke(DISPID dispid, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                   uint32_t* argErr) override {
        // A member that fires events may meet a sink that releases the caller's last
        // reference; the object stays until the member has returned.
        const CComPtr<IDispatch> self(this);
        return InvokeFromTable(m_info, dispid, flags, params, result, argErr,
                               [this](const MemberInfo& m, const DispArgs& a, VARIANT* r) {
                                   return CallMember(m, a, r);
                               });
    }

  protected:
    explicit CDispatchObject(const InterfaceInfo& info) : m_info(info) {}

    // One member, its arguments checked against the table.
    virtual HRESULT CallMember(const MemberInfo& member, const DispArgs& args, VARIANT* result) = 0;

    void* FindInterface(const IID& iid) override {
        return iid == m_info.iid ? static_cast<IDispatch*>(this) : nullptr;
    }

  private:
    const InterfaceInfo& m_info;
};

// Host side: calls `dispid` with `args` in declaration order (the put value last for a property
// put), building the DISPPARAMS.
HRESULT DispatchCall(IDispatch* object, DISPID dispid, uint16_t flags,
                     std::span<const CVariant> args, VARIANT* result, uint32_t* argErr = nullptr);

}  // namespace fonerix
