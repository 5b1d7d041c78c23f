// Start-up without the data source FNDB: a process of its own, since unixODBC keeps what it read
// of odbc.ini for a while and a data source removed by another test could still be found.
#include <QTest>

#include "client/shell/FonedeskApp.h"
#include "client/shell/MainFrame.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

using fonedesk::test::CClientTestEnvironment;

class NoDataSourceTest : public QObject {
    Q_OBJECT
  private slots:
    void programEndsWithTheDataSourceMessage();
};

void NoDataSourceTest::programEndsWithTheDataSourceMessage() {
    CClientTestEnvironment& env = CClientTestEnvironment::Instance();
    env.RegisterControl();
    fonedesk::test::CPromptRecorder prompts;
    {
        fonedesk::CFonedeskApp app;
        QVERIFY(!app.InitInstance());
        QVERIFY(app.MainFrame() == nullptr);
    }
    QCOMPARE(prompts.messages.size(), 2);
    QVERIFY(prompts.messages[0].startsWith(QStringLiteral("Unable to open datasource FNDB\n\n")));
    QVERIFY(prompts.messages[0].contains(QStringLiteral("fndb-setup")));
    QCOMPARE(prompts.icons[0], QMessageBox::Critical);
    QCOMPARE(prompts.messages[1], QStringLiteral("Failed to create empty document."));
}

QTEST_MAIN(NoDataSourceTest)
#include "NoDataSourceTest.moc"
