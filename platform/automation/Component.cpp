#include "platform/automation/Component.h"

#include <string>

#include "platform/automation/Registry.h"

namespace fonerix {

namespace {

class CClassFactory final : public CObjectRoot<IClassFactory> {
  public:
    explicit CClassFactory(const ComponentClass& c) : m_class(c) {}

    HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        return m_class.create(iid, object);
    }
    HRESULT LockServer(bool lock) override {
        ModuleLock(lock);
        return S_OK;
    }

  private:
    const ComponentClass& m_class;
};

}  // namespace

HRESULT ComponentGetClassObject(const ComponentModule& module, const CLSID* clsid, const IID* iid,
                                void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (clsid == nullptr || iid == nullptr) {
        return E_INVALIDARG;
    }
    for (const ComponentClass& c : module.classes) {
        if (c.clsid == *clsid) {
            return MakeObject<CClassFactory>(c)->QueryInterface(*iid, object);
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT ComponentCanUnloadNow() {
    return ModuleCanUnload() ? S_OK : S_FALSE;
}

HRESULT ComponentRegister(const ComponentModule& module, const std::filesystem::path& library,
                          const std::filesystem::path& registryFile) {
    const std::string path = library.string();
    if (const TypeLibraryInfo* lib = module.typeLibrary) {
        const bool ok = CRegistryFile::Update(registryFile, [&](CRegistryFile& file) {
            const std::string section = TypeLibSection(lib->libid);
            file.RemoveSection(section);
            file.Set(section, "Name", lib->name);
            file.Set(section, "Version",
                     std::to_string(lib->major) + "." + std::to_string(lib->minor));
            file.Set(section, "Library", path);
        });
        if (!ok) {
            return SELFREG_E_TYPELIB;
        }
    }
    const bool ok = CRegistryFile::Update(registryFile, [&](CRegistryFile& file) {
        for (const ComponentClass& c : module.classes) {
            const std::string section = ClassSection(c.clsid);
            // A fresh section: values of an older registration do not linger.
            file.RemoveSection(section);
            file.Set(section, "Library", path);
            if (c.typeName != nullptr) {
                file.Set(section, "Name", c.typeName);
            }
            if (c.threadingModel != nullptr) {
                file.Set(section, "ThreadingModel", c.threadingModel);
            }
            if (c.progId != nullptr) {
                file.Set(section, "ProgID", c.progId);
                file.RemoveSection(ProgIdSection(c.progId));
                file.Set(ProgIdSection(c.progId), "CLSID", FormatGuid(c.clsid));
            }
            if (module.typeLibrary != nullptr) {
                file.Set(section, "TypeLib", FormatGuid(module.typeLibrary->libid));
            }
            for (const RegistryValue& v : c.values) {
                file.Set(section, v.key, v.value);
            }
        }
    });
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT ComponentUnregister(const ComponentModule& module,
                            const std::filesystem::path& registryFile) {
    if (const TypeLibraryInfo* lib = module.typeLibrary) {
        const bool ok = CRegistryFile::Update(registryFile, [&](CRegistryFile& file) {
            file.RemoveSection(TypeLibSection(lib->libid));
        });
        if (!ok) {
            return SELFREG_E_TYPELIB;
        }
    }
    const bool ok = CRegistryFile::Update(registryFile, [&](CRegistryFile& file) {
        for (const ComponentClass& c : module.classes) {
            file.RemoveSection(ClassSection(c.clsid));
            if (c.progId == nullptr) {
                continue;
            }
            const auto named = file.Get(ProgIdSection(c.progId), "CLSID");
            if (named && ParseGuid(*named) == c.clsid) {
                file.RemoveSection(ProgIdSection(c.progId));
            }
        }
    });
    return ok ? S_OK : SELFREG_E_CLASS;
}

}  // namespace fonerix
