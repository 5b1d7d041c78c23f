// The main frame's notifications of calls, against the real frame, the simulated set and the
// test's notification server on a private session bus (under dbus-run-session).
#include <QApplication>
#include <QTest>

#include "client/shell/DataGridView.h"
#include "client/shell/FonedeskApp.h"
#include "client/shell/MainFrame.h"
#include "platform/profile/FonedeskProfile.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"
#include "tests/client/shell/support/ModalAnswerer.h"
#include "tests/client/shell/support/TestNotificationServer.h"

using fonedesk::test::CClientTestEnvironment;
using fonedesk::test::CTestNotificationServer;
namespace profile = platform::fonedesk_profile;

namespace {

constexpr int kLongWait = 15000;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

class FrameNotificationTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void callsAreAnnouncedWithTheCallerAndRaiseTheWindow();
    void theOptionSwitchesThemOff();
};

void FrameNotificationTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty("FONEDESK_TEST_PRIVATE_BUS")) {
        QSKIP("needs a private session bus (client_notify_frame_test runs under dbus-run-session)");
    }
    CClientTestEnvironment::Instance().RegisterControl();
}

void FrameNotificationTest::callsAreAnnouncedWithTheCallerAndRaiseTheWindow() {
    CClientTestEnvironment& env = CClientTestEnvironment::Instance();
    env.RemoveProfile();
    env.CreateDataSource();
    env.Exec(
        {"INSERT INTO phone_book (PHONE,ABONENT,COMMENT) "
         "VALUES('84951234567','Иванов Иван','Офис')"});
    CTestNotificationServer server;
    QVERIFY(server.Register());
    auto set = env.StartSet({.type = 5});
    fonedesk::test::CPromptRecorder prompts;
    fonedesk::test::CModalAnswerer answers;
    fonedesk::CFonedeskApp app;
    QVERIFY(app.InitInstance());
    fonedesk::CMainFrame& frame = *app.MainFrame();
    QTRY_VERIFY(!frame.Grid()->IsQueryRunning());

    const struct {
        const char* command;
        const char* summary;
        const char* body;
    } cases[] = {
        {"call 84951234567", "Входящий вызов", "Иванов Иван\n84951234567"},
        {"call 5550123", "Входящий вызов", "5550123"},
        {"call _", "Входящий вызов", "Номер не определён"},
        {"dialling 84951234567", "Набор номера на // аппарате", "Иванов Иван\n84951234567"},
    };
    for (const auto& c : cases) {
        const auto before = server.calls.size();
        QCOMPARE(set->Command(c.command).substr(0, 2), std::string("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(server.calls.size(), before + 1, kLongWait);
        const fonedesk::test::NotifyCall& call = server.calls.last();
        QCOMPARE(call.summary, U(c.summary));
        QCOMPARE(call.body, U(c.body));
        QCOMPARE(call.hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("fonedesk"));
        QVERIFY(call.actions.contains(QStringLiteral("default")));
        QCOMPARE(set->Command("end").substr(0, 2), std::string("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(!frame.IsRinging(), kLongWait);
    }

    // Choosing the notification brings the minimised window back.
    frame.showMinimized();
    QTRY_VERIFY(frame.isMinimized());
    QVERIFY(server.EmitActionInvoked(server.answered.last(), QStringLiteral("default")));
    QTRY_VERIFY_WITH_TIMEOUT(!frame.isMinimized() && frame.isVisible(), kLongWait);
}

void FrameNotificationTest::theOptionSwitchesThemOff() {
    CClientTestEnvironment& env = CClientTestEnvironment::Instance();
    env.RemoveProfile();
    env.CreateDataSource();
    {
        platform::ProfileFile ini(env.ProfilePath());
        ini.WriteInt(profile::kProgramOptions, profile::kDesktopNotify, 0);
        ini.WriteInt(profile::kProgramOptions, profile::kOncallPopup, 0);
    }
    CTestNotificationServer server;
    QVERIFY(server.Register());
    auto set = env.StartSet({.type = 5});
    fonedesk::test::CPromptRecorder prompts;
    fonedesk::CFonedeskApp app;
    QVERIFY(app.InitInstance());
    fonedesk::CMainFrame& frame = *app.MainFrame();
    QTRY_VERIFY(!frame.Grid()->IsQueryRunning());
    QCOMPARE(set->Command("call 84951234567").substr(0, 2), std::string("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsRinging(), kLongWait);
    // A later event has been handled, so the call's handler is long over.
    QCOMPARE(set->Command("end").substr(0, 2), std::string("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(!frame.IsRinging(), kLongWait);
    QTest::qWait(100);  // a notification on its way would have crossed the bus by now
    QVERIFY(server.calls.isEmpty());
}

int main(int argc, char** argv) {
    CClientTestEnvironment::Instance();
    QApplication app(argc, argv);
    FrameNotificationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "FrameNotificationTest.moc"
