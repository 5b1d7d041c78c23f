// The exported functions of a component library. Linked into each component as an object file
// (fonerix_add_component), so that the export list finds them without anyone referring to them.
#include <dlfcn.h>

#include <climits>
#include <cstdlib>

#include "platform/automation/Component.h"
#include "platform/automation/Registry.h"

#define FONERIX_EXPORT __attribute__((visibility("default")))

namespace {

// The absolute path of the library holding this code, as the registry must name it.
std::filesystem::path ThisLibrary() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) == 0 ||
        info.dli_fname == nullptr) {
        return {};
    }
    char resolved[PATH_MAX];
    if (::realpath(info.dli_fname, resolved) == nullptr) {
        return info.dli_fname;
    }
    return resolved;
}

}  // namespace

extern "C" {

FONERIX_EXPORT fonerix::HRESULT DllGetClassObject(const fonerix::CLSID* clsid,
                                                  const fonerix::IID* iid, void** object) {
    return fonerix::ComponentGetClassObject(fonerix::ThisComponent(), clsid, iid, object);
}

FONERIX_EXPORT fonerix::HRESULT DllCanUnloadNow() {
    return fonerix::ComponentCanUnloadNow();
}

FONERIX_EXPORT fonerix::HRESULT DllRegisterServer() {
    const std::filesystem::path library = ThisLibrary();
    if (library.empty()) {
        // The type library is registered first, from this very file.
        return fonerix::ThisComponent().typeLibrary != nullptr ? fonerix::SELFREG_E_TYPELIB
                                                               : fonerix::SELFREG_E_CLASS;
    }
    return fonerix::ComponentRegister(fonerix::ThisComponent(), library,
                                      fonerix::UserRegistryPath());
}

FONERIX_EXPORT fonerix::HRESULT DllUnregisterServer() {
    return fonerix::ComponentUnregister(fonerix::ThisComponent(), fonerix::UserRegistryPath());
}

}  // extern "C"
