#include "client/shell/MainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>
#include <QWindowStateChangeEvent>
#include <algorithm>
#include <exception>

#include "client/data/CallerLookup.h"
#include "client/data/ReferenceFiles.h"
#include "client/data/Statements.h"
#include "client/device/VoiceMessages.h"
#include "client/resources/Strings.h"
#include "client/shell/AboutDialog.h"
#include "client/shell/DataGridView.h"
#include "client/shell/DesktopNotifier.h"
#include "client/shell/HelpWindow.h"
#include "client/shell/HostDialogService.h"
#include "client/shell/PhoneBoardView.h"
#include "client/shell/PlayerWindow.h"
#include "client/shell/RecordDialog.h"
#include "client/shell/SearchBoardView.h"
#include "client/shell/SystemTray.h"
#include "client/shell/TabView.h"
#include "client/shell/WaitCursor.h"
#include "client/shell/WaitDialog.h"
#include "client/shell/settings/SettingsSheet.h"
#include "platform/profile/FonedeskProfile.h"

namespace fonedesk {
namespace {

namespace profile = platform::fonedesk_profile;

// One step of the tray's ringing animation; it rings until the call is answered or over.
constexpr int kRingPeriodMs = 250;

platform::ProfileFile Profile() {
    return platform::ProfileFile(platform::ProfileFile::DefaultPath());
}

QString TableName(std::string_view table) {
    return QString::fromUtf8(table.data(), static_cast<qsizetype>(table.size()));
}

QString Text(const char* text) {
    return QString::fromUtf8(text);
}

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// A number the line gave: neither empty nor the set's "_" for a number it could not read.
bool IsKnownNumber(const QString& number) {
    return !number.isEmpty() && number != QStringLiteral("_");
}

QIcon ToolbarIcon(const char* name) {
    return QIcon(QStringLiteral(":/icons/toolbar-%1.svg").arg(QLatin1String(name)));
}

struct MenuEntry {
    int id;  // 0: separator
    const char* text;
};

// The items of menu 128, popup by popup, exactly as the program shows them.
constexpr MenuEntry kFileMenu[] = {
    {ID_READ_DEVICE, "Читать из устройства..."},
    {ID_READ_PHONEBOOK, "Читать записную книжку..."},
    {ID_DEVICE_SETTINGS, "Параметры устройства"},
    {ID_IMPORT_PHONEBOOK, "Импорт телефонной книжки..."},
    {ID_EXPORT_PHONEBOOK, "Экспорт телефонной книжки..."},
    {0, nullptr},
    {ID_FILE_PRINT, "&Печать...\tCtrl+P"},
    {ID_FILE_PRINT_PREVIEW, "Пред&варительный просмотр"},
    {ID_FILE_PRINT_SETUP, "Пара&метры страницы..."},
    {0, nullptr},
    {ID_APP_EXIT, "В&ыход"},
};
constexpr MenuEntry kEditMenu[] = {
    {ID_EDIT_CUT, "&Вырезать\tCtrl+X"},         {ID_EDIT_COPY, "&Копировать\tCtrl+C"},
    {ID_EDIT_PASTE, "&Вст&авить\tCtrl+V"},      {0, nullptr},
    {ID_DELETE_RECORDS, "Удалить записи\tDel"}, {ID_ADD_RECORD, "Добавить  запись"},
    {ID_EDIT_RECORD, "Редактир. запись"},       {ID_DIAL_RECORD, "Набрать абонента"},
    {ID_READ_SOUND, "Читать звукозапись"},
};
constexpr MenuEntry kViewMenu[] = {
    {ID_VIEW_TOOLBAR, "Панель &инструментов"},
    {ID_VIEW_STATUS_BAR, "Строка &состояния"},
    {0, nullptr},
    {ID_VIEW_INCOMING, "Входящие звонки"},
    {ID_VIEW_OUTGOING, "Исходящие звонки"},
    {ID_VIEW_PHONEBOOK, "Телефонная книга"},
};
constexpr MenuEntry kHelpMenu[] = {
    {ID_HELP, "Помощь\tF1"},
    {ID_APP_ABOUT, "&О программе..."},
};

// Toolbar 128, in order.
constexpr MenuEntry kToolbar[] = {
    {ID_VIEW_INCOMING, "incoming-32802"},
    {ID_VIEW_OUTGOING, "outgoing-32803"},
    {ID_VIEW_PHONEBOOK, "phonebook-32804"},
    {0, nullptr},
    {ID_EDIT_CUT, "cut"},
    {ID_EDIT_COPY, "copy"},
    {ID_EDIT_PASTE, "paste"},
    {0, nullptr},
    {ID_DELETE_RECORDS, "delete-32825"},
    {ID_ADD_RECORD, "add-32827"},
    {ID_EDIT_RECORD, "edit-32828"},
    {ID_DIAL_RECORD, "dial-32841"},
    {ID_READ_SOUND, "sound-32843"},
};

// Accelerators 128 beyond the shortcuts the menu items name.
struct Accelerator {
    int id;
    QKeyCombination keys;
};
const Accelerator kAccelerators[] = {
    {ID_EDIT_COPY, Qt::CTRL | Qt::Key_C},
    {ID_EDIT_COPY, Qt::CTRL | Qt::Key_Insert},
    {ID_EDIT_PASTE, Qt::CTRL | Qt::Key_V},
    {ID_EDIT_PASTE, Qt::SHIFT | Qt::Key_Insert},
    {ID_EDIT_CUT, Qt::CTRL | Qt::Key_X},
    {ID_EDIT_CUT, Qt::SHIFT | Qt::Key_Delete},
    {ID_EDIT_UNDO, Qt::CTRL | Qt::Key_Z},
    {ID_EDIT_UNDO, Qt::ALT | Qt::Key_Backspace},
    {ID_FILE_PRINT, Qt::CTRL | Qt::Key_P},
    {ID_DELETE_RECORDS, QKeyCombination(Qt::Key_Delete)},
    {ID_NEXT_PANE, QKeyCombination(Qt::Key_F6)},
    {ID_PREV_PANE, Qt::SHIFT | Qt::Key_F6},
    {ID_HELP, QKeyCombination(Qt::Key_F1)},
};

}  // namespace

CMainFrame::CMainFrame() : m_fonerix(std::make_unique<CFonerix>()) {
    setObjectName(FONEDESK_ID_NAME(IDR_MAINFRAME));
}

CMainFrame::~CMainFrame() {
    if (!m_positionSaved) {
        SaveWindowPosition();
    }
    // Focus changes during the widgets' own destruction must not reach views that are gone.
    disconnect(qApp, nullptr, this, nullptr);
    // The views go before the control: nothing may call it once it is released.
    delete m_splitter;
    m_splitter = nullptr;
    m_grid = nullptr;
    m_tabView = nullptr;
    m_phoneBoard = nullptr;
    m_searchBoard = nullptr;
    m_fonerix->Release();
    fonerix::SysFreeString(m_device.Caption);
    m_device = {};
}

bool CMainFrame::Create() {
    PreCreate();
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateTray();
    return CreateClient();
}

void CMainFrame::PreCreate() {
    setWindowTitle(LoadString(AFX_IDS_APP_TITLE));
    setWindowIcon(QIcon(QStringLiteral(":/icons/program-128.svg")));
    platform::ProfileFile ini = Profile();
    const int width = ini.GetInt(profile::kWindowPosition, profile::kWidth, 0);
    const int height = ini.GetInt(profile::kWindowPosition, profile::kHeight, 0);
    if (width != 0 && height != 0) {
        move(ini.GetInt(profile::kWindowPosition, profile::kPosX, 0),
             ini.GetInt(profile::kWindowPosition, profile::kPosY, 0));
        resize(width, height);
    } else {
        resize(960, 640);
    }
    if (ini.GetString(profile::kVoiceOptions, profile::kVoiceDir).empty()) {
        // The program's folder is not writable here; the voice folder lives with the user's
        // data and is made when it is first needed.
        ini.WriteString(profile::kVoiceOptions, profile::kVoiceDir,
                        DefaultVoiceFolder().toStdString());
    }
}

void CMainFrame::CreateActions() {
    auto make = [this](int id, const QString& text) {
        auto* action = new QAction(text, this);
        action->setObjectName(QStringLiteral("action_%1").arg(id));
        action->setData(id);
        action->setStatusTip(CommandPrompt(id));
        action->setToolTip(CommandToolTip(id));
        m_actions.insert(id, action);
        return action;
    };
    auto makeAll = [&make](const auto& entries) {
        for (const MenuEntry& e : entries) {
            if (e.id != 0) {
                make(e.id, QString::fromUtf8(e.text));
            }
        }
    };
    makeAll(kFileMenu);
    makeAll(kEditMenu);
    makeAll(kViewMenu);
    makeAll(kHelpMenu);
    make(ID_EDIT_UNDO, QStringLiteral("Отменить"));
    make(ID_FILE_PRINT_DIRECT, QStringLiteral("Печать"));
    make(ID_NEXT_PANE, QString());
    make(ID_PREV_PANE, QString());

    for (const Accelerator& a : kAccelerators) {
        QAction* action = m_actions.value(a.id);
        QList<QKeySequence> keys = action->shortcuts();
        keys.append(QKeySequence(a.keys));
        action->setShortcuts(keys);
        addAction(action);  // the shortcut works wherever the focus is in the window
    }
    for (int id : {ID_VIEW_INCOMING, ID_VIEW_OUTGOING, ID_VIEW_PHONEBOOK}) {
        m_actions.value(id)->setCheckable(true);
    }
    for (const MenuEntry& e : kToolbar) {
        if (e.id != 0) {
            m_actions.value(e.id)->setIcon(ToolbarIcon(e.text));
        }
    }
    for (QAction* action : std::as_const(m_actions)) {
        const int id = action->data().toInt();
        if (id == ID_VIEW_TOOLBAR || id == ID_VIEW_STATUS_BAR) {
            continue;
        }
        connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
    }
}

void CMainFrame::CreateMenus() {
    auto fill = [this](const QString& title, const auto& entries) {
        QMenu* menu = menuBar()->addMenu(title);
        for (const MenuEntry& e : entries) {
            if (e.id == 0) {
                menu->addSeparator();
            } else {
                menu->addAction(m_actions.value(e.id));
            }
        }
        // Opening a menu is a good moment to bring the enabled states up to date.
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
        return menu;
    };
    fill(QStringLiteral("&Файл"), kFileMenu);
    fill(QStringLiteral("&Правка"), kEditMenu);
    fill(QStringLiteral("В&ид"), kViewMenu);
    fill(QStringLiteral("&?"), kHelpMenu);
}

void CMainFrame::CreateToolBar() {
    auto* bar = new QToolBar(LoadString(AFX_IDS_APP_TITLE), this);
    bar->setObjectName(FONEDESK_ID_NAME(IDR_MAINFRAME) "_toolbar");
    bar->setIconSize(QSize(17, 16));
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    for (const MenuEntry& e : kToolbar) {
        if (e.id == 0) {
            bar->addSeparator();
        } else {
            bar->addAction(m_actions.value(e.id));
        }
    }
    addToolBar(Qt::RightToolBarArea, bar);

    // The toolbar's and status bar's toggles are the view menu's check items.
    QAction* toolbarToggle = m_actions.value(ID_VIEW_TOOLBAR);
    toolbarToggle->setCheckable(true);
    toolbarToggle->setChecked(true);
    connect(toolbarToggle, &QAction::toggled, bar, &QToolBar::setVisible);
    connect(bar, &QToolBar::visibilityChanged, toolbarToggle, &QAction::setChecked);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    QAction* toggle = m_actions.value(ID_VIEW_STATUS_BAR);
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, bar, &QStatusBar::setVisible);
    // A prompt that goes away leaves the idle text, a single blank.
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& text) {
        if (text.isEmpty()) {
            bar->showMessage(LoadString(AFX_IDS_IDLEMESSAGE));
        }
    });
    bar->showMessage(LoadString(AFX_IDS_IDLEMESSAGE));
}

void CMainFrame::CreateTray() {
    m_tray = std::make_unique<CSystemTray>();
    m_tray->Create(this, LoadString(AFX_IDS_APP_TITLE),
                   QIcon(QStringLiteral(":/icons/program-128.svg")), IDC_TRAY_ICON);
    connect(m_tray.get(), &CSystemTray::activated, this, &CMainFrame::OnTrayActivated);
    m_notifier = new CDesktopNotifier(this);
    connect(m_notifier, &CDesktopNotifier::activated, this, &CMainFrame::OnTrayActivated);
}

bool CMainFrame::CreateClient() {
    CWaitDialog wait(this, QString::fromUtf8(texts::kLoading));
    wait.show();
    bool logShown = false;

    m_hostDialogs = std::make_unique<CQtHostDialogs>(this);
    fonerix::CreateFailure failure;
    if (!m_fonerix->CreateControl(this, m_hostDialogs.get(), failure)) {
        wait.hide();
        CPrompts::Message(this, QMessageBox::Critical, ControlFailureText(failure));
        return false;
    }

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setChildrenCollapsible(false);
    m_tabView = new CTabView(m_splitter);
    m_grid = new CDataGridView(m_splitter);
    m_splitter->addWidget(m_tabView);
    m_splitter->addWidget(m_grid);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);
    connect(m_grid, &CDataGridView::statusText, this, &CMainFrame::SetStatusText);
    connect(m_grid, &CDataGridView::commandStateChanged, this, &CMainFrame::UpdateCommands);
    connect(m_grid, &CDataGridView::dialRecord, this, &CMainFrame::OnDialRecord);
    connect(m_grid, &CDataGridView::playRecordSound, this, &CMainFrame::PlayRecordSound);

    try {
        wait.SetText(QString::fromUtf8(texts::kSearchingDevice));
        if (m_fonerix->LookForDevice(&m_device)) {
            m_fonerix->WakeupDevice(true);
            m_fonerix->EnableDeviceEvents();
            wait.SetText(QString::fromUtf8(texts::kDeviceFound) +
                         QString::fromUtf16(m_device.Caption));
        } else {
            // A set that was identified but refused still left its caption in the record.
            fonerix::SysFreeString(m_device.Caption);
            m_device = {};
        }

        m_tabView->SetImageList(QStringLiteral(":/icons/tab-images-136.svg"));
        m_searchBoard = new CSearchBoardView;
        m_tabView->AddView(LoadString(IDS_TAB_SEARCH), m_searchBoard);

        if (!m_grid->OpenDataSource()) {
            return false;
        }

        m_phoneBoard = new CPhoneBoardView(*m_fonerix, m_device.devType);
        connect(m_phoneBoard, &CPhoneBoardView::stopRinging, this, &CMainFrame::StopRinging,
                Qt::QueuedConnection);
        connect(m_phoneBoard, &CPhoneBoardView::command, this, [this](int id) {
            if (m_actions.value(id) != nullptr && m_actions.value(id)->isEnabled()) {
                RouteCommand(id);
            }
        });
        m_tabView->AddView(LoadString(IDS_TAB_DIALER), m_phoneBoard);

        platform::ProfileFile ini = Profile();
        if (ini.GetInt(profile::kProgramOptions, profile::kAutoTime, profile::kAutoTimeDefault) !=
            0) {
            m_fonerix->SetDeviceTime(DateFromDateTime(QDateTime::currentDateTime()));
        }
        if (m_device.inUse != 0 && ini.GetInt(profile::kProgramOptions, profile::kAutoData,
                                              profile::kAutoDataDefault) != 0) {
            // Behind the start-up window; its report appears only when something went wrong.
            m_grid->ReadCallLogs(*m_fonerix, CDataGridView::Report::OnlyProblems);
            logShown = true;
        }

        const int firstColumn = std::max(0, m_phoneBoard->ScrollWidth() + 10);
        m_splitter->setSizes({firstColumn, std::max(1, width() - firstColumn)});
        m_searchBoard->SetGridView(m_grid);
    } catch (const std::exception&) {
        wait.hide();
        CPrompts::Message(this, QMessageBox::Critical, QString::fromUtf8(texts::kInitFailed));
        return false;
    }
    wait.hide();

    // The list a user expects to see first: the incoming calls (the reading showed it already).
    if (!logShown) {
        m_grid->ShowCallLog(TableName(statements::kIncomingCalls), -1);
    }
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::UpdateCommands);
    UpdateCommands();
    return true;
}

QString CMainFrame::ControlFailureText(const fonerix::CreateFailure& failure) const {
    QString text = QString::fromUtf8(texts::kControlLoadFailed);
    text += QStringLiteral("\n\nНе удалось создать элемент управления FONERIX: %1.")
                .arg(QString::fromStdString(failure.message));
    if (failure.step == fonerix::CreateStep::Lookup) {
        text += QStringLiteral(
            "\nЭлемент управления не зарегистрирован. Зарегистрируйте его командой\n"
            "    fonerix-regsvr /путь/к/libfonerix.so\n"
            "(запись попадает в ~/.config/fonerix/registry.ini).");
    } else {
        text += QStringLiteral(
            "\nПроверьте, что библиотека, указанная в ~/.config/fonerix/registry.ini или "
            "/etc/fonerix/registry.ini, существует, и зарегистрируйте её заново командой "
            "fonerix-regsvr.");
    }
    return text;
}

void CMainFrame::SetStatusText(const QString& text) {
    statusBar()->showMessage(text.isEmpty() ? LoadString(AFX_IDS_IDLEMESSAGE) : text);
}

QString CMainFrame::StatusText() const {
    return statusBar()->currentMessage();
}

bool CMainFrame::DeviceAllows(const fonerix::DEVICEINFO& device, int id) {
    switch (id) {
        case ID_READ_DEVICE:
        case ID_READ_PHONEBOOK:
            return device.inUse != 0;
        case ID_DEVICE_SETTINGS:
            return device.inUse != 0 || device.devType == 0;
        default:
            return true;
    }
}

FileDialogRequest CMainFrame::PhoneBookFileRequest(int id) {
    FileDialogRequest request;
    request.kind = id == ID_EXPORT_PHONEBOOK ? FileDialogRequest::Save : FileDialogRequest::Open;
    request.title = CommandPrompt(id);
    request.filter = QStringLiteral(
        "Текстовые документы (*.txt);;CSV (разделители-запятые) (*.csv);;All Files (*.*)");
    if (request.kind == FileDialogRequest::Save) {
        request.defaultSuffix = QStringLiteral("txt");
    }
    // Qt asks before overwriting unless told not to, and has no read-only box to hide.
    request.options = {};
    return request;
}

void CMainFrame::UpdateCommands() {
    if (m_grid == nullptr) {
        return;
    }
    const QString table = m_grid->CurrentTable();
    auto is = [&table](std::string_view name) { return table == TableName(name); };
    m_actions.value(ID_VIEW_INCOMING)->setChecked(is(statements::kIncomingCalls));
    m_actions.value(ID_VIEW_OUTGOING)->setChecked(is(statements::kOutgoingCalls));
    m_actions.value(ID_VIEW_PHONEBOOK)->setChecked(is(statements::kPhoneBook));

    QWidget* focus = QApplication::focusWidget();
    auto* line = qobject_cast<QLineEdit*>(focus);
    const bool editable = line != nullptr && !line->isReadOnly();
    const bool hasSelection = line != nullptr && line->hasSelectedText();
    m_actions.value(ID_EDIT_CUT)->setEnabled(editable && hasSelection);
    m_actions.value(ID_EDIT_COPY)->setEnabled(hasSelection);
    m_actions.value(ID_EDIT_PASTE)->setEnabled(editable);
    m_actions.value(ID_EDIT_UNDO)->setEnabled(editable && line->isUndoAvailable());

    for (QAction* action : std::as_const(m_actions)) {
        const int id = action->data().toInt();
        bool enabled = action->isEnabled();
        if (CDataGridView::HandlesCommand(id)) {
            enabled = m_grid->IsCommandEnabled(id);
        }
        if (id == ID_READ_DEVICE || id == ID_READ_PHONEBOOK || id == ID_DEVICE_SETTINGS) {
            enabled = DeviceAllows(m_device, id);
        }
        action->setEnabled(enabled);
    }
}

void CMainFrame::RouteCommand(int id) {
    if (CDataGridView::HandlesCommand(id)) {
        m_grid->OnCommand(id);
        return;
    }
    switch (id) {
        case ID_VIEW_INCOMING:
            m_grid->ShowCallLog(TableName(statements::kIncomingCalls), -1);
            break;
        case ID_VIEW_OUTGOING:
            m_grid->ShowCallLog(TableName(statements::kOutgoingCalls), -1);
            break;
        case ID_VIEW_PHONEBOOK:
            m_grid->ShowPhoneBook(TableName(statements::kPhoneBook), -1);
            break;
        case ID_EXPORT_PHONEBOOK:
        case ID_IMPORT_PHONEBOOK:
            OnPhoneBookFile(id);
            break;
        case ID_READ_DEVICE:
            m_grid->ReadCallLogs(*m_fonerix, CDataGridView::Report::Always);
            break;
        case ID_READ_PHONEBOOK:
            m_grid->ReadDevicePhoneBook(*m_fonerix);
            break;
        case ID_EDIT_CUT:
        case ID_EDIT_COPY:
        case ID_EDIT_PASTE:
        case ID_EDIT_UNDO:
            OnEditCommand(id);
            break;
        case ID_NEXT_PANE:
        case ID_PREV_PANE:
            MoveFocusBetweenPanes();
            break;
        case ID_HELP:
            OnHelp();
            break;
        case ID_APP_ABOUT:
            OnAbout();
            break;
        case ID_APP_EXIT:
            close();
            break;
        case ID_DEVICE_SETTINGS:
            OnDeviceSettings();
            break;
        default:
            break;
    }
    UpdateCommands();
}

void CMainFrame::OnPhoneBookFile(int id) {
    const QString path = CPrompts::FileName(this, PhoneBookFileRequest(id));
    if (path.isEmpty()) {
        return;
    }
    repaint();
    if (id == ID_EXPORT_PHONEBOOK) {
        m_grid->ExportPhoneBook(path);
    } else {
        m_grid->ImportPhoneBook(path);
    }
}

void CMainFrame::OnEditCommand(int id) {
    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (line == nullptr) {
        return;
    }
    switch (id) {
        case ID_EDIT_CUT:
            line->cut();
            break;
        case ID_EDIT_COPY:
            line->copy();
            break;
        case ID_EDIT_PASTE:
            line->paste();
            break;
        case ID_EDIT_UNDO:
            line->undo();
            break;
        default:
            break;
    }
}

void CMainFrame::OnHelp() {
    if (m_helpWindow == nullptr) {
        m_helpWindow = new CHelpWindow(this);
        m_helpWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_helpWindow->ShowContents();
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

void CMainFrame::OnDeviceSettings() {
    if (m_device.inUse == 0) {
        CPrompts::Message(this, QMessageBox::Warning,
                          QString::fromUtf8(texts::kNoDevice) + QStringLiteral("\n\n") +
                              QString::fromUtf8(texts::kNoDeviceHint));
    }
    // The frame as the parent keeps the sheet above it, also where a parentless window could
    // open behind it (Wayland).
    CSettingsSheet sheet(*m_fonerix, m_device, this);
    sheet.exec();
}

void CMainFrame::OnAbout() {
    CAboutDialog about(this);
    about.exec();
}

void CMainFrame::OnDialRecord(int rid) {
    CWaitCursor wait;
    const QString number = m_grid->GetRowPhone(rid);
    if (IsKnownNumber(number)) {
        m_fonerix->DialNumber(number);
    }
}

void CMainFrame::PlayRecordSound(int rid) {
    const quint16 handle = m_grid->GetMessageHandle(rid);
    if (handle == 0) {
        return;
    }
    const QString folder =
        FromUtf8(Profile().GetString(profile::kVoiceOptions, profile::kVoiceDir));
    const QString path = folder + VoiceMessageFileName(rid, handle, m_device.IdZelta);
    VoiceFetch fetch;
    {
        CWaitCursor wait;
        fetch = FetchVoiceMessage(handle, path, [this](quint16 h, const QString& file) {
            return m_fonerix->GetSoundMessage(static_cast<short>(h), file);
        });
    }
    if (fetch == VoiceFetch::NoFolder || fetch == VoiceFetch::ReadFailed) {
        QString text = Text(texts::kSoundReadFailed) + QStringLiteral("\n\n") + path;
        text += fetch == VoiceFetch::NoFolder
                    ? QStringLiteral("\nПапки для звуковых сообщений нет: %1").arg(folder)
                    : QStringLiteral("\nАппарат не передал сообщение.");
        CPrompts::Message(this, QMessageBox::Warning, text);
        return;
    }
    CPlayerWindow::Open(path);
}

QList<CPlayerWindow*> CMainFrame::PlayerWindows() {
    // The sound page opens players too; every one of them belongs to this program's window.
    QList<CPlayerWindow*> players;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* player = qobject_cast<CPlayerWindow*>(top);
            player != nullptr && player->isVisible()) {
            players.append(player);
        }
    }
    return players;
}

void CMainFrame::OnTrayActivated() {
    showNormal();
    raise();
    activateWindow();
}

void CMainFrame::MoveFocusBetweenPanes() {
    if (m_grid == nullptr || m_tabView == nullptr) {
        return;
    }
    QWidget* focus = QApplication::focusWidget();
    const bool inGrid = focus != nullptr && m_grid->isAncestorOf(focus);
    (inGrid ? static_cast<QWidget*>(m_tabView) : m_grid)->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::StartRinging(const QString& number, int firstFrame) {
    m_tray->SetTooltipText(number);
    if (m_ringing != 0) {
        return;  // a second call while ringing changes only the tool tip
    }
    m_tray->SetIconList({firstFrame, IDI_RING_OFF});
    m_tray->Animate(kRingPeriodMs, -1);
    m_ringing = 1;
}

void CMainFrame::StopRinging() {
    if (m_ringing != 1) {
        return;
    }
    m_tray->StopAnimation();
    m_ringing = 0;
    m_tray->SetIcon(IDR_MAINFRAME);
    m_tray->SetTooltipText(AFX_IDS_APP_TITLE);
}

void CMainFrame::ShowKeypadNumber(const QString& number) {
    if (m_phoneBoard != nullptr) {
        m_phoneBoard->ShowNumber(number);
    }
}

void CMainFrame::ShowKeypadBuffer() {
    if (m_phoneBoard != nullptr) {
        m_phoneBoard->ShowDeviceBuffer();
    }
}

void CMainFrame::NotifyCall(const QString& summary, const QString& number,
                            const QString& subscriber) {
    if (Profile().GetInt(profile::kProgramOptions, profile::kDesktopNotify,
                         profile::kDesktopNotifyDefault) == 0) {
        return;
    }
    const QString shownNumber = IsKnownNumber(number) ? number : Text(texts::kNumberUnknown);
    const QString body =
        subscriber.isEmpty() ? shownNumber : subscriber + QLatin1Char('\n') + shownNumber;
    m_notifier->Notify(summary, body);
}

void CMainFrame::ShowIncomingCallPopup(const QString& number, const QString& subscriber,
                                       const QString& comment) {
    CRecordDialog popup(false, true, this);
    popup.SetTitleId(IDS_RECORD_POPUP);
    popup.SetTexts(number, subscriber, comment);
    // Modal inside the event: the control holds its next event until the user closes it. What
    // the user types here is not stored; the pop-up only informs.
    popup.exec();
}

void CMainFrame::OnParallDialing(const QString& number) {
    SetStatusText(Text(texts::kParallDialing));
    ShowKeypadNumber(number);
    StartRinging(number, IDI_RING_PARALLEL);
    CallerInfo caller;
    if (IsKnownNumber(number) && m_grid != nullptr) {
        std::vector<CReferenceFile> references = OpenReferenceFiles(Profile());
        caller = LookupCaller(m_grid->Database(), number.toStdString(), references,
                              profile::FieldDelimiter(Profile()));
    }
    NotifyCall(Text(texts::kParallDialing), number, FromUtf8(caller.subscriber));
}

void CMainFrame::OnComingCall(const QString& number) {
    SetStatusText(Text(texts::kComingCall));
    ShowKeypadNumber(number);
    StartRinging(number, IDI_RING_CALL);
    const platform::ProfileFile ini = Profile();
    CallerInfo caller;
    if (IsKnownNumber(number) && m_grid != nullptr) {
        std::vector<CReferenceFile> references = OpenReferenceFiles(ini);
        caller = LookupCaller(m_grid->Database(), number.toStdString(), references,
                              profile::FieldDelimiter(ini));
    }
    // Sent before the pop-up, which holds this handler until it is closed.
    NotifyCall(Text(texts::kComingCall), number, FromUtf8(caller.subscriber));
    if (IsKnownNumber(number) && ini.GetInt(profile::kProgramOptions, profile::kOncallPopup,
                                            profile::kOncallPopupDefault) != 0) {
        ShowIncomingCallPopup(number, FromUtf8(caller.subscriber), FromUtf8(caller.comment));
    }
}

void CMainFrame::OnFinishTalking() {
    SetStatusText(Text(texts::kFinishTalking));
    StopRinging();
}
void CMainFrame::OnSuccessLinking() {
    SetStatusText(Text(texts::kSuccessLinking));
}
void CMainFrame::OnFailedLinking() {
    SetStatusText(Text(texts::kFailedLinking));
}
void CMainFrame::OnBusyLinking() {
    SetStatusText(Text(texts::kBusyLinking));
}
void CMainFrame::OnAlarm() {}
void CMainFrame::OnTubeUp() {
    SetStatusText(Text(texts::kTubeUp));
    ShowKeypadBuffer();
    StopRinging();
}
void CMainFrame::OnTubeDown() {
    SetStatusText(Text(texts::kTubeDown));
    StopRinging();
}
void CMainFrame::OnParallTubeUp() {
    SetStatusText(Text(texts::kParallTubeUp));
    ShowKeypadBuffer();
    StopRinging();
}
void CMainFrame::OnLowBatary() {}
void CMainFrame::OnPhoneKeyPress(int keyCode) {
    if (m_phoneBoard != nullptr) {
        m_phoneBoard->MirrorDeviceKey(keyCode);
    }
    ShowKeypadBuffer();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_grid != nullptr && m_grid->IsQueryRunning()) {
        // A list still arriving is cancelled instead; the next close goes through.
        m_grid->CancelQuery();
        event->ignore();
        return;
    }
    SaveWindowPosition();
    m_positionSaved = true;
    if (m_helpWindow != nullptr) {
        m_helpWindow->close();
    }
    // Free-standing players would otherwise keep the program running without its window.
    for (CPlayerWindow* player : PlayerWindows()) {
        player->close();
    }
    event->accept();
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized()) {
        return;
    }
    // Minimised: the set goes to sleep; with a visible tray icon only that icon stays. Without a
    // tray the window stays in the task bar, or the user could never get it back.
    m_fonerix->SleepDevice();
    if (m_tray != nullptr && m_tray->IsVisible()) {
        QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
    }
}

void CMainFrame::SaveWindowPosition() {
    // The position of the outer frame and the size of the window, which is what the next start
    // places and sizes; a size with the frame added would grow the window at every start.
    const QPoint topLeft = frameGeometry().topLeft();
    platform::ProfileFile ini = Profile();
    ini.WriteInt(profile::kWindowPosition, profile::kPosX, topLeft.x());
    ini.WriteInt(profile::kWindowPosition, profile::kPosY, topLeft.y());
    ini.WriteInt(profile::kWindowPosition, profile::kWidth, width());
    ini.WriteInt(profile::kWindowPosition, profile::kHeight, height());
}

}  // namespace fonedesk
