#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/automation/CreateObject.h"
#include "platform/automation/Dispatch.h"
#include "platform/automation/Variant.h"

namespace fonerix::ctl {

// The control as fonerixctl reaches it: created by ProgID through the registry, every member
// called by name (GetIDsOfNames) with the kinds and types of the object's own type table, and
// nothing else than IDispatch::Invoke.
class CFonerixClient {
  public:
    // Null with `failure` filled when the control cannot be created.
    static std::optional<CFonerixClient> Create(CreateFailure& failure);

    IDispatch* Dispatch() const { return m_dispatch.Get(); }
    const InterfaceInfo& Info() const { return *m_info; }

    // The member `name` of kind `kind`, or null; names compare without regard to case.
    const MemberInfo* Find(std::string_view name, MemberKind kind) const;

    // A method call; `result` (may be null) receives the result. The HRESULT of the Invoke, or
    // DISP_E_UNKNOWNNAME when the control does not know the name.
    HRESULT Call(std::string_view method, std::span<const CVariant> args = {},
                 CVariant* result = nullptr);
    // A property get; `index` for an indexed property.
    HRESULT Get(std::string_view property, CVariant& result, std::span<const CVariant> index = {});
    HRESULT Put(std::string_view property, const CVariant& value,
                std::span<const CVariant> index = {});

    // Shortcuts for the BOOL methods: false also when the call itself failed.
    bool CallBool(std::string_view method, std::span<const CVariant> args = {});

    // A record method (LookForDevice, GetIncomeBook ...): the record's address in the slot.
    bool CallRecord(std::string_view method, void* record) {
        const CVariant slot = CVariant::RecordRef(record);
        return CallBool(method, std::span(&slot, 1));
    }

    // The HRESULT of the last failed Invoke, for messages.
    HRESULT LastError() const { return m_lastError; }

  private:
    CFonerixClient(CComPtr<IDispatch> dispatch, const InterfaceInfo* info)
        : m_dispatch(std::move(dispatch)), m_info(info) {}
    HRESULT Invoke(std::string_view name, uint16_t flags, std::span<const CVariant> args,
                   VARIANT* result);

    CComPtr<IDispatch> m_dispatch;
    const InterfaceInfo* m_info;
    HRESULT m_lastError = S_OK;
};

// Values of results.
bool AsBool(const CVariant& v);
long long AsInteger(const CVariant& v);  // I2, I4, UI1, BOOL
std::string AsText(const CVariant& v);   // BSTR as UTF-8

}  // namespace fonerix::ctl
