// The page "Общие": what the set is and its call statistics, as read when the page refreshes.
#include <QLineEdit>
#include <QTest>

#include "client/shell/MainFrame.h"
#include "client/shell/settings/GeneralConfPage.h"
#include "tests/client/shell/settings/standard/PageTestWorld.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

using fonedesk::CGeneralConfPage;
using fonedesk::CMainFrame;
using fonedesk::test::Child;
using fonedesk::test::CPageWorld;

namespace {

QString Text(QWidget& page, const char* name) {
    auto* field = Child<QLineEdit>(page, name);
    return field != nullptr ? field->text() : QStringLiteral("<no %1>").arg(name);
}

}  // namespace

class GeneralConfPageTest : public QObject {
    Q_OBJECT
  private slots:
    void showsTheSetAndItsStatistics_data();
    void showsTheSetAndItsStatistics();
};

void GeneralConfPageTest::showsTheSetAndItsStatistics_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("baudRate");
    // The simulated set's version byte is 0x21: hardware version 1, firmware version 1.
    QTest::newRow("first family") << 5 << "Ringolo Zelta+"
                                  << "50101001"
                                  << "57600 bps";
    QTest::newRow("second family") << 1 << "Varkon+"
                                   << "10101001"
                                   << "115200 bps";
}

void GeneralConfPageTest::showsTheSetAndItsStatistics() {
    QFETCH(int, type);
    QFETCH(QString, caption);
    QFETCH(QString, identifier);
    QFETCH(QString, baudRate);
    fonedesk::test::CPromptRecorder prompts;
    CPageWorld world;
    // Each statistic distinct, so that a field showing another's value is seen.
    QVERIFY(world.Start(type, {"statistics month=11 local=125 long=30 previous-local=200 "
                               "previous-long=3599"}));
    CMainFrame& frame = world.Frame();

    CGeneralConfPage page(frame.Fonerix(), frame.Device());
    page.Refresh();
    QCOMPARE(Text(page, "IDC_GENERAL_CAPTION"), caption);
    QCOMPARE(Text(page, "IDC_GENERAL_IDENTIFIER"), identifier);
    QCOMPARE(Text(page, "IDC_GENERAL_VERSION"), QStringLiteral("ver. 1.1"));
    QCOMPARE(Text(page, "IDC_GENERAL_PORT"), QStringLiteral("COM 1"));
    QCOMPARE(Text(page, "IDC_GENERAL_BAUD_RATE"), baudRate);
    QCOMPARE(Text(page, "IDC_GENERAL_BILL_MONTH"), QStringLiteral("11"));
    QCOMPARE(Text(page, "IDC_GENERAL_CURRENT_LOCAL"), QStringLiteral("02ч. 05м. (125 мин.)"));
    QCOMPARE(Text(page, "IDC_GENERAL_CURRENT_LONG"), QStringLiteral("00ч. 30м. (30 мин.)"));
    QCOMPARE(Text(page, "IDC_GENERAL_PREVIOUS_LOCAL"), QStringLiteral("03ч. 20м. (200 мин.)"));
    QCOMPARE(Text(page, "IDC_GENERAL_PREVIOUS_LONG"), QStringLiteral("59ч. 59м. (3599 мин.)"));
    QVERIFY(prompts.messages.isEmpty());

    // Without a set in use the page asks nothing and shows nothing.
    const long before = world.Received();
    const fonerix::DEVICEINFO none{};
    CGeneralConfPage idle(frame.Fonerix(), none);
    idle.Refresh();
    QCOMPARE(Text(idle, "IDC_GENERAL_CAPTION"), QString());
    QCOMPARE(Text(idle, "IDC_GENERAL_CURRENT_LOCAL"), QString());
    QCOMPARE(world.Received(), before);
}

int fonedesk::test::RunGeneralPageTests(int argc, char** argv) {
    GeneralConfPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "GeneralConfPageTest.moc"
