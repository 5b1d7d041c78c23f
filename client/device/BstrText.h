#pragma once

#include <QString>

#include "platform/automation/Bstr.h"

namespace fonedesk {

// The text of an automation string (a null one is empty). The string stays its owner's.
inline QString TextFromBstr(const fonerix::OLECHAR* text, qsizetype length) {
    return text != nullptr ? QString::fromUtf16(text, length) : QString();
}
inline QString TextFromBstr(fonerix::BSTR text) {
    return TextFromBstr(text, static_cast<qsizetype>(fonerix::SysStringLen(text)));
}

// A string argument of one call: allocated from the caller's text, passed by its address, freed
// when the call is over (whatever the callee left in the slot).
class CCallString {
  public:
    explicit CCallString(const QString& text)
        : m_text(fonerix::SysAllocStringLen(reinterpret_cast<const fonerix::OLECHAR*>(text.utf16()),
                                            static_cast<uint32_t>(text.size()))) {}
    ~CCallString() { fonerix::SysFreeString(m_text); }
    CCallString(const CCallString&) = delete;
    CCallString& operator=(const CCallString&) = delete;

    fonerix::BSTR* Slot() { return &m_text; }

  private:
    fonerix::BSTR m_text;
};

}  // namespace fonedesk
