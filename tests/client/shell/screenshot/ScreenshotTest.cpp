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
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "client/resources/resource.h"
#include "client/shell/DataGridView.h"
#include "client/shell/FonedeskApp.h"
#include "client/shell/MainFrame.h"
#include "client/shell/PlayerWindow.h"
#include "client/shell/RecordDialog.h"
#include "client/shell/TabView.h"
#include "client/shell/WaitDialog.h"
#include "client/shell/settings/SettingsSheet.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"
#include "tests/support/VoiceFiles.h"

using fonedesk::test::CClientTestEnvironment;

class ScreenshotTest : public QObject {
    Q_OBJECT
  private slots:
    void mainWindowRenders();
    void callKeypadSearchSettingsAndPlayerRender();
};

namespace {

QString ShotPath(const char* name) {
    const QString folder = qEnvironmentVariable("FONEDESK_SCREENSHOT_DIR", QDir::tempPath());
    QDir().mkpath(folder);
    return QDir(folder).filePath(QString::fromLatin1(name));
}

// The screen with `window` on it, saved under `name`; whether it was saved.
bool Shoot(QWidget* window, const QString& name) {
    QTest::qWait(250);  // let it paint; nothing is asserted about time
    const bool saved = window->screen()->grabWindow(0).save(name);
    qInfo("screenshot: %s", qPrintable(name));
    return saved;
}

}  // namespace

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

void ScreenshotTest::callKeypadSearchSettingsAndPlayerRender() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        QSKIP("needs an X server (run under xvfb-run)");
    }
    CClientTestEnvironment& env = CClientTestEnvironment::Instance();
    env.RegisterControl();
    env.CreateDataSource();
    env.RemoveProfile();
    env.Exec(
        {"INSERT INTO phone_book (PHONE,ABONENT,COMMENT) VALUES('84951234567','Иванов "
         "Иван','Офис, бухгалтерия')"});
    const std::string wav = env.Folder() + "/greeting.wav";
    fonerix::test::WriteBytes(wav, fonerix::test::WavBytes(fonerix::test::Sine(3 * 11025, 11025)));
    auto set = env.StartSet({.type = 5, .generate = "5:8"});
    fonedesk::test::CPromptRecorder prompts;
    fonedesk::CFonedeskApp app;
    QVERIFY(app.InitInstance());
    fonedesk::CMainFrame* frame = app.MainFrame();
    frame->setGeometry(20, 20, 1100, 700);
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    QTRY_VERIFY(!frame->Grid()->IsQueryRunning());

    // An incoming call: the pop-up with the caller's name over the ringing window.
    bool popupShot = false;
    QTimer popupTimer;
    connect(&popupTimer, &QTimer::timeout, frame, [&] {
        auto* popup = qobject_cast<fonedesk::CRecordDialog*>(QApplication::activeModalWidget());
        if (popup != nullptr && !popupShot) {
            popupShot = Shoot(popup, ShotPath("fonedesk-popup.png"));
            popup->reject();
        }
    });
    popupTimer.start(100);
    QCOMPARE(set->Command("call 84951234567").substr(0, 2), std::string("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(popupShot, 15000);
    popupTimer.stop();
    // The keypad tab shows the number; then the search tab.
    QVERIFY(Shoot(frame, ShotPath("fonedesk-keypad.png")));
    frame->TabView()->setCurrentIndex(1);
    QVERIFY(Shoot(frame, ShotPath("fonedesk-search.png")));

    // Every page of the settings sheet, one picture each.
    QStringList pages;
    QTimer::singleShot(300, frame, [&] {
        auto* sheet = qobject_cast<fonedesk::CSettingsSheet*>(QApplication::activeModalWidget());
        if (sheet == nullptr) {
            return;
        }
        sheet->resize(sheet->sizeHint());
        for (int i = 0; i < sheet->Tabs()->count(); ++i) {
            sheet->Tabs()->setCurrentIndex(i);
            const QString name =
                ShotPath(QStringLiteral("fonedesk-settings-%1.png").arg(i + 1).toLatin1());
            if (Shoot(sheet, name)) {
                pages << sheet->Tabs()->tabText(i);
            }
        }
        sheet->reject();
    });
    frame->Action(fonedesk::ID_DEVICE_SETTINGS)->trigger();
    QCOMPARE(pages.size(), 6);

    // The player window on a message file.
    fonedesk::CPlayerWindow* player = fonedesk::CPlayerWindow::Open(QString::fromStdString(wav));
    QVERIFY(QTest::qWaitForWindowExposed(player));
    QVERIFY(Shoot(player, ShotPath("fonedesk-player.png")));
    player->close();
}

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
