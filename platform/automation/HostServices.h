#pragma once

#include <cstdint>

#include "platform/automation/Bstr.h"
#include "platform/automation/Unknown.h"

namespace fonerix {

// The host hands a control its site after creating it; the control asks the site for the host
// services below. A control without a site shows nothing and still works.
struct IObjectWithSite : IUnknown {
    static constexpr IID kIid = MakeGuid("{FC4801A3-2BA9-11CF-A229-00AA003D7352}");
    using Base = IUnknown;

    // Null takes the site away (the host does so before releasing the control).
    virtual HRESULT SetSite(IUnknown* site) = 0;
};

// What a control's modal dialog shows; the host draws it with its own toolkit, owned by its
// window. Strings are borrowed for the call.
struct DialogContent {
    const OLECHAR* title = nullptr;
    const OLECHAR* const* lines = nullptr;
    uint32_t lineCount = 0;
    // An optional picture (PNG) beside the lines, e.g. the control's icon.
    const uint8_t* imagePng = nullptr;
    uint32_t imagePngSize = 0;
};

// The host service through which a control shows its dialogs (the about box, the property
// page), since the control itself links no user-interface toolkit.
struct IHostDialogs : IUnknown {
    static constexpr IID kIid = MakeGuid("{E2964D9C-6136-4048-8C8B-FE76A5F6641A}");
    using Base = IUnknown;

    // Shows the content with an OK button and returns once the user has closed it. A host
    // without a user interface answers E_NOTIMPL.
    virtual HRESULT ShowModal(const DialogContent& content) = 0;
};

// The control's message window as the host sees it: a descriptor readable while notifications
// wait, and the call that handles them on the host's (the control's) thread.
struct IEventWindow : IUnknown {
    static constexpr IID kIid = MakeGuid("{322EF68A-1054-47FC-93F8-E951C5A43A6A}");
    using Base = IUnknown;

    virtual HRESULT GetDescriptor(int* fd) = 0;
    // Handles every waiting notification; *handled (may be null) gets their number.
    virtual HRESULT DispatchPending(uint32_t* handled) = 0;
};

// Control side: the site's IHostDialogs, or empty when there is none.
inline CComPtr<IHostDialogs> FindHostDialogs(IUnknown* site) {
    CComPtr<IHostDialogs> dialogs;
    if (site != nullptr) {
        site->QueryInterface(IHostDialogs::kIid, dialogs.PutVoid());
    }
    return dialogs;
}

}  // namespace fonerix
