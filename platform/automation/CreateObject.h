#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/Registry.h"
#include "platform/automation/Unknown.h"

namespace fonerix {

// The steps of creating an object from its registration, in order.
enum class CreateStep {
    Lookup,          // no registry entry for the class or ProgID (REGDB_E_CLASSNOTREG,
                     // CO_E_CLASSSTRING for a malformed identifier or unknown ProgID)
    LoadLibrary,     // the registered library is missing or does not load (CO_E_DLLNOTFOUND)
    EntryPoint,      // the library has no DllGetClassObject (CO_E_ERRORINDLL)
    ClassObject,     // DllGetClassObject refused: the library does not provide the class
    CreateInstance,  // the factory could not make the object or it lacks the interface
};

const char* CreateStepName(CreateStep step);

struct CreateFailure {
    CreateStep step = CreateStep::Lookup;
    HRESULT hr = S_OK;
    std::string message;  // one line for a person: what, which file, why
};

// Creates an object of the class named by `name`, a class identifier "{...}" or a ProgID,
// through the registry files `registry` (searched in order), and asks it for `iid`. On failure
// *object is null and `failure` (may be null) says which step failed.
//
// A loaded library stays loaded while anything of it may be alive; FreeUnusedLibraries
// unloads those whose DllCanUnloadNow agrees. When creation fails the factory is released
// before the library is closed.
HRESULT CreateObject(std::string_view name, const IID& iid, void** object,
                     CreateFailure* failure = nullptr,
                     const std::vector<std::filesystem::path>& registry = RegistrySearchPath());

template <class T>
HRESULT CreateObject(std::string_view name, CComPtr<T>& out, CreateFailure* failure = nullptr,
                     const std::vector<std::filesystem::path>& registry = RegistrySearchPath()) {
    return CreateObject(name, T::kIid, out.PutVoid(), failure, registry);
}

// Unloads every library loaded by CreateObject whose DllCanUnloadNow returns S_OK; returns how
// many it unloaded.
size_t FreeUnusedLibraries();

}  // namespace fonerix
