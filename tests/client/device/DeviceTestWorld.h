// What the wrapper's tests share: a throwaway home with its own registry, the built control
// registered there or not, COM1 on a simulated set and the other ports on nothing, an event loop
// to spin, and a handler that writes down every event it is given.
#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "client/device/DeviceEvents.h"
#include "client/device/HostDialogs.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TemporaryDirectory.h"

namespace fonedesk::test {

class CDeviceTestWorld {
  public:
    // At the first call HOME and XDG_CONFIG_HOME move into a fresh folder, and COM1 to COM4
    // point at nothing.
    static CDeviceTestWorld& Instance();

    // The built libfonerix.so in the throwaway registry (its DllRegisterServer), or not.
    void RegisterControl();
    void UnregisterControl();

    // A set on COM1 (from a scenario of sim/scenarios when `scenario` is not empty).
    std::unique_ptr<fonerix::test::SimProcess> StartSet(int type, const std::string& scenario = {});
    void NoSet();

    const fonerix::test::TemporaryDirectory& Folder() const { return m_folder; }

  private:
    CDeviceTestWorld();
    void RunEntry(const char* entry);

    fonerix::test::TemporaryDirectory m_folder{"fonedesk-device-test"};
    void* m_library = nullptr;
};

// Runs the Qt event loop until `done` holds; false when `limit` passes first.
bool SpinUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

// Writes down each event as "Name" or "Name argument". `inside` (may be empty) runs within the
// handler after the event is written down, as the main frame's handlers call the wrapper.
class CRecordingHandler : public IDeviceEventHandler {
  public:
    QStringList events;
    std::function<void(const QString& event)> inside;

    void OnParallDialing(const QString& number) override { Note(1, number); }
    void OnComingCall(const QString& number) override { Note(2, number); }
    void OnFinishTalking() override { Note(3); }
    void OnSuccessLinking() override { Note(4); }
    void OnFailedLinking() override { Note(5); }
    void OnBusyLinking() override { Note(6); }
    void OnAlarm() override { Note(7); }
    void OnTubeUp() override { Note(8); }
    void OnTubeDown() override { Note(9); }
    void OnParallTubeUp() override { Note(10); }
    void OnLowBatary() override { Note(11); }
    void OnPhoneKeyPress(int keyCode) override { Note(12, QString::number(keyCode)); }

  private:
    void Note(int dispid, const QString& argument = QString());
};

// Keeps what the control asked to show instead of showing it.
class CRecordingDialogs : public IHostDialogService {
  public:
    struct Shown {
        QString title;
        QStringList lines;
        QImage image;
    };
    QList<Shown> shown;

    void ShowModal(const QString& title, const QStringList& lines, const QImage& image) override {
        shown.append({title, lines, image});
    }
};

}  // namespace fonedesk::test
