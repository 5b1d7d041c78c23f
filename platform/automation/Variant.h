#pragma once

#include <cstdint>
#include <string_view>

#include "platform/automation/Bstr.h"
#include "platform/automation/Date.h"
#include "platform/automation/HResult.h"

namespace fonerix {

using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// The variant types the interface uses. VT_BYREF combines with each of them for out-parameters;
// VT_VARIANT | VT_BYREF is the record slot, whose pointer is the address of a record.
enum : VARTYPE {
    VT_EMPTY = 0,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UI1 = 17,
    VT_BYREF = 0x4000,
};

struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    uint16_t reserved1 = 0;
    uint16_t reserved2 = 0;
    uint16_t reserved3 = 0;
    union {
        int16_t iVal;
        int32_t lVal;
        uint8_t bVal;
        VARIANT_BOOL boolVal;
        DATE date;
        BSTR bstrVal;
        int16_t* piVal;
        int32_t* plVal;
        uint8_t* pbVal;
        VARIANT_BOOL* pboolVal;
        DATE* pdate;
        BSTR* pbstrVal;
        VARIANT* pvarVal;  // in the record slot: the record's address, not a VARIANT
        void* byref;
    };
    VARIANT() : date(0) {}
};

// Makes the variant empty without freeing anything.
void VariantInit(VARIANT* v);
// Frees what the variant owns (the string of a VT_BSTR; a by-reference variant owns nothing) and
// makes it empty. DISP_E_BADVARTYPE, and the variant untouched, for a type not listed above.
HRESULT VariantClear(VARIANT* v);
// Clears `dest`, then copies `src` into it: a string is duplicated, a reference is copied as the
// pointer it is. On failure `dest` is left empty.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// `dest` becomes `src` converted to the by-value type `vt` (I2, I4, UI1, BOOL, DATE, BSTR), the
// way a dispatch call coerces its arguments: numbers that do not fit give DISP_E_OVERFLOW, other
// impossible conversions DISP_E_TYPEMISMATCH; a by-reference source is read through its pointer.
// `dest` may be `src`.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, VARTYPE vt);

// Owns one VARIANT and clears it on destruction; for hosts and tests that build arguments and
// read results.
class CVariant {
  public:
    CVariant() = default;
    explicit CVariant(int16_t value);
    explicit CVariant(int32_t value);
    explicit CVariant(uint8_t value);
    explicit CVariant(bool value);  // VT_BOOL
    static CVariant FromDate(DATE value);
    static CVariant FromUtf8(std::string_view text);  // VT_BSTR
    // Takes ownership of `text`.
    static CVariant AttachBstr(BSTR text);
    // By-reference forms; the referenced value stays the caller's.
    static CVariant Ref(int16_t* p);
    static CVariant Ref(int32_t* p);
    static CVariant Ref(BSTR* p);
    static CVariant Ref(DATE* p);
    // The record slot: a VT_VARIANT | VT_BYREF whose pointer is `record` (null allowed).
    static CVariant RecordRef(void* record);

    CVariant(const CVariant& other);
    CVariant& operator=(const CVariant& other);
    CVariant(CVariant&& other) noexcept;
    CVariant& operator=(CVariant&& other) noexcept;
    ~CVariant();

    VARIANT* get() { return &m_v; }
    const VARIANT* get() const { return &m_v; }
    VARTYPE vt() const { return m_v.vt; }
    const VARIANT& operator*() const { return m_v; }
    const VARIANT* operator->() const { return &m_v; }
    // The string of a VT_BSTR as UTF-8; empty for other types.
    std::string Utf8() const;

  private:
    VARIANT m_v;
};

}  // namespace fonerix
