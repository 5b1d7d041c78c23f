#include "platform/automation/Variant.h"

#include <cmath>
#include <limits>
#include <string>
#include <utility>

namespace fonerix {

namespace {

bool KnownByValue(VARTYPE vt) {
    switch (vt) {
        case VT_EMPTY:
        case VT_I2:
        case VT_I4:
        case VT_UI1:
        case VT_BOOL:
        case VT_DATE:
        case VT_BSTR:
            return true;
        default:
            return false;
    }
}

bool Known(VARTYPE vt) {
    if ((vt & VT_BYREF) != 0) {
        const VARTYPE base = vt & ~VT_BYREF;
        return base == VT_VARIANT || (base != VT_EMPTY && KnownByValue(base));
    }
    return KnownByValue(vt);
}

// The value of a by-reference variant as a by-value one (a string is not copied). The record
// slot has no value to read.
bool Dereference(const VARIANT& src, VARIANT& out) {
    out.vt = src.vt & ~VT_BYREF;
    if (src.byref == nullptr) {
        return false;
    }
    switch (out.vt) {
        case VT_I2:
            out.iVal = *src.piVal;
            return true;
        case VT_I4:
            out.lVal = *src.plVal;
            return true;
        case VT_UI1:
            out.bVal = *src.pbVal;
            return true;
        case VT_BOOL:
            out.boolVal = *src.pboolVal;
            return true;
        case VT_DATE:
            out.date = *src.pdate;
            return true;
        case VT_BSTR:
            out.bstrVal = *src.pbstrVal;
            return true;
        default:
            return false;
    }
}

// A by-value number as a double for the range checks; false for a string or empty.
bool AsNumber(const VARIANT& v, double& out) {
    switch (v.vt) {
        case VT_I2:
            out = v.iVal;
            return true;
        case VT_I4:
            out = v.lVal;
            return true;
        case VT_UI1:
            out = v.bVal;
            return true;
        case VT_BOOL:
            out = v.boolVal != 0 ? -1 : 0;
            return true;
        case VT_DATE:
            out = v.date;
            return true;
        default:
            return false;
    }
}

bool ParseNumber(BSTR text, double& out) {
    const std::string utf8 = Utf8FromBstr(text);
    if (utf8.empty()) {
        return false;
    }
    size_t used = 0;
    try {
        out = std::stod(utf8, &used);
    } catch (...) {
        return false;
    }
    return used == utf8.size();
}

template <class T>
bool FitsInteger(double x, T& out) {
    // Automation rounds half to even when it narrows a number to an integer.
    const double r = std::nearbyint(x);
    if (!std::isfinite(r) || r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max())) {
        return false;
    }
    out = static_cast<T>(r);
    return true;
}

std::string FormatNumber(const VARIANT& v) {
    switch (v.vt) {
        case VT_I2:
            return std::to_string(v.iVal);
        case VT_I4:
            return std::to_string(v.lVal);
        case VT_UI1:
            return std::to_string(v.bVal);
        case VT_BOOL:
            return v.boolVal != 0 ? "True" : "False";
        default: {
            char text[32];
            std::snprintf(text, sizeof text, "%.15g", v.date);
            return text;
        }
    }
}

}  // namespace

void VariantInit(VARIANT* v) {
    v->vt = VT_EMPTY;
    v->reserved1 = v->reserved2 = v->reserved3 = 0;
    v->date = 0;
}

HRESULT VariantClear(VARIANT* v) {
    if (v == nullptr) {
        return E_INVALIDARG;
    }
    if (!Known(v->vt)) {
        return DISP_E_BADVARTYPE;
    }
    if (v->vt == VT_BSTR) {
        SysFreeString(v->bstrVal);
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (dest == nullptr || src == nullptr) {
        return E_INVALIDARG;
    }
    if (!Known(src->vt)) {
        return DISP_E_BADVARTYPE;
    }
    if (dest == src) {
        return S_OK;
    }
    if (const HRESULT hr = VariantClear(dest); FAILED(hr)) {
        return hr;
    }
    VARIANT copy = *src;
    if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
        copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (copy.bstrVal == nullptr) {
            return E_OUTOFMEMORY;
        }
    }
    *dest = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, VARTYPE vt) {
    if (dest == nullptr || src == nullptr) {
        return E_INVALIDARG;
    }
    if (!Known(src->vt) || !KnownByValue(vt)) {
        return DISP_E_BADVARTYPE;
    }
    VARIANT value;
    if ((src->vt & VT_BYREF) != 0) {
        if (!Dereference(*src, value)) {
            return DISP_E_TYPEMISMATCH;
        }
    } else {
        value = *src;
    }

    VARIANT out;
    out.vt = vt;
    double number = 0;
    const bool isNumber = AsNumber(value, number);
    const bool isText = value.vt == VT_BSTR;
    switch (vt) {
        case VT_EMPTY:
            break;
        case VT_BSTR:
            if (isText) {
                out.bstrVal = SysAllocStringLen(value.bstrVal, SysStringLen(value.bstrVal));
            } else if (isNumber) {
                out.bstrVal = BstrFromUtf8(FormatNumber(value));
            } else {
                out.bstrVal = SysAllocStringLen(nullptr, 0);
            }
            if (out.bstrVal == nullptr) {
                return E_OUTOFMEMORY;
            }
            break;
        case VT_BOOL:
            if (isText) {
                const std::string word = Utf8FromBstr(value.bstrVal);
                if (word == "True" || word == "true") {
                    number = 1;
                } else if (word == "False" || word == "false") {
                    number = 0;
                } else if (!ParseNumber(value.bstrVal, number)) {
                    return DISP_E_TYPEMISMATCH;
                }
            } else if (!isNumber) {
                number = 0;  // empty
            }
            out.boolVal = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        default: {
            if (isText) {
                if (!ParseNumber(value.bstrVal, number)) {
                    return DISP_E_TYPEMISMATCH;
                }
            } else if (!isNumber) {
                number = 0;  // empty
            }
            bool fits = true;
            if (vt == VT_I2) {
                fits = FitsInteger(number, out.iVal);
            } else if (vt == VT_I4) {
                fits = FitsInteger(number, out.lVal);
            } else if (vt == VT_UI1) {
                fits = FitsInteger(number, out.bVal);
            } else {
                out.date = number;
                fits = std::isfinite(number);
            }
            if (!fits) {
                return DISP_E_OVERFLOW;
            }
        }
    }
    if (dest == src) {
        VariantClear(dest);
    } else if (const HRESULT hr = VariantClear(dest); FAILED(hr)) {
        if (vt == VT_BSTR) {
            SysFreeString(out.bstrVal);
        }
        return hr;
    }
    *dest = out;
    return S_OK;
}

CVariant::CVariant(int16_t value) {
    m_v.vt = VT_I2, m_v.iVal = value;
}
CVariant::CVariant(int32_t value) {
    m_v.vt = VT_I4, m_v.lVal = value;
}
CVariant::CVariant(uint8_t value) {
    m_v.vt = VT_UI1, m_v.bVal = value;
}
CVariant::CVariant(bool value) {
    m_v.vt = VT_BOOL, m_v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

CVariant CVariant::FromDate(DATE value) {
    CVariant v;
    v.m_v.vt = VT_DATE, v.m_v.date = value;
    return v;
}

CVariant CVariant::FromUtf8(std::string_view text) {
    return AttachBstr(BstrFromUtf8(text));
}

CVariant CVariant::AttachBstr(BSTR text) {
    CVariant v;
    v.m_v.vt = VT_BSTR, v.m_v.bstrVal = text;
    return v;
}

CVariant CVariant::Ref(int16_t* p) {
    CVariant v;
    v.m_v.vt = VT_I2 | VT_BYREF, v.m_v.piVal = p;
    return v;
}

CVariant CVariant::Ref(int32_t* p) {
    CVariant v;
    v.m_v.vt = VT_I4 | VT_BYREF, v.m_v.plVal = p;
    return v;
}

CVariant CVariant::Ref(BSTR* p) {
    CVariant v;
    v.m_v.vt = VT_BSTR | VT_BYREF, v.m_v.pbstrVal = p;
    return v;
}

CVariant CVariant::Ref(DATE* p) {
    CVariant v;
    v.m_v.vt = VT_DATE | VT_BYREF, v.m_v.pdate = p;
    return v;
}

CVariant CVariant::RecordRef(void* record) {
    CVariant v;
    v.m_v.vt = VT_VARIANT | VT_BYREF, v.m_v.byref = record;
    return v;
}

CVariant::CVariant(const CVariant& other) {
    VariantCopy(&m_v, &other.m_v);
}

CVariant& CVariant::operator=(const CVariant& other) {
    if (this != &other) {
        VariantCopy(&m_v, &other.m_v);
    }
    return *this;
}

CVariant::CVariant(CVariant&& other) noexcept : m_v(other.m_v) {
    VariantInit(&other.m_v);
}

CVariant& CVariant::operator=(CVariant&& other) noexcept {
    if (this != &other) {
        VariantClear(&m_v);
        m_v = other.m_v;
        VariantInit(&other.m_v);
    }
    return *this;
}

CVariant::~CVariant() {
    VariantClear(&m_v);
}

std::string CVariant::Utf8() const {
    return m_v.vt == VT_BSTR ? Utf8FromBstr(m_v.bstrVal) : "";
}

}  // namespace fonerix
