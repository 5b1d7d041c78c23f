#pragma once

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "client/device/DeviceEvents.h"
#include "client/device/Fonerix.h"
#include "client/shell/HelpWindow.h"
#include "client/shell/Prompts.h"

class QAction;
class QLabel;
class QSplitter;

namespace fonedesk {

class CDataGridView;
class CDesktopNotifier;
class CPhoneBoardView;
class CPlayerWindow;
class CSearchBoardView;
class CQtHostDialogs;
class CSystemTray;
class CTabView;
class CWaitDialog;

// The program's one window: menu, toolbar docked at the right, status bar, the splitter with the
// tab view (keypad, search) on the left and the list on the right, and the tray icon. It owns
// the wrapper of the control and `theDevice`, brings the program up in a fixed order (Create),
// routes the list's commands to the list and receives the control's events.
class CMainFrame : public QMainWindow, public IDeviceEventHandler {
    Q_OBJECT
  public:
    // Ringing flag 0, theDevice zeroed, the wrapper made (no control yet).
    CMainFrame();
    // Frees the caption of theDevice and releases the control; no device call is made.
    ~CMainFrame() override;

    // Everything before the window shows: placement and VoiceDir from the profile, frame parts,
    // tray icon, then the client area behind the wait window (control, splitter, device search,
    // views, database, clock). False when the program must end; the reason has been shown.
    bool Create();

    const fonerix::DEVICEINFO& Device() const { return m_device; }
    CFonerix& Fonerix() { return *m_fonerix; }
    CDataGridView* Grid() const { return m_grid; }
    CTabView* TabView() const { return m_tabView; }
    CPhoneBoardView* PhoneBoard() const { return m_phoneBoard; }
    CSearchBoardView* SearchBoard() const { return m_searchBoard; }
    CSystemTray* Tray() const { return m_tray.get(); }
    CDesktopNotifier* Notifier() const { return m_notifier; }
    CHelpWindow* HelpWindow() const { return m_helpWindow; }
    bool IsRinging() const { return m_ringing != 0; }

    // The menu and toolbar command `id` (a resource id), or null.
    QAction* Action(int id) const { return m_actions.value(id); }
    // Pane 0 of the status bar; an empty text shows the idle blank.
    void SetStatusText(const QString& text);
    QString StatusText() const;

    // Whether a command that depends on the set is allowed by theDevice: reading the set needs a
    // set in use; the settings sheet also opens without one when the type is 0 (it warns).
    static bool DeviceAllows(const fonerix::DEVICEINFO& device, int id);
    // The file dialog of the phone-book export or import.
    static FileDialogRequest PhoneBookFileRequest(int id);

    // Re-evaluates every command's enabled and checked state.
    void UpdateCommands();

    // The tray stops ringing (the keypad's speaker and flash ask for it too).
    void StopRinging();
    // The voice message of row `rid` of the list in a player window of its own; nothing for a
    // row without one.
    void PlayRecordSound(int rid);
    // The player windows open now, wherever they were opened from.
    static QList<CPlayerWindow*> PlayerWindows();

    // IDeviceEventHandler: the status bar, the keypad's display, the tray's ringing, the desktop
    // notification and, for an incoming call, the pop-up with the caller's name.
    void OnParallDialing(const QString& number) override;
    void OnComingCall(const QString& number) override;
    void OnFinishTalking() override;
    void OnSuccessLinking() override;
    void OnFailedLinking() override;
    void OnBusyLinking() override;
    void OnAlarm() override;
    void OnTubeUp() override;
    void OnTubeDown() override;
    void OnParallTubeUp() override;
    void OnLowBatary() override;
    void OnPhoneKeyPress(int keyCode) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void PreCreate();
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateTray();
    bool CreateClient();
    QString ControlFailureText(const fonerix::CreateFailure& failure) const;
    void StartRinging(const QString& number, int firstFrame);
    // The desktop notification of a call ("Desktop Notify"), with the caller when known.
    void NotifyCall(const QString& summary, const QString& number, const QString& subscriber);
    void ShowIncomingCallPopup(const QString& number, const QString& subscriber,
                               const QString& comment);
    void ShowKeypadNumber(const QString& number);
    void ShowKeypadBuffer();
    void SaveWindowPosition();
    void RouteCommand(int id);
    void OnDialRecord(int rid);
    void OnPhoneBookFile(int id);
    void OnEditCommand(int id);
    void OnHelp();
    void OnAbout();
    void OnDeviceSettings();
    void OnTrayActivated();
    void MoveFocusBetweenPanes();

    fonerix::DEVICEINFO m_device{};
    int m_ringing = 0;
    std::unique_ptr<CFonerix> m_fonerix;
    std::unique_ptr<CQtHostDialogs> m_hostDialogs;
    std::unique_ptr<CSystemTray> m_tray;
    CDesktopNotifier* m_notifier = nullptr;
    QHash<int, QAction*> m_actions;
    QSplitter* m_splitter = nullptr;
    CTabView* m_tabView = nullptr;
    CDataGridView* m_grid = nullptr;
    CPhoneBoardView* m_phoneBoard = nullptr;
    CSearchBoardView* m_searchBoard = nullptr;
    QPointer<CHelpWindow> m_helpWindow;
    bool m_positionSaved = false;
};

}  // namespace fonedesk
