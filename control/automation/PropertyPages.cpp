#include "control/automation/PropertyPages.h"

namespace fonerix {

HRESULT CFonerixPropPage::GetCaption(BSTR* caption) {
    if (caption == nullptr) {
        return E_POINTER;
    }
    *caption = SysAllocString(u"General");
    return S_OK;
}

}  // namespace fonerix
