#pragma once

#include <filesystem>
#include <span>

#include "platform/automation/Dispatch.h"

namespace fonerix {

struct IClassFactory : IUnknown {
    static constexpr IID kIid = MakeGuid("{00000001-0000-0000-C000-000000000046}");
    using Base = IUnknown;

    // `outer` must be null: no aggregation (CLASS_E_NOAGGREGATION).
    virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
    // A lock keeps the library loaded with no object alive.
    virtual HRESULT LockServer(bool lock) = 0;
};

struct RegistryValue {
    const char* key;
    const char* value;
};

// One class a component library provides.
struct ComponentClass {
    CLSID clsid;
    const char* progId;                     // may be null
    const char* typeName;                   // "Name" in the registry
    const char* threadingModel;             // "Apartment"
    std::span<const RegistryValue> values;  // further values of the class's section
    // A new object of the class, answering `iid`.
    HRESULT (*create)(const IID& iid, void** object);
};

struct ComponentModule {
    std::span<const ComponentClass> classes;
    const TypeLibraryInfo* typeLibrary;  // may be null
};

// Each component library defines this: its classes and its type library. The exported entry
// points (ComponentEntry.cpp, linked into the library by fonerix_add_component) answer from it.
const ComponentModule& ThisComponent();

// What the exported functions do, for a given module.
HRESULT ComponentGetClassObject(const ComponentModule& module, const CLSID* clsid, const IID* iid,
                                void** object);
HRESULT ComponentCanUnloadNow();
// Writes the type library section, then the class and ProgID sections, into `registryFile`,
// naming `library` as the file to load. SELFREG_E_TYPELIB when the first write fails,
// SELFREG_E_CLASS when the second does.
HRESULT ComponentRegister(const ComponentModule& module, const std::filesystem::path& library,
                          const std::filesystem::path& registryFile);
// Removes the same sections (a ProgID only while it still names our class); removing what is
// not there succeeds. The same two failure codes.
HRESULT ComponentUnregister(const ComponentModule& module,
                            const std::filesystem::path& registryFile);

// A `create` function for ComponentClass: a new T, asked for `iid`.
template <class T>
HRESULT CreateComponentObject(const IID& iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    CComPtr<T> created = MakeObject<T>();
    return created->QueryInterface(iid, object);
}

}  // namespace fonerix

// The exported entry points, with C linkage and plain pointers so that any loader can call them.
extern "C" {
fonerix::HRESULT DllGetClassObject(const fonerix::CLSID* clsid, const fonerix::IID* iid,
                                   void** object);
fonerix::HRESULT DllCanUnloadNow();
fonerix::HRESULT DllRegisterServer();
fonerix::HRESULT DllUnregisterServer();
}
