// libfonerix.so as its clients meet it: registered into a registry file, created by its class
// identifier or ProgID through CreateObject, and driven only through IDispatch, the event
// window and an advised sink. Nothing of the control is linked in; only the identifiers below
// are known.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <poll.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/automation/Component.h"
#include "platform/automation/ConnectionPoint.h"
#include "platform/automation/CreateObject.h"
#include "platform/automation/HostServices.h"
#include "platform/automation/Registry.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TemporaryDirectory.h"

namespace fonerix::test {
namespace {

using fonerix::test::SimProcess;
using fonerix::test::TemporaryDirectory;

constexpr char kCtrlClsid[] = "{40076167-D69E-11D5-BC69-8691947227AD}";
constexpr char kPageClsid[] = "{40076168-D69E-11D5-BC69-8691947227AD}";
constexpr char kEventsIid[] = "{40076166-D69E-11D5-BC69-8691947227AD}";
constexpr char kLibid[] = "{40076164-D69E-11D5-BC69-8691947227AD}";

// The library loaded as a registration tool loads it, with the user's registry in a
// directory of its own.
class Library {
  public:
    Library() {
        setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
        m_handle = ::dlopen(FONERIX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    }
    ~Library() {
        FreeUnusedLibraries();
        if (m_handle != nullptr) {
            ::dlclose(m_handle);
        }
        unsetenv("XDG_CONFIG_HOME");
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    HRESULT Run(const char* entry) const {
        using Entry = HRESULT (*)();
        void* symbol = m_handle != nullptr ? ::dlsym(m_handle, entry) : nullptr;
        if (symbol == nullptr) {
            ADD_FAILURE() << entry << " is not exported";
            return E_FAIL;
        }
        return reinterpret_cast<Entry>(symbol)();
    }
    bool Loaded() const { return m_handle != nullptr; }

    TemporaryDirectory config;

  private:
    void* m_handle = nullptr;
};

TEST(FonerixComponent, RegistersCreatesAndUnregisters) {
    Library library;
    ASSERT_TRUE(library.Loaded()) << ::dlerror();
    ASSERT_EQ(library.Run("DllRegisterServer"), S_OK);

    CRegistryFile file(UserRegistryPath());
    ASSERT_TRUE(file.Load());
    const CLSID ctrl = ParseGuid(kCtrlClsid).value();
    const std::string section = ClassSection(ctrl);
    const auto value = [&](const std::string& s, const char* key) {
        return file.Get(s, key).value_or("<missing>");
    };
    EXPECT_EQ(value(section, "Name"), "Fonerix Control");
    EXPECT_EQ(value(section, "ProgID"), "FONERIX.FonerixCtrl.1");
    EXPECT_EQ(value(section, "ThreadingModel"), "Apartment");
    EXPECT_EQ(value(section, "MiscStatus"), "0x20491");
    EXPECT_EQ(value(section, "Version"), "1.0");
    EXPECT_EQ(value(section, "FonerixVersion"), "1.0.0.1");
    EXPECT_EQ(value(section, "TypeLib"), kLibid);
    EXPECT_TRUE(file.Get(section, "Insertable").has_value());
    EXPECT_TRUE(file.Get(section, "ToolboxBitmap").has_value());
    // The registered file carries the version in its name.
    EXPECT_NE(value(section, "Library").find("libfonerix.so.1.0.0.1"), std::string::npos);
    const std::string page = ClassSection(ParseGuid(kPageClsid).value());
    EXPECT_EQ(value(page, "Name"), "Fonerix Property Page");
    EXPECT_EQ(value(page, "ThreadingModel"), "Apartment");
    EXPECT_EQ(value(ProgIdSection("FONERIX.FonerixPropPage.1"), "CLSID"), kPageClsid);
    EXPECT_EQ(value(TypeLibSection(ParseGuid(kLibid).value()), "Version"), "1.0");

    {
        CComPtr<IDispatch> control;
        CreateFailure failure;
        ASSERT_EQ(CreateObject(kCtrlClsid, control, &failure), S_OK) << failure.message;
        const std::u16string name = u"NumLength";
        const OLECHAR* names[] = {name.c_str()};
        DISPID id = 0;
        ASSERT_EQ(control->GetIDsOfNames(names, 1, &id), S_OK);
        EXPECT_EQ(id, 3);
        CVariant result;
        ASSERT_EQ(DispatchCall(control.Get(), id, DISPATCH_PROPERTYGET, {}, result.get()), S_OK);
        ASSERT_EQ(result.vt(), VT_I2);
        EXPECT_EQ(result->iVal, -1);  // no set looked for yet

        CComPtr<IUnknown> byProgId;
        EXPECT_EQ(CreateObject("FONERIX.FonerixCtrl.1", byProgId), S_OK);
        CComPtr<IUnknown> propertyPage;
        EXPECT_EQ(CreateObject("FONERIX.FonerixPropPage.1", propertyPage), S_OK);
    }

    ASSERT_EQ(library.Run("DllUnregisterServer"), S_OK);
    CComPtr<IUnknown> gone;
    CreateFailure failure;
    EXPECT_NE(CreateObject(kCtrlClsid, gone, &failure), S_OK);
    EXPECT_EQ(failure.step, CreateStep::Lookup);
}

// The command-line client's way: create by ProgID, call by name, and drive events from its own
// loop through the event window.
TEST(FonerixComponent, EventsReachAnAdvisedSinkThroughTheEventWindow) {
    Library library;
    ASSERT_EQ(library.Run("DllRegisterServer"), S_OK);
    SimProcess sim({.type = 5});
    TemporaryDirectory nowhere;
    setenv("FONERIX_COM1", sim.LinkPath().c_str(), 1);
    for (const char* port : {"FONERIX_COM2", "FONERIX_COM3", "FONERIX_COM4"}) {
        setenv(port, nowhere.File("none").c_str(), 1);
    }
    {
        CComPtr<IDispatch> control;
        ASSERT_EQ(CreateObject("FONERIX.FonerixCtrl.1", control), S_OK);
        const auto idOf = [&](const char16_t* member) {
            const OLECHAR* names[] = {member};
            DISPID id = DISPID_UNKNOWN;
            EXPECT_EQ(control->GetIDsOfNames(names, 1, &id), S_OK);
            return id;
        };

        // The record is the caller's memory; its caption (at the end) is the caller's to free.
        alignas(8) uint8_t info[40] = {};
        CVariant found;
        ASSERT_EQ(DispatchCall(control.Get(), idOf(u"LookForDevice"), DISPATCH_METHOD,
                               std::vector<CVariant>{CVariant::RecordRef(info)}, found.get()),
                  S_OK);
        BSTR caption = nullptr;
        std::memcpy(&caption, info + 32, sizeof caption);
        EXPECT_EQ(Utf8FromBstr(caption), "Ringolo Zelta+");
        SysFreeString(caption);
        ASSERT_EQ(found.vt(), VT_BOOL);
        ASSERT_NE(found->boolVal, VARIANT_FALSE);

        std::vector<std::string> numbers;
        std::vector<DISPID> seen;
        const auto sink = MakeObject<CEventSink>(
            ParseGuid(kEventsIid).value(), [&](DISPID dispid, const DISPPARAMS& p) {
                seen.push_back(dispid);
                if (p.cArgs == 1 && p.rgvarg[0].vt == (VT_BSTR | VT_BYREF)) {
                    // The sink's own string: it frees it.
                    numbers.push_back(Utf8FromBstr(*p.rgvarg[0].pbstrVal));
                    SysFreeString(*p.rgvarg[0].pbstrVal);
                    *p.rgvarg[0].pbstrVal = nullptr;
                }
            });
        uint32_t cookie = 0;
        ASSERT_EQ(AdviseSink(control.Get(), ParseGuid(kEventsIid).value(), sink.Get(), &cookie),
                  S_OK);
        ASSERT_EQ(
            DispatchCall(control.Get(), idOf(u"EnableDeviceEvents"), DISPATCH_METHOD, {}, nullptr),
            S_OK);

        const CComPtr<IEventWindow> window = control.As<IEventWindow>();
        ASSERT_TRUE(window);
        int fd = -1;
        ASSERT_EQ(window->GetDescriptor(&fd), S_OK);
        ASSERT_EQ(sim.Command("call 0123"), "ok");
        while (seen.empty()) {
            pollfd p{fd, POLLIN, 0};
            ASSERT_GT(::poll(&p, 1, 10000), 0) << "no event from the set";
            ASSERT_EQ(window->DispatchPending(nullptr), S_OK);
        }
        EXPECT_EQ(seen, std::vector<DISPID>{2});  // ComingCall
        EXPECT_EQ(numbers, std::vector<std::string>{"0123"});
        EXPECT_EQ(UnadviseSink(control.Get(), ParseGuid(kEventsIid).value(), cookie), S_OK);
    }
    for (const char* port : {"FONERIX_COM1", "FONERIX_COM2", "FONERIX_COM3", "FONERIX_COM4"}) {
        unsetenv(port);
    }
}

}  // namespace
}  // namespace fonerix::test
