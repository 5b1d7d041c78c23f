// libfonerix as a component library: its two classes, their registration values and the type
// library.
#include "control/automation/FonerixCtrl.h"
#include "control/automation/FonerixInterface.h"
#include "control/automation/PropertyPages.h"
#include "platform/automation/Component.h"

namespace fonerix {

namespace {

// MiscStatus 0x20491: set client site first, invisible at run time, activate when visible,
// inside-out, cannot link inside, recompose on resize. ToolboxBitmap names resource 1 of the
// library; Version is the control's persisted version stamp, FonerixVersion the file's.
constexpr RegistryValue kCtrlValues[] = {
    {"MiscStatus", "0x20491"},
    {"Insertable", "1"},
    {"ToolboxBitmap", "1"},
    {"Version", "1.0"},
    {"FonerixVersion", kFonerixFileVersion},
    {"FileDescription", "Fonerix ActiveX Control Module"},
};

const ComponentClass kClasses[] = {
    {kFonerixCtrlClsid, kFonerixCtrlProgId, "Fonerix Control", "Apartment", kCtrlValues,
     &CreateComponentObject<CFonerixCtrl>},
    {kFonerixPropPageClsid,
     kFonerixPropPageProgId,
     "Fonerix Property Page",
     "Apartment",
     {},
     &CreateComponentObject<CFonerixPropPage>},
};

const ComponentModule kModule{kClasses, &FonerixTypeLibrary()};

}  // namespace

const ComponentModule& ThisComponent() {
    return kModule;
}

}  // namespace fonerix
