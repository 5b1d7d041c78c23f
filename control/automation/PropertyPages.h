#pragma once

#include <cstdint>

#include "platform/automation/Bstr.h"
#include "platform/automation/Unknown.h"

namespace fonerix {

// A control that offers property pages names their classes here; the host creates each page by
// its class identifier and shows it.
struct ISpecifyPropertyPages : IUnknown {
    static constexpr IID kIid = MakeGuid("{B196B28B-BAB4-101A-B69C-00AA00341D07}");
    using Base = IUnknown;

    // Fills up to `capacity` class identifiers into `pages` (may be null when `capacity` is 0)
    // and sets *count to how many pages there are, which may be more than were filled.
    virtual HRESULT GetPages(CLSID* pages, uint32_t capacity, uint32_t* count) = 0;
};

// One property page as the host sees it: a caption for its tab. What the page shows is the
// host's business; ours carries no settings, every setting lives in the set.
struct IPropertyPage : IUnknown {
    static constexpr IID kIid = MakeGuid("{B196B28D-BAB4-101A-B69C-00AA00341D07}");
    using Base = IUnknown;

    // A new string the caller frees.
    virtual HRESULT GetCaption(BSTR* caption) = 0;
};

// The control's only property page, "General".
class CFonerixPropPage final : public CObjectRoot<IPropertyPage> {
  public:
    HRESULT GetCaption(BSTR* caption) override;
};

}  // namespace fonerix
