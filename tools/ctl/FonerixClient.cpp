#include "tools/ctl/FonerixClient.h"

#include <vector>

#include "control/automation/FonerixInterface.h"

namespace fonerix::ctl {

namespace {

std::u16string Wide(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

}  // namespace

std::optional<CFonerixClient> CFonerixClient::Create(CreateFailure& failure) {
    CComPtr<IDispatch> dispatch;
    if (FAILED(CreateObject(kFonerixCtrlProgId, dispatch, &failure))) {
        return std::nullopt;
    }
    const InterfaceInfo* info = nullptr;
    if (FAILED(dispatch->GetTypeInfo(&info)) || info == nullptr) {
        failure = {CreateStep::CreateInstance, E_NOINTERFACE,
                   "the control created from the registry describes no interface"};
        return std::nullopt;
    }
    return CFonerixClient(std::move(dispatch), info);
}

const MemberInfo* CFonerixClient::Find(std::string_view name, MemberKind kind) const {
    return m_info->FindByName(name, kind);
}

HRESULT CFonerixClient::Invoke(std::string_view name, uint16_t flags,
                               std::span<const CVariant> args, VARIANT* result) {
    // By name, as any automation client without a header would: the object gives the DISPID.
    const std::u16string wide = Wide(name);
    const OLECHAR* names[] = {wide.c_str()};
    DISPID dispid = DISPID_UNKNOWN;
    HRESULT hr = m_dispatch->GetIDsOfNames(names, 1, &dispid);
    if (SUCCEEDED(hr)) {
        hr = DispatchCall(m_dispatch.Get(), dispid, flags, args, result);
    }
    if (FAILED(hr)) {
        m_lastError = hr;
    }
    return hr;
}

HRESULT CFonerixClient::Call(std::string_view method, std::span<const CVariant> args,
                             CVariant* result) {
    return Invoke(method, DISPATCH_METHOD, args, result != nullptr ? result->get() : nullptr);
}

HRESULT CFonerixClient::Get(std::string_view property, CVariant& result,
                            std::span<const CVariant> index) {
    result = CVariant();
    return Invoke(property, DISPATCH_PROPERTYGET, index, result.get());
}

HRESULT CFonerixClient::Put(std::string_view property, const CVariant& value,
                            std::span<const CVariant> index) {
    std::vector<CVariant> args(index.begin(), index.end());
    args.push_back(value);
    return Invoke(property, DISPATCH_PROPERTYPUT, args, nullptr);
}

bool CFonerixClient::CallBool(std::string_view method, std::span<const CVariant> args) {
    CVariant result;
    return SUCCEEDED(Call(method, args, &result)) && AsBool(result);
}

bool AsBool(const CVariant& v) {
    return AsInteger(v) != 0;
}

long long AsInteger(const CVariant& v) {
    switch (v.vt()) {
        case VT_I2:
            return v->iVal;
        case VT_I4:
            return v->lVal;
        case VT_UI1:
            return v->bVal;
        case VT_BOOL:
            return v->boolVal != VARIANT_FALSE ? 1 : 0;
        default:
            return 0;
    }
}

std::string AsText(const CVariant& v) {
    return v.Utf8();
}

}  // namespace fonerix::ctl
