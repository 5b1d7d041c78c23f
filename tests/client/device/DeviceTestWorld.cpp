#include "tests/client/device/DeviceTestWorld.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <stdexcept>

#include "platform/automation/CreateObject.h"
#include "platform/automation/HResult.h"

#ifndef FONERIX_LIBRARY_PATH
#error "FONERIX_LIBRARY_PATH must name the built libfonerix.so"
#endif
#ifndef FONERIX_SCENARIO_DIR
#error "FONERIX_SCENARIO_DIR must name sim/scenarios"
#endif

namespace fonedesk::test {
namespace {

// The wrapper's events come through the Qt event loop, so the whole program runs in one.
class CQtApplicationEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { m_app = std::make_unique<QCoreApplication>(m_argc, m_argv); }
    void TearDown() override {
        // Whatever a test left for deferred deletion goes before the application.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_app.reset();
    }

  private:
    int m_argc = 1;
    char m_name[32] = "client_device_test";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QCoreApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new CQtApplicationEnvironment);

}  // namespace

CDeviceTestWorld& CDeviceTestWorld::Instance() {
    static CDeviceTestWorld world;
    return world;
}

CDeviceTestWorld::CDeviceTestWorld() {
    std::filesystem::create_directories(m_folder.Path() / "home");
    std::filesystem::create_directories(m_folder.Path() / "config");
    setenv("HOME", m_folder.File("home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", m_folder.File("config").c_str(), 1);
    NoSet();
    // Loaded the way fonerix-regsvr loads it; it stays loaded for the whole program, as the
    // objects created from the registry share it.
    m_library = ::dlopen(FONERIX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (m_library == nullptr) {
        throw std::runtime_error(std::string("cannot load the control: ") + ::dlerror());
    }
}

void CDeviceTestWorld::RunEntry(const char* entry) {
    using Entry = fonerix::HRESULT (*)();
    auto* function = reinterpret_cast<Entry>(::dlsym(m_library, entry));
    if (function == nullptr) {
        throw std::runtime_error(std::string(entry) + " is not exported");
    }
    if (const fonerix::HRESULT hr = function(); hr != fonerix::S_OK) {
        throw std::runtime_error(std::string(entry) + " failed: " + fonerix::DescribeResult(hr));
    }
}

void CDeviceTestWorld::RegisterControl() {
    RunEntry("DllRegisterServer");
}

void CDeviceTestWorld::UnregisterControl() {
    RunEntry("DllUnregisterServer");
}

std::unique_ptr<fonerix::test::SimProcess> CDeviceTestWorld::StartSet(int type,
                                                                      const std::string& scenario) {
    fonerix::test::SimOptions options;
    options.type = type;
    if (!scenario.empty()) {
        options.scenario = std::string(FONERIX_SCENARIO_DIR) + "/" + scenario;
    }
    auto set = std::make_unique<fonerix::test::SimProcess>(std::move(options));
    setenv("FONERIX_COM1", set->LinkPath().c_str(), 1);
    return set;
}

void CDeviceTestWorld::NoSet() {
    for (int port = 1; port <= 4; ++port) {
        const std::string name = "FONERIX_COM" + std::to_string(port);
        setenv(name.c_str(), m_folder.File("no-port-" + std::to_string(port)).c_str(), 1);
    }
}

bool SpinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

void CRecordingHandler::Note(int dispid, const QString& argument) {
    QString event = DeviceEventName(dispid);
    if (dispid == 1 || dispid == 2 || dispid == 12) {
        event += QLatin1Char(' ') + argument;
    }
    events.append(event);
    if (inside) {
        inside(event);
    }
}

}  // namespace fonedesk::test
