// The real main frame against the simulated set and a throwaway FNDB.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <sstream>

#include "client/resources/Strings.h"
#include "client/shell/DataGridView.h"
#include "client/shell/FonedeskApp.h"
#include "client/shell/HelpWindow.h"
#include "client/shell/MainFrame.h"
#include "client/shell/PhoneBoardView.h"
#include "client/shell/TabView.h"
#include "client/shell/WaitDialog.h"
#include "platform/profile/FonedeskProfile.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

using fonedesk::CFonedeskApp;
using fonedesk::CMainFrame;
using fonedesk::test::CClientTestEnvironment;
using fonedesk::test::CPromptRecorder;
namespace profile = platform::fonedesk_profile;

namespace {

platform::ProfileFile Profile() {
    return platform::ProfileFile(CClientTestEnvironment::Instance().ProfilePath());
}

void WritePlacement(platform::ProfileFile& ini, int x, int y, int width, int height) {
    ini.WriteInt(profile::kWindowPosition, profile::kPosX, x);
    ini.WriteInt(profile::kWindowPosition, profile::kPosY, y);
    ini.WriteInt(profile::kWindowPosition, profile::kWidth, width);
    ini.WriteInt(profile::kWindowPosition, profile::kHeight, height);
}

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The texts of a menu's items, separators as "-".
QStringList MenuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions()) {
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return texts;
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();

    void startsWithTheSetFoundAndTheViewsInPlace();
    void menuToolbarAndPromptsAreThoseOfTheProgram();
    void startsWithoutASet();
    void endsWhenTheControlIsNotRegistered();
    void widthWithoutHeightKeepsTheDefaultPlacement();
    void savedPlacementIsUsedAndSavedAgain();
    void firstRunWritesVoiceDirBeforeTheWindowShows();
    void closeIsRefusedWhileAListArrives();
    void minimisingPutsTheSetToSleepAndKeepsTheWindowReachable();
    void helpOpensTheManual();
    void phoneBookFileDialogs();
    void viewCommandsSwitchTablesAndCheckTheirItem();

    void waitDialogDisablesItsOwnerWhileItShows();
    void waitDialogFinishingModeWaitsForOk();

    void commandLine_data();
    void commandLine();

  private:
    std::unique_ptr<fonerix::test::SimProcess> m_set;
};

void MainFrameTest::initTestCase() {
    CClientTestEnvironment& env = CClientTestEnvironment::Instance();
    env.RegisterControl();
    env.CreateDataSource();
}

void MainFrameTest::init() {
    CClientTestEnvironment& env = CClientTestEnvironment::Instance();
    m_set.reset();
    env.NoSet();
    env.RemoveProfile();
}

void MainFrameTest::startsWithTheSetFoundAndTheViewsInPlace() {
    CClientTestEnvironment& env = CClientTestEnvironment::Instance();
    m_set = env.StartSet({.type = 5});
    CPromptRecorder prompts;
    CFonedeskApp app;
    QVERIFY(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    QVERIFY(prompts.messages.isEmpty());

    QVERIFY(frame->Device().inUse != 0);
    QCOMPARE(frame->Device().devType, 5u);
    QCOMPARE(QString::fromUtf16(frame->Device().Caption), QStringLiteral("Ringolo Zelta+"));
    QCOMPARE(frame->windowTitle(), U("Звоникс"));
    QVERIFY(frame->isVisible());
    QVERIFY(frame->isEnabled());  // the wait window is gone

    // Start-up woke the set with write permission and turned its events on.
    QVERIFY(m_set->Command("status").find("state=awake") != std::string::npos);

    // "Номеронабиратель" was added last, so it stands first and is current.
    fonedesk::CTabView* tabs = frame->TabView();
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), U("Номеронабиратель"));
    QCOMPARE(tabs->tabText(1), U("Поиск"));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->currentWidget(), static_cast<QWidget*>(frame->PhoneBoard()));

    auto* splitter = frame->findChild<QSplitter*>(QStringLiteral("splitter"));
    QVERIFY(splitter != nullptr);
    QCOMPARE(splitter->widget(0), static_cast<QWidget*>(frame->TabView()));
    QCOMPARE(splitter->widget(1), static_cast<QWidget*>(frame->Grid()));
    QCOMPARE(splitter->sizes().value(0), frame->PhoneBoard()->ScrollWidth() + 10);

    // The device commands follow theDevice.
    QVERIFY(CMainFrame::DeviceAllows(frame->Device(), fonedesk::ID_READ_DEVICE));
    QVERIFY(CMainFrame::DeviceAllows(frame->Device(), fonedesk::ID_READ_PHONEBOOK));
    QVERIFY(frame->Action(fonedesk::ID_READ_DEVICE)->isEnabled());
    QVERIFY(frame->Action(fonedesk::ID_READ_PHONEBOOK)->isEnabled());
    QVERIFY(frame->Action(fonedesk::ID_DEVICE_SETTINGS)->isEnabled());

    // The first list is the incoming-call log.
    QTRY_VERIFY(!frame->Grid()->IsQueryRunning());
    QCOMPARE(frame->Grid()->CurrentTable(), QStringLiteral("in_data"));
    QVERIFY(frame->Action(fonedesk::ID_VIEW_INCOMING)->isChecked());
    QCOMPARE(frame->StatusText(), U("Запрос к базе данных выполнен."));
}

void MainFrameTest::menuToolbarAndPromptsAreThoseOfTheProgram() {
    CPromptRecorder prompts;
    CFonedeskApp app;
    QVERIFY(app.InitInstance());
    CMainFrame* frame = app.MainFrame();

    const QList<QAction*> popups = frame->menuBar()->actions();
    QCOMPARE(popups.size(), 4);
    QCOMPARE(popups[0]->text(), U("&Файл"));
    QCOMPARE(popups[1]->text(), U("&Правка"));
    QCOMPARE(popups[2]->text(), U("В&ид"));
    QCOMPARE(popups[3]->text(), U("&?"));
    QCOMPARE(MenuTexts(popups[0]->menu()),
             QStringList({U("Читать из устройства..."), U("Читать записную книжку..."),
                          U("Параметры устройства"), U("Импорт телефонной книжки..."),
                          U("Экспорт телефонной книжки..."), "-", U("&Печать...\tCtrl+P"),
                          U("Пред&варительный просмотр"), U("Пара&метры страницы..."), "-",
                          U("В&ыход")}));
    QCOMPARE(MenuTexts(popups[1]->menu()),
             QStringList({U("&Вырезать\tCtrl+X"), U("&Копировать\tCtrl+C"), U("&Вст&авить\tCtrl+V"),
                          "-", U("Удалить записи\tDel"), U("Добавить  запись"),
                          U("Редактир. запись"), U("Набрать абонента"), U("Читать звукозапись")}));
    QCOMPARE(MenuTexts(popups[2]->menu()),
             QStringList({U("Панель &инструментов"), U("Строка &состояния"), "-",
                          U("Входящие звонки"), U("Исходящие звонки"), U("Телефонная книга")}));
    QCOMPARE(MenuTexts(popups[3]->menu()), QStringList({U("Помощь\tF1"), U("&О программе...")}));

    // Each menu item of the program's own commands carries its id.
    const QList<QAction*> file = popups[0]->menu()->actions();
    QCOMPARE(file[0]->data().toInt(), 32806);
    QCOMPARE(file[1]->data().toInt(), 32805);
    QCOMPARE(file[2]->data().toInt(), 32801);
    QCOMPARE(file[3]->data().toInt(), 32833);
    QCOMPARE(file[4]->data().toInt(), 32832);

    auto* bar = frame->findChild<QToolBar*>();
    QVERIFY(bar != nullptr);
    QCOMPARE(frame->toolBarArea(bar), Qt::RightToolBarArea);
    QList<int> ids;
    for (QAction* a : bar->actions()) {
        ids << (a->isSeparator() ? 0 : a->data().toInt());
    }
    QCOMPARE(ids, QList<int>({32802, 32803, 32804, 0, fonedesk::ID_EDIT_CUT, fonedesk::ID_EDIT_COPY,
                              fonedesk::ID_EDIT_PASTE, 0, 32825, 32827, 32828, 32841, 32843}));
    for (QAction* a : bar->actions()) {
        if (!a->isSeparator()) {
            QVERIFY2(!a->icon().isNull(), qPrintable(a->text()));
            QVERIFY2(!a->toolTip().isEmpty(), qPrintable(a->text()));
        }
    }

    // Prompts in the status bar, exactly as the program's strings have them.
    const struct {
        int id;
        const char* prompt;
    } expected[] = {
        {32801, "Программные и аппаратные настройки"},
        {32802, "Входящие звонки..."},
        {32803, "Исходящие звонки..."},
        {32804, "Телефонная книжка..."},
        {32805, "Читать записную книжку из устройства..."},
        {32806, "Читать данные из устройства..."},
        {32825, "Удалить запись..."},
        {32827, "Добавить запись..."},
        {32828, "Редактировать запись..."},
        {32832, "Экспорт телефонной книжки в текстовый файл..."},
        {32833, "Импорт телефонной книжки из текстового файла..."},
        {32841, "Набрать телефонной номер из выделенной записи в списке..."},
        {32843, "Считать звуковое сообщение из выделенной записи в списке..."},
    };
    for (const auto& e : expected) {
        QCOMPARE(frame->Action(e.id)->statusTip(), U(e.prompt));
    }
    frame->Action(32802)->showStatusText(frame);
    QCOMPARE(frame->StatusText(), U("Входящие звонки..."));
    frame->statusBar()->clearMessage();
    QCOMPARE(frame->StatusText(), QStringLiteral(" "));  // the idle text is a single blank

    QCOMPARE(frame->Action(fonedesk::ID_DELETE_RECORDS)->shortcuts().value(0),
             QKeySequence(Qt::Key_Delete));
    QVERIFY(frame->Action(fonedesk::ID_EDIT_COPY)
                ->shortcuts()
                .contains(QKeySequence(Qt::CTRL | Qt::Key_Insert)));
}

void MainFrameTest::startsWithoutASet() {
    CPromptRecorder prompts;
    CFonedeskApp app;
    QVERIFY(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    QVERIFY(prompts.messages.isEmpty());
    QCOMPARE(frame->Device().inUse, 0);
    QCOMPARE(frame->Device().devType, 0u);
    QVERIFY(frame->Device().Caption == nullptr);
    QVERIFY(!frame->Action(fonedesk::ID_READ_DEVICE)->isEnabled());
    QVERIFY(!frame->Action(fonedesk::ID_READ_PHONEBOOK)->isEnabled());
    QVERIFY(!CMainFrame::DeviceAllows(frame->Device(), fonedesk::ID_READ_DEVICE));
    QVERIFY(!CMainFrame::DeviceAllows(frame->Device(), fonedesk::ID_READ_PHONEBOOK));
    // The settings sheet opens without a set (type 0) and warns there.
    QVERIFY(CMainFrame::DeviceAllows(frame->Device(), fonedesk::ID_DEVICE_SETTINGS));
    // Steps after the search were not skipped: both tabs and the list are there.
    QCOMPARE(frame->TabView()->count(), 2);
    QTRY_VERIFY(!frame->Grid()->IsQueryRunning());
    QCOMPARE(frame->Grid()->CurrentTable(), QStringLiteral("in_data"));
}

void MainFrameTest::endsWhenTheControlIsNotRegistered() {
    CClientTestEnvironment& env = CClientTestEnvironment::Instance();
    env.UnregisterControl();
    CPromptRecorder prompts;
    {
        CFonedeskApp app;
        QVERIFY(!app.InitInstance());
        QVERIFY(app.MainFrame() == nullptr);
    }
    env.RegisterControl();
    QCOMPARE(prompts.messages.size(), 2);
    QVERIFY(prompts.messages[0].startsWith(U("Ошибка загрузки библиотеки Fonerix.ocx!\n\n")));
    QVERIFY(prompts.messages[0].contains(QStringLiteral("fonerix-regsvr")));
    QCOMPARE(prompts.messages[1], QStringLiteral("Failed to create empty document."));
}

void MainFrameTest::widthWithoutHeightKeepsTheDefaultPlacement() {
    platform::ProfileFile ini = Profile();
    WritePlacement(ini, 300, 200, 500, 0);
    CPromptRecorder prompts;
    CFonedeskApp app;
    QVERIFY(app.InitInstance());
    QVERIFY(app.MainFrame()->width() != 500);
    QVERIFY(app.MainFrame()->frameGeometry().topLeft() != QPoint(300, 200));
}

void MainFrameTest::savedPlacementIsUsedAndSavedAgain() {
    platform::ProfileFile ini = Profile();
    WritePlacement(ini, 40, 30, 800, 500);
    CPromptRecorder prompts;
    {
        CFonedeskApp app;
        QVERIFY(app.InitInstance());
        QCOMPARE(app.MainFrame()->size(), QSize(800, 500));
        app.MainFrame()->resize(820, 520);
        QTRY_VERIFY(!app.MainFrame()->Grid()->IsQueryRunning());
        QVERIFY(app.MainFrame()->close());
    }
    QCOMPARE(ini.GetInt(profile::kWindowPosition, profile::kWidth, 0), 820);
    QCOMPARE(ini.GetInt(profile::kWindowPosition, profile::kHeight, 0), 520);
}

void MainFrameTest::firstRunWritesVoiceDirBeforeTheWindowShows() {
    CPromptRecorder prompts;
    CMainFrame frame;
    QVERIFY(frame.Create());
    QVERIFY(!frame.isVisible());
    const std::string voiceDir = Profile().GetString(profile::kVoiceOptions, profile::kVoiceDir);
    QCOMPARE(QString::fromStdString(voiceDir),
             QString::fromStdString(CClientTestEnvironment::Instance().Folder()) +
                 QStringLiteral("/data/fonedesk/voice/"));
    // A folder the user chose is kept.
    Profile().WriteString(profile::kVoiceOptions, profile::kVoiceDir, "/srv/voice/");
    CMainFrame second;
    QVERIFY(second.Create());
    QCOMPARE(Profile().GetString(profile::kVoiceOptions, profile::kVoiceDir),
             std::string("/srv/voice/"));
}

void MainFrameTest::closeIsRefusedWhileAListArrives() {
    CPromptRecorder prompts;
    CFonedeskApp app;
    QVERIFY(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    QTRY_VERIFY(!frame->Grid()->IsQueryRunning());
    // The list query runs until its finished notification is handled by the event loop.
    frame->Grid()->ShowCallLog(QStringLiteral("out_data"), -1);
    QVERIFY(frame->Grid()->IsQueryRunning());
    QVERIFY(!frame->close());
    QVERIFY(frame->isVisible());
    QTRY_VERIFY(!frame->Grid()->IsQueryRunning());
    QVERIFY(frame->close());
}

void MainFrameTest::minimisingPutsTheSetToSleepAndKeepsTheWindowReachable() {
    CClientTestEnvironment& env = CClientTestEnvironment::Instance();
    m_set = env.StartSet({.type = 5});
    CPromptRecorder prompts;
    CFonedeskApp app;
    QVERIFY(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    QVERIFY(m_set->Command("status").find("state=awake") != std::string::npos);
    frame->showMinimized();
    m_set->WaitForStatus("state=asleep");
    // There is no tray here (offscreen), so the window must stay in the task bar.
    QCoreApplication::processEvents();
    QVERIFY(frame->isVisible());
    QVERIFY(frame->isMinimized());
}

void MainFrameTest::helpOpensTheManual() {
    CPromptRecorder prompts;
    CFonedeskApp app;
    QVERIFY(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    frame->Action(fonedesk::ID_HELP)->trigger();
    QVERIFY(frame->HelpWindow() != nullptr);
    QVERIFY(frame->HelpWindow()->isVisible());
    QCOMPARE(frame->HelpWindow()->Browser()->source(),
             QUrl(QStringLiteral("qrc:/help/index.html")));
    QVERIFY(frame->HelpWindow()->Browser()->toPlainText().contains(U("Звоникс")));
}

void MainFrameTest::phoneBookFileDialogs() {
    const fonedesk::FileDialogRequest save = CMainFrame::PhoneBookFileRequest(32832);
    QCOMPARE(save.kind, fonedesk::FileDialogRequest::Save);
    QCOMPARE(save.title, U("Экспорт телефонной книжки в текстовый файл..."));
    QCOMPARE(save.defaultSuffix, QStringLiteral("txt"));
    QCOMPARE(save.filter,
             U("Текстовые документы (*.txt);;CSV (разделители-запятые) (*.csv);;All Files (*.*)"));
    QVERIFY(!save.options.testFlag(QFileDialog::DontConfirmOverwrite));
    const fonedesk::FileDialogRequest open = CMainFrame::PhoneBookFileRequest(32833);
    QCOMPARE(open.kind, fonedesk::FileDialogRequest::Open);
    QCOMPARE(open.title, U("Импорт телефонной книжки из текстового файла..."));
    QVERIFY(open.defaultSuffix.isEmpty());
    QCOMPARE(open.filter, save.filter);
}

void MainFrameTest::viewCommandsSwitchTablesAndCheckTheirItem() {
    CPromptRecorder prompts;
    CFonedeskApp app;
    QVERIFY(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    const struct {
        int id;
        const char* table;
    } cases[] = {{32804, "phone_book"}, {32803, "out_data"}, {32802, "in_data"}};
    for (const auto& c : cases) {
        QTRY_VERIFY(!frame->Grid()->IsQueryRunning());
        frame->Action(c.id)->trigger();
        QCOMPARE(frame->Grid()->CurrentTable(), QString::fromUtf8(c.table));
        for (int id : {32802, 32803, 32804}) {
            QCOMPARE(frame->Action(id)->isChecked(), id == c.id);
        }
    }
}

void MainFrameTest::waitDialogDisablesItsOwnerWhileItShows() {
    QWidget owner;
    owner.show();
    {
        fonedesk::CWaitDialog wait(&owner, QString());
        QCOMPARE(wait.Text(), U("Ждите..."));
        auto* text = wait.findChild<QPlainTextEdit*>(QStringLiteral("IDC_WAIT_TEXT"));
        QVERIFY(text != nullptr);
        QVERIFY(text->isReadOnly());
        QVERIFY(wait.findChild<QProgressBar*>(QStringLiteral("IDC_WAIT_PROGRESS"))->isHidden());
        QVERIFY(wait.findChild<QPushButton*>(QStringLiteral("IDOK"))->isHidden());

        wait.show();
        QVERIFY(!owner.isEnabled());
        QVERIFY(wait.isEnabled());
        wait.SetText(U("Поиск устройств..."));
        QCOMPARE(text->toPlainText(), U("Поиск устройств..."));
        wait.hide();
        QVERIFY(owner.isEnabled());

        wait.show();
        QVERIFY(!owner.isEnabled());
        wait.SetProgressRange(10);
        wait.SetProgressPosition(4);
        QVERIFY(wait.findChild<QProgressBar*>(QStringLiteral("IDC_WAIT_PROGRESS"))->isVisible());
        QCOMPARE(wait.findChild<QProgressBar*>(QStringLiteral("IDC_WAIT_PROGRESS"))->value(), 4);
        wait.close();
        QVERIFY(owner.isEnabled());
        QCOMPARE(wait.Text(), U("Ждите..."));

        wait.show();
        QVERIFY(!owner.isEnabled());
    }
    // Destroyed while showing: the owner is usable again.
    QVERIFY(owner.isEnabled());
}

void MainFrameTest::waitDialogFinishingModeWaitsForOk() {
    QWidget owner;
    owner.show();
    fonedesk::CWaitDialog wait(&owner, U("Загрузка программы..."));
    wait.show();
    auto* ok = wait.findChild<QPushButton*>(QStringLiteral("IDOK"));
    bool okWasShown = false;
    QTimer::singleShot(50, &wait, [&] {
        okWasShown = ok->isVisible() && ok->isEnabled();
        ok->click();
    });
    wait.Finish(U("Импортировано записей: 3"));
    QVERIFY(okWasShown);
    QVERIFY(!wait.isVisible());
    QVERIFY(owner.isEnabled());
}

void MainFrameTest::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("run");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("none") << QStringList() << true << 0 << ""
                          << "";
    QTest::newRow("help") << QStringList{"--help"} << false << 0 << "Usage: fonedesk [OPTION]"
                          << "";
    QTest::newRow("version") << QStringList{"--version"} << false << 0
                             << "fonedesk (Fonerix) " FONEDESK_VERSION "\n"
                             << "";
    QTest::newRow("unknown long") << QStringList{"--port"} << false << 2 << ""
                                  << "fonedesk: unrecognized option '--port'";
    QTest::newRow("unknown short") << QStringList{"-x"} << false << 2 << ""
                                   << "fonedesk: invalid option -- 'x'";
    QTest::newRow("operand") << QStringList{"book.txt"} << false << 2 << ""
                             << "fonedesk: extra operand 'book.txt'";
}

void MainFrameTest::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, run);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    std::vector<std::string> storage{"fonedesk"};
    for (const QString& a : arguments) {
        storage.push_back(a.toStdString());
    }
    std::vector<char*> argv;
    for (std::string& s : storage) {
        argv.push_back(s.data());
    }
    std::ostringstream outText;
    std::ostringstream errText;
    const fonedesk::CommandLineResult result =
        fonedesk::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), outText, errText);
    QCOMPARE(result.run, run);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(QString::fromStdString(outText.str()).startsWith(out), outText.str().c_str());
    QVERIFY2(QString::fromStdString(errText.str()).startsWith(err), errText.str().c_str());
    if (exitCode == 2) {
        QVERIFY(errText.str().find("Try 'fonedesk --help'") != std::string::npos);
    }
}

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
