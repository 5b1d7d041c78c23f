#include "platform/automation/Dispatch.h"

#include <vector>

#include "platform/automation/NameCompare.h"

namespace fonerix {

namespace {

std::string NameOf(const OLECHAR* name) {
    return name == nullptr ? std::string() : Utf8FromUtf16(name);
}

}  // namespace

const MemberInfo* InterfaceInfo::Find(DISPID dispid, MemberKind kind) const {
    for (const MemberInfo& m : members) {
        if (m.dispid == dispid && m.kind == kind) {
            return &m;
        }
    }
    return nullptr;
}

bool InterfaceInfo::HasDispid(DISPID dispid) const {
    for (const MemberInfo& m : members) {
        if (m.dispid == dispid) {
            return true;
        }
    }
    return false;
}

const MemberInfo* InterfaceInfo::FindByName(std::string_view memberName, MemberKind kind) const {
    for (const MemberInfo& m : members) {
        if (m.kind == kind && SameName(m.name, memberName)) {
            return &m;
        }
    }
    return nullptr;
}

HRESULT InterfaceInfo::GetIDsOfNames(const OLECHAR* const* names, uint32_t count,
                                     DISPID* ids) const {
    if (names == nullptr || ids == nullptr || count == 0) {
        return E_INVALIDARG;
    }
    const std::string member = NameOf(names[0]);
    const MemberInfo* found = nullptr;
    for (const MemberInfo& m : members) {
        if (SameName(m.name, member)) {
            // A property's get and put share the DISPID; take the one with the most parameters
            // so that a parameter name can be looked up in it.
            if (found == nullptr || m.params.size() > found->params.size()) {
                found = &m;
            }
        }
    }
    HRESULT hr = S_OK;
    ids[0] = found != nullptr ? found->dispid : DISPID_UNKNOWN;
    if (found == nullptr) {
        hr = DISP_E_UNKNOWNNAME;
    }
    for (uint32_t i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (found == nullptr) {
            continue;
        }
        const std::string param = NameOf(names[i]);
        for (size_t p = 0; p < found->params.size(); ++p) {
            if (SameName(found->params[p].name, param)) {
                ids[i] = static_cast<DISPID>(p);
            }
        }
        if (ids[i] == DISPID_UNKNOWN) {
            hr = DISP_E_UNKNOWNNAME;
        }
    }
    return hr;
}

void ReturnI2(VARIANT* result, int16_t value) {
    if (result != nullptr) {
        result->vt = VT_I2, result->iVal = value;
    }
}

void ReturnI4(VARIANT* result, int32_t value) {
    if (result != nullptr) {
        result->vt = VT_I4, result->lVal = value;
    }
}

void ReturnBool(VARIANT* result, bool value) {
    if (result != nullptr) {
        result->vt = VT_BOOL, result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
}

void ReturnDate(VARIANT* result, DATE value) {
    if (result != nullptr) {
        result->vt = VT_DATE, result->date = value;
    }
}

void ReturnBstr(VARIANT* result, BSTR owned) {
    if (result != nullptr) {
        result->vt = VT_BSTR, result->bstrVal = owned;
    } else {
        SysFreeString(owned);
    }
}

HRESULT InvokeFromTable(const InterfaceInfo& info, DISPID dispid, uint16_t flags,
                        DISPPARAMS* params, VARIANT* result, uint32_t* argErr,
                        const MemberCall& call) {
    static DISPPARAMS noArgs;
    const DISPPARAMS& p = params != nullptr ? *params : noArgs;
    if (p.cArgs > 0 && p.rgvarg == nullptr) {
        return E_INVALIDARG;
    }

    const MemberInfo* member = nullptr;
    if ((flags & DISPATCH_PROPERTYPUT) != 0) {
        member = info.Find(dispid, MemberKind::PropertyPut);
    } else {
        if ((flags & DISPATCH_METHOD) != 0) {
            member = info.Find(dispid, MemberKind::Method);
        }
        if (member == nullptr && (flags & DISPATCH_PROPERTYGET) != 0) {
            member = info.Find(dispid, MemberKind::PropertyGet);
        }
    }
    if (member == nullptr) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (member->kind == MemberKind::PropertyPut) {
        if (p.cNamedArgs != 1 || p.rgdispidNamedArgs == nullptr ||
            p.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
            return DISP_E_PARAMNOTFOUND;
        }
    } else if (p.cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }
    if (p.cArgs != member->params.size()) {
        return DISP_E_BADPARAMCOUNT;
    }

    // Declaration order is rgvarg reversed (the put value, the one named argument, is
    // rgvarg[0] and the last parameter).
    std::vector<VARIANT> args(p.cArgs);
    HRESULT hr = S_OK;
    size_t converted = 0;
    for (; converted < p.cArgs; ++converted) {
        const uint32_t at = p.cArgs - 1 - static_cast<uint32_t>(converted);
        const VARIANT& given = p.rgvarg[at];
        const VARTYPE wanted = member->params[converted].type;
        if ((wanted & VT_BYREF) != 0) {
            // A reference cannot be converted: the callee writes through it.
            if (given.vt != wanted) {
                hr = DISP_E_TYPEMISMATCH;
            } else {
                args[converted] = given;
            }
        } else {
            hr = VariantChangeType(&args[converted], &given, wanted);
        }
        if (FAILED(hr)) {
            if (argErr != nullptr) {
                *argErr = at;
            }
            break;
        }
    }
    if (SUCCEEDED(hr)) {
        if (result != nullptr) {
            VariantInit(result);
        }
        hr = call(*member, DispArgs(args), result);
    }
    for (size_t i = 0; i < converted; ++i) {
        if ((args[i].vt & VT_BYREF) == 0) {
            VariantClear(&args[i]);
        }
    }
    return hr;
}

HRESULT DispatchCall(IDispatch* object, DISPID dispid, uint16_t flags,
                     std::span<const CVariant> args, VARIANT* result, uint32_t* argErr) {
    if (object == nullptr) {
        return E_POINTER;
    }
    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        reversed.push_back(**it);  // shallow: the arguments stay the caller's
    }
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params;
    params.rgvarg = reversed.data();
    params.cArgs = static_cast<uint32_t>(reversed.size());
    if ((flags & DISPATCH_PROPERTYPUT) != 0) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    return object->Invoke(dispid, flags, &params, result, argErr);
}

}  // namespace fonerix
