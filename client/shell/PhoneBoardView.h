#pragma once

#include <QWidget>
#include <memory>

namespace fonedesk {

class CFlatButton;
class CFonerix;

// The "Номеронабиратель" tab: the keypad that mirrors the set's own.
class CPhoneBoardView : public QWidget {
    Q_OBJECT
  public:
    // The layout follows the set's family, chosen once: types 1 to 4 get the display and the six
    // shortcut buttons, every other type (no set included) the full keypad.
    CPhoneBoardView(CFonerix& device, int deviceType, QWidget* parent = nullptr);
    ~CPhoneBoardView() override;

    // The width the view needs without a horizontal scroll bar.
    int ScrollWidth() const;

    // The display shows the set's number buffer as it is now.
    void ShowDeviceBuffer();
    // The display shows `number` (the number of a call the set reported).
    void ShowNumber(const QString& number);
    QString DisplayText() const;

    // A key pressed on the set itself: for flash (13), microphone (31) and speaker (33) the
    // echo flag is set and a click of the matching button is posted, so that the button follows
    // the set without switching it a second time. Other codes post nothing.
    void MirrorDeviceKey(int keyCode);

    // The form in use: IDD_PHONE_BOARD (101) or IDD_PHONE_BOARD_SHORT (209).
    int DialogId() const;
    // The button of resource id `id`, or null when the form has none.
    CFlatButton* Button(int id) const;

  signals:
    // The tray stops ringing (speaker and flash); connect it queued, the request is posted.
    void stopRinging();
    // A shortcut button asks the main window for command `id` (32801 to 32806).
    void command(int id);

  private:
    void OnButton(int id);
    void RunMirroredCommand(int id);

    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace fonedesk
