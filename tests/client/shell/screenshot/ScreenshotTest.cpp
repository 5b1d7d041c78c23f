// The main window on a real X server (Xvfb): it must render, not only exist. The picture is kept
// as an artifact of the test run (FONEDESK_SCREENSHOT_DIR) for a person to look at.
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "client/resources/resource.h"
#include "client/shell/DataGridView.h"
#include "client/shell/FonedeskApp.h"
#include "client/shell/MainFrame.h"
#include "client/shell/RecordDialog.h"
#include "client/shell/WaitDialog.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

using fonedesk::test::CClientTestEnvironment;

class ScreenshotTest : public QObject {
    Q_OBJECT
  private slots:
    void mainWindowRenders();
};

void ScreenshotTest::mainWindowRenders() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        QSKIP("needs an X server (run under xvfb-run)");
    }
    CClientTestEnvironment& env = CClientTestEnvironment::Instance();
    env.RegisterControl();
    env.CreateDataSource();
    env.Exec({
        "INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
        "VALUES('Иванов Иван','84951234567','05-12-26 14:30',35,0,0,0,0)",
        "INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
        "VALUES('Ёлкина Анна','89161112233','07-12-26 09:05',120,0,0,0,35)",
        "INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
        "VALUES('4957654321','4957654321','09-12-26 18:41',12,0,0,0,0)",
        "INSERT INTO phone_book (PHONE,ABONENT,COMMENT) VALUES('84951234567','Иванов Иван','Офис')",
        "INSERT INTO phone_book (PHONE,ABONENT,COMMENT) VALUES('84957770011','Исаев Пётр','')",
        "INSERT INTO phone_book (PHONE,ABONENT,COMMENT) VALUES('89161112233','Борисов "
        "Олег','Дача')",
    });
    auto set = env.StartSet({.type = 5, .generate = "5:8"});
    fonedesk::test::CPromptRecorder prompts;
    fonedesk::CFonedeskApp app;
    QVERIFY(app.InitInstance());
    fonedesk::CMainFrame* frame = app.MainFrame();
    frame->setGeometry(20, 20, 1100, 700);
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    QTRY_VERIFY(!frame->Grid()->IsQueryRunning());
    QTest::qWait(300);  // let the last batch paint; nothing is asserted about time

    const QImage shot = frame->screen()->grabWindow(0).toImage();
    const QString folder = qEnvironmentVariable("FONEDESK_SCREENSHOT_DIR", QDir::tempPath());
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("fonedesk-main.png"));
    QVERIFY(shot.save(path));
    qInfo("screenshot: %s", qPrintable(path));

    // Not blank: a rendered window has text, icons and frames in many colours.
    const QImage window = shot.copy(frame->geometry());
    QSet<QRgb> colours;
    for (int y = 0; y < window.height(); y += 3) {
        for (int x = 0; x < window.width(); x += 3) {
            colours.insert(window.pixel(x, y));
        }
    }
    QVERIFY2(colours.size() > 30, qPrintable(QString::number(colours.size())));
    QCOMPARE(frame->windowTitle(), QString::fromUtf8("Звоникс"));
    auto* bar = frame->findChild<QToolBar*>();
    QVERIFY(bar != nullptr && bar->isVisible());
    QCOMPARE(frame->toolBarArea(bar), Qt::RightToolBarArea);
    QVERIFY(bar->geometry().left() > frame->width() * 3 / 4);
    QVERIFY(bar->geometry().right() >= frame->width() - 4);

    // The phone book under the letter "И", with the letter tabs below the list.
    frame->Action(fonedesk::ID_VIEW_PHONEBOOK)->trigger();
    QTRY_VERIFY(!frame->Grid()->IsQueryRunning());
    auto* letters = frame->findChild<QTabBar*>(QStringLiteral("IDC_ALPHABET_TABS"));
    QVERIFY(letters != nullptr && letters->isVisible());
    letters->setCurrentIndex(9);
    QTRY_VERIFY(!frame->Grid()->IsQueryRunning());
    QTest::qWait(300);
    const QString bookPath = QDir(folder).filePath(QStringLiteral("fonedesk-phonebook.png"));
    QVERIFY(frame->screen()->grabWindow(0).save(bookPath));
    qInfo("screenshot: %s", qPrintable(bookPath));

    // The record dialog of the selected row, and the report that ends a reading of the logs.
    frame->Grid()->TableView()->selectRow(0);
    const QString recordPath = QDir(folder).filePath(QStringLiteral("fonedesk-record.png"));
    const QString reportPath = QDir(folder).filePath(QStringLiteral("fonedesk-report.png"));
    bool recordShot = false;
    QTimer::singleShot(500, frame, [&] {
        auto* dialog = qobject_cast<fonedesk::CRecordDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr) {
            QTest::qWait(200);
            recordShot = dialog->screen()->grabWindow(0).save(recordPath);
            dialog->reject();
        }
    });
    frame->Action(fonedesk::ID_EDIT_RECORD)->trigger();
    QVERIFY(recordShot);
    qInfo("screenshot: %s", qPrintable(recordPath));
    bool reportShot = false;
    QTimer timer;
    connect(&timer, &QTimer::timeout, frame, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* wait = qobject_cast<fonedesk::CWaitDialog*>(top);
            auto* ok =
                wait != nullptr ? wait->findChild<QPushButton*>(QStringLiteral("IDOK")) : nullptr;
            if (ok != nullptr && ok->isVisible() && !reportShot) {
                QTest::qWait(200);
                reportShot = wait->screen()->grabWindow(0).save(reportPath);
                ok->click();
            }
        }
    });
    timer.start(100);
    frame->Action(fonedesk::ID_READ_DEVICE)->trigger();
    timer.stop();
    QVERIFY(reportShot);
    qInfo("screenshot: %s", qPrintable(reportPath));
}

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
