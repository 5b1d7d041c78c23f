#include "platform/automation/CreateObject.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <mutex>

#include "platform/automation/Component.h"

namespace fonerix {

namespace {

using GetClassObjectFn = HRESULT (*)(const CLSID*, const IID*, void**);
using CanUnloadNowFn = HRESULT (*)();

struct LoadedLibrary {
    void* handle;
    CanUnloadNowFn canUnload;  // may be null: such a library is never unloaded
};

std::mutex libraryMutex;
std::vector<LoadedLibrary> libraries;

HRESULT Fail(CreateFailure* failure, CreateStep step, HRESULT hr, std::string message) {
    if (failure != nullptr) {
        *failure = {step, hr, std::move(message)};
    }
    return hr;
}

// Keeps one dlopen reference per library, however often it is opened.
void Remember(void* handle, CanUnloadNowFn canUnload) {
    std::lock_guard lock(libraryMutex);
    for (const LoadedLibrary& l : libraries) {
        if (l.handle == handle) {
            ::dlclose(handle);
            return;
        }
    }
    libraries.push_back({handle, canUnload});
}

// After a failure: close the library unless objects of it are still alive (or we hold it
// from an earlier creation).
void CloseIfUnused(void* handle, CanUnloadNowFn canUnload) {
    {
        std::lock_guard lock(libraryMutex);
        for (const LoadedLibrary& l : libraries) {
            if (l.handle == handle) {
                ::dlclose(handle);  // the extra reference of this attempt
                return;
            }
        }
    }
    if (canUnload == nullptr || canUnload() == S_OK) {
        ::dlclose(handle);
    } else {
        Remember(handle, canUnload);
    }
}

}  // namespace

const char* CreateStepName(CreateStep step) {
    switch (step) {
        case CreateStep::Lookup:
            return "registry lookup";
        case CreateStep::LoadLibrary:
            return "loading the library";
        case CreateStep::EntryPoint:
            return "finding DllGetClassObject";
        case CreateStep::ClassObject:
            return "getting the class factory";
        case CreateStep::CreateInstance:
            return "creating the object";
    }
    return "?";
}

HRESULT CreateObject(std::string_view name, const IID& iid, void** object, CreateFailure* failure,
                     const std::vector<std::filesystem::path>& registry) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;

    std::optional<CLSID> clsid = ParseGuid(name);
    if (!clsid) {
        if (!name.empty() && name.front() == '{') {
            return Fail(failure, CreateStep::Lookup, CO_E_CLASSSTRING,
                        "\"" + std::string(name) + "\" is not a class identifier");
        }
        clsid = FindProgId(name, registry);
        if (!clsid) {
            return Fail(failure, CreateStep::Lookup, CO_E_CLASSSTRING,
                        "no registry entry for the ProgID \"" + std::string(name) + "\"");
        }
    }
    const std::optional<RegisteredClass> entry = FindRegisteredClass(*clsid, registry);
    if (!entry) {
        return Fail(failure, CreateStep::Lookup, REGDB_E_CLASSNOTREG,
                    "no registry entry for the class " + FormatGuid(*clsid));
    }
    if (entry->library.empty()) {
        return Fail(
            failure, CreateStep::Lookup, REGDB_E_CLASSNOTREG,
            "the class " + FormatGuid(*clsid) + " names no library in " + entry->file.string());
    }

    struct stat st {};
    if (::stat(entry->library.c_str(), &st) != 0) {
        return Fail(failure, CreateStep::LoadLibrary, CO_E_DLLNOTFOUND,
                    "the library " + entry->library + " of the class " + FormatGuid(*clsid) +
                        " does not exist");
    }
    ::dlerror();
    void* handle = ::dlopen(entry->library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = ::dlerror();
        return Fail(failure, CreateStep::LoadLibrary, CO_E_DLLNOTFOUND,
                    "cannot load " + entry->library + ": " + (why != nullptr ? why : "?"));
    }
    const auto getClassObject =
        reinterpret_cast<GetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
    const auto canUnload = reinterpret_cast<CanUnloadNowFn>(::dlsym(handle, "DllCanUnloadNow"));
    if (getClassObject == nullptr) {
        CloseIfUnused(handle, canUnload);
        return Fail(failure, CreateStep::EntryPoint, CO_E_ERRORINDLL,
                    entry->library + " has no DllGetClassObject");
    }

    CComPtr<IClassFactory> factory;
    HRESULT hr = getClassObject(&*clsid, &IClassFactory::kIid, factory.PutVoid());
    if (FAILED(hr) || !factory) {
        factory.Reset();
        CloseIfUnused(handle, canUnload);
        return Fail(failure, CreateStep::ClassObject, FAILED(hr) ? hr : E_UNEXPECTED,
                    entry->library + " does not provide the class " + FormatGuid(*clsid) + ": " +
                        DescribeResult(hr));
    }
    hr = factory->CreateInstance(nullptr, iid, object);
    factory.Reset();  // before any dlclose: its code lives in the library
    if (FAILED(hr) || *object == nullptr) {
        *object = nullptr;
        CloseIfUnused(handle, canUnload);
        return Fail(failure, CreateStep::CreateInstance, FAILED(hr) ? hr : E_UNEXPECTED,
                    "the class " + FormatGuid(*clsid) + " of " + entry->library +
                        " could not create the object: " + DescribeResult(hr));
    }
    Remember(handle, canUnload);
    return S_OK;
}

size_t FreeUnusedLibraries() {
    std::lock_guard lock(libraryMutex);
    size_t unloaded = 0;
    for (auto it = libraries.begin(); it != libraries.end();) {
        if (it->canUnload != nullptr && it->canUnload() == S_OK) {
            ::dlclose(it->handle);
            it = libraries.erase(it);
            ++unloaded;
        } else {
            ++it;
        }
    }
    return unloaded;
}

}  // namespace fonerix
