#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/automation/Component.h"
#include "platform/automation/ConnectionPoint.h"
#include "platform/automation/CreateObject.h"
#include "platform/automation/Registry.h"
#include "tests/platform/automation/SampleObject.h"
#include "tests/platform/automation/TempDir.h"

namespace fonerix::test {
namespace {

const std::string kSampleLibrary = std::filesystem::canonical(SAMPLE_COMPONENT_PATH).string();

bool Loaded(const std::string& library) {
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) {
        ::dlclose(handle);
    }
    return handle != nullptr;
}

// Runs one of the library's exported functions with $XDG_CONFIG_HOME set to `config`.
HRESULT CallExport(const char* name, const std::filesystem::path& config) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string restore = saved != nullptr ? saved : "";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    void* handle = ::dlopen(kSampleLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(handle, nullptr) << ::dlerror();
    HRESULT hr = E_UNEXPECTED;
    if (handle != nullptr) {
        const auto fn = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, name));
        EXPECT_NE(fn, nullptr) << name;
        hr = fn != nullptr ? fn() : E_UNEXPECTED;
        ::dlclose(handle);
    }
    saved != nullptr ? ::setenv("XDG_CONFIG_HOME", restore.c_str(), 1)
                     : ::unsetenv("XDG_CONFIG_HOME");
    return hr;
}

class CreateObjectTest : public ::testing::Test {
  protected:
    std::filesystem::path RegistryFile() const { return dir.path() / "fonerix" / "registry.ini"; }
    std::vector<std::filesystem::path> Registry() const { return {RegistryFile()}; }

    TempDir dir;
};

TEST_F(CreateObjectTest, RegisterCreateByEitherNameAndUnregister) {
    ASSERT_EQ(CallExport("DllRegisterServer", dir.path()), S_OK);
    CRegistryFile file(RegistryFile());
    ASSERT_TRUE(file.Load());
    const std::string cls = ClassSection(kClsid);
    EXPECT_EQ(file.Get(cls, "Library"), kSampleLibrary);
    EXPECT_EQ(file.Get(cls, "ProgID"), kProgId);
    EXPECT_EQ(file.Get(cls, "Name"), "Sample Control");
    EXPECT_EQ(file.Get(cls, "ThreadingModel"), "Apartment");
    EXPECT_EQ(file.Get(cls, "MiscStatus"), "0x20491");
    EXPECT_EQ(file.Get(cls, "TypeLib"), FormatGuid(kLibid));
    EXPECT_EQ(file.Get(ProgIdSection(kProgId), "CLSID"), FormatGuid(kClsid));
    EXPECT_EQ(file.Get(TypeLibSection(kLibid), "Version"), "1.0");
    EXPECT_EQ(file.Get(TypeLibSection(kLibid), "Name"), "SAMPLELib");
    // Registering again replaces the entries instead of piling them up.
    ASSERT_EQ(CallExport("DllRegisterServer", dir.path()), S_OK);
    ASSERT_TRUE(file.Load());
    EXPECT_EQ(file.Sections().size(), 3u);

    for (const std::string& name : {std::string(kProgId), FormatGuid(kClsid)}) {
        CComPtr<IDispatch> control;
        CreateFailure failure;
        ASSERT_EQ(CreateObject(name, control, &failure, Registry()), S_OK) << failure.message;
        ASSERT_TRUE(control);
        const InterfaceInfo* info = nullptr;
        ASSERT_EQ(control->GetTypeInfo(&info), S_OK);
        EXPECT_STREQ(info->name, "_DSample");
        const CVariant args[] = {CVariant(int32_t{50}), CVariant(int32_t{8})};
        CVariant result;
        ASSERT_EQ(DispatchCall(control.Get(), kSubtract, DISPATCH_METHOD, args, result.get()),
                  S_OK);
        EXPECT_EQ(result->lVal, 42);

        // Events cross from the library to a sink of the host.
        std::vector<DISPID> seen;
        CComPtr<CEventSink> sink = MakeObject<CEventSink>(
            kEventsIid, [&](DISPID id, const DISPPARAMS&) { seen.push_back(id); });
        uint32_t cookie = 0;
        ASSERT_EQ(AdviseSink(control.Get(), kEventsIid, sink.As<IUnknown>().Get(), &cookie), S_OK);
        const CVariant code(int32_t{3});
        ASSERT_EQ(DispatchCall(control.Get(), kRaise, DISPATCH_METHOD, {&code, 1}, nullptr), S_OK);
        EXPECT_EQ(seen, (std::vector<DISPID>{kHappened, kSaid}));
        ASSERT_EQ(UnadviseSink(control.Get(), kEventsIid, cookie), S_OK);

        // The library stays while its object lives, and goes when asked after the last Release.
        EXPECT_EQ(FreeUnusedLibraries(), 0u);
        EXPECT_TRUE(Loaded(kSampleLibrary));
        control.Reset();
        EXPECT_EQ(FreeUnusedLibraries(), 1u);
    }

    ASSERT_EQ(CallExport("DllUnregisterServer", dir.path()), S_OK);
    ASSERT_TRUE(file.Load());
    EXPECT_TRUE(file.Sections().empty());
    CComPtr<IDispatch> control;
    CreateFailure failure;
    EXPECT_EQ(CreateObject(kProgId, control, &failure, Registry()), CO_E_CLASSSTRING);
    EXPECT_EQ(failure.step, CreateStep::Lookup);
    // Unregistering what is not there succeeds.
    EXPECT_EQ(CallExport("DllUnregisterServer", dir.path()), S_OK);
}

TEST_F(CreateObjectTest, EachFailingStepIsNamed) {
    const CLSID missingLib = MakeGuid("{EDA29C06-6048-4FA5-BF16-E896BC876DD1}");
    const CLSID notALibrary = MakeGuid("{EDA29C06-6048-4FA5-BF16-E896BC876DD2}");
    const CLSID noEntry = MakeGuid("{EDA29C06-6048-4FA5-BF16-E896BC876DD3}");
    const CLSID notProvided = MakeGuid("{EDA29C06-6048-4FA5-BF16-E896BC876DD4}");
    const CLSID unknown = MakeGuid("{EDA29C06-6048-4FA5-BF16-E896BC876DD5}");
    const CLSID noLibraryKey = MakeGuid("{EDA29C06-6048-4FA5-BF16-E896BC876DD6}");
    const auto text = dir.path() / "readme.so";
    std::ofstream(text) << "not an ELF file\n";
    ASSERT_TRUE(CRegistryFile::Update(RegistryFile(), [&](CRegistryFile& f) {
        f.Set(ClassSection(missingLib), "Library", (dir.path() / "gone.so").string());
        f.Set(ClassSection(notALibrary), "Library", text.string());
        f.Set(ClassSection(noEntry), "Library", NO_ENTRY_LIBRARY_PATH);
        f.Set(ClassSection(notProvided), "Library", kSampleLibrary);
        f.Set(ClassSection(kClsid), "Library", kSampleLibrary);
        f.Set(ClassSection(noLibraryKey), "Name", "half registered");
        f.Set(ProgIdSection("Test.Dangling.1"), "CLSID", FormatGuid(unknown));
    }));

    struct Case {
        std::string name;
        IID iid;
        CreateStep step;
        HRESULT hr;
        std::string mentions;  // part of the message
    };
    const Case cases[] = {
        {FormatGuid(unknown), IDispatch::kIid, CreateStep::Lookup, REGDB_E_CLASSNOTREG,
         FormatGuid(unknown)},
        {"Test.Nobody.1", IDispatch::kIid, CreateStep::Lookup, CO_E_CLASSSTRING, "Test.Nobody.1"},
        {"Test.Dangling.1", IDispatch::kIid, CreateStep::Lookup, REGDB_E_CLASSNOTREG,
         FormatGuid(unknown)},
        {"{EDA29C06-6048}", IDispatch::kIid, CreateStep::Lookup, CO_E_CLASSSTRING, "{EDA29C06"},
        {FormatGuid(noLibraryKey), IDispatch::kIid, CreateStep::Lookup, REGDB_E_CLASSNOTREG,
         "names no library"},
        {FormatGuid(missingLib), IDispatch::kIid, CreateStep::LoadLibrary, CO_E_DLLNOTFOUND,
         "gone.so"},
        {FormatGuid(notALibrary), IDispatch::kIid, CreateStep::LoadLibrary, CO_E_DLLNOTFOUND,
         "readme.so"},
        {FormatGuid(noEntry), IDispatch::kIid, CreateStep::EntryPoint, CO_E_ERRORINDLL,
         "DllGetClassObject"},
        {FormatGuid(notProvided), IDispatch::kIid, CreateStep::ClassObject,
         CLASS_E_CLASSNOTAVAILABLE, "does not provide"},
        {FormatGuid(kClsid), kEventsIid, CreateStep::CreateInstance, E_NOINTERFACE,
         "E_NOINTERFACE"},
    };
    for (const Case& c : cases) {
        void* object = &object;
        CreateFailure failure;
        EXPECT_EQ(CreateObject(c.name, c.iid, &object, &failure, Registry()), c.hr) << c.name;
        EXPECT_EQ(object, nullptr) << c.name;
        EXPECT_EQ(failure.step, c.step) << c.name << ": " << failure.message;
        EXPECT_EQ(failure.hr, c.hr) << c.name;
        EXPECT_NE(failure.message.find(c.mentions), std::string::npos)
            << c.name << ": " << failure.message;
        // A failed creation leaves nothing of the library loaded: the factory was released,
        // then the library closed.
        EXPECT_FALSE(Loaded(kSampleLibrary)) << c.name;
    }
}

TEST_F(CreateObjectTest, RegistrationReportsTheStepThatCouldNotWrite) {
    // "fonerix" is a file, so the registry file cannot be created under it.
    std::ofstream(dir.path() / "fonerix") << "in the way\n";
    EXPECT_EQ(CallExport("DllRegisterServer", dir.path()), SELFREG_E_TYPELIB);
    EXPECT_EQ(CallExport("DllUnregisterServer", dir.path()), SELFREG_E_TYPELIB);

    // Without a type library the classes are the first step.
    static const ComponentModule classesOnly{SampleModule().classes, nullptr};
    const auto blocked = dir.path() / "fonerix" / "registry.ini";
    EXPECT_EQ(ComponentRegister(classesOnly, "/x/lib.so", blocked), SELFREG_E_CLASS);
    EXPECT_EQ(ComponentUnregister(classesOnly, blocked), SELFREG_E_CLASS);
}

TEST(ComponentLibraryTest, ExportsOnlyTheEntryPoints) {
    void* handle = ::dlopen(kSampleLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << ::dlerror();
    for (const char* name :
         {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"}) {
        EXPECT_NE(::dlsym(handle, name), nullptr) << name;
    }
    // The layer's own functions and the module's object count stay inside.
    for (const char* name : {"_ZN7fonerix13ThisComponentEv", "_ZN7fonerix16ModuleCanUnloadEv",
                             "_ZN7fonerix12VariantClearEPNS_7VARIANTE"}) {
        EXPECT_EQ(::dlsym(handle, name), nullptr) << name;
    }
    const auto canUnload = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, "DllCanUnloadNow"));
    const auto getClass = reinterpret_cast<HRESULT (*)(const CLSID*, const IID*, void**)>(
        ::dlsym(handle, "DllGetClassObject"));
    ASSERT_TRUE(canUnload && getClass);
    EXPECT_EQ(canUnload(), S_OK);
    {
        CComPtr<IClassFactory> factory;
        ASSERT_EQ(getClass(&kClsid, &IClassFactory::kIid, factory.PutVoid()), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE);  // the factory is an object of the library
        EXPECT_EQ(factory->LockServer(true), S_OK);
        void* aggregated = &aggregated;
        CComPtr<IUnknown> outer = MakeObject<CEventSink>(kEventsIid, nullptr).As<IUnknown>();
        EXPECT_EQ(factory->CreateInstance(outer.Get(), IUnknown::kIid, &aggregated),
                  CLASS_E_NOAGGREGATION);
        EXPECT_EQ(aggregated, nullptr);
    }
    EXPECT_EQ(canUnload(), S_FALSE);  // locked
    {
        CComPtr<IClassFactory> factory;
        ASSERT_EQ(getClass(&kClsid, &IClassFactory::kIid, factory.PutVoid()), S_OK);
        factory->LockServer(false);
    }
    EXPECT_EQ(canUnload(), S_OK);
    ::dlclose(handle);
}

}  // namespace
}  // namespace fonerix::test
