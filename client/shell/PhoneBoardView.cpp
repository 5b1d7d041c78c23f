#include "client/shell/PhoneBoardView.h"

#include <QFont>
#include <QHash>
#include <QLineEdit>
#include <QPalette>
#include <QScrollArea>
#include <QVBoxLayout>

#include "client/device/Fonerix.h"
#include "client/device/Keypad.h"
#include "client/resources/resource.h"
#include "client/shell/ColorStatic.h"
#include "client/shell/FlatButton.h"
#include "ui_PhoneBoard.h"
#include "ui_PhoneBoardShort.h"

namespace fonedesk {
namespace {

const QColor kWhite(0xFF, 0xFF, 0xFF);

struct Control {
    int id;
    const char* name;  // the object name in the forms
};

#define FONEDESK_CONTROL(id) \
    { id, #id }

// Every button either form may hold, with the bitmap it shows: the dark round key of flash also
// serves pause and redial.
struct ButtonControl {
    Control control;
    int bitmap;
};
const ButtonControl kButtons[] = {
    {FONEDESK_CONTROL(IDC_KEY_1), IDC_KEY_1},
    {FONEDESK_CONTROL(IDC_KEY_2), IDC_KEY_2},
    {FONEDESK_CONTROL(IDC_KEY_3), IDC_KEY_3},
    {FONEDESK_CONTROL(IDC_KEY_4), IDC_KEY_4},
    {FONEDESK_CONTROL(IDC_KEY_5), IDC_KEY_5},
    {FONEDESK_CONTROL(IDC_KEY_6), IDC_KEY_6},
    {FONEDESK_CONTROL(IDC_KEY_7), IDC_KEY_7},
    {FONEDESK_CONTROL(IDC_KEY_8), IDC_KEY_8},
    {FONEDESK_CONTROL(IDC_KEY_9), IDC_KEY_9},
    {FONEDESK_CONTROL(IDC_KEY_STAR), IDC_KEY_STAR},
    {FONEDESK_CONTROL(IDC_KEY_0), IDC_KEY_0},
    {FONEDESK_CONTROL(IDC_KEY_HASH), IDC_KEY_HASH},
    {FONEDESK_CONTROL(IDC_KEY_FLASH), IDC_KEY_FLASH},
    {FONEDESK_CONTROL(IDC_KEY_PAUSE), IDC_KEY_FLASH},
    {FONEDESK_CONTROL(IDC_KEY_REDIAL), IDC_KEY_FLASH},
    {FONEDESK_CONTROL(IDC_KEY_SPEAKER), IDC_KEY_SPEAKER},
    {FONEDESK_CONTROL(IDC_KEY_MICROPHONE), IDC_KEY_MICROPHONE},
    {FONEDESK_CONTROL(IDC_KEY_HOLD), IDC_KEY_HOLD},
    {FONEDESK_CONTROL(IDC_KEY_CANCEL), IDC_KEY_CANCEL},
    {FONEDESK_CONTROL(IDC_SHORTCUT_SETTINGS), IDC_SHORTCUT_SETTINGS},
    {FONEDESK_CONTROL(IDC_SHORTCUT_INCOMING), IDC_SHORTCUT_INCOMING},
    {FONEDESK_CONTROL(IDC_SHORTCUT_OUTGOING), IDC_SHORTCUT_OUTGOING},
    {FONEDESK_CONTROL(IDC_SHORTCUT_PHONEBOOK), IDC_SHORTCUT_PHONEBOOK},
    {FONEDESK_CONTROL(IDC_SHORTCUT_READ_PHONEBOOK), IDC_SHORTCUT_READ_PHONEBOOK},
    {FONEDESK_CONTROL(IDC_SHORTCUT_READ_DEVICE), IDC_SHORTCUT_READ_DEVICE},
};

const Control kLabels[] = {
    FONEDESK_CONTROL(IDC_LABEL_FLASH),
    FONEDESK_CONTROL(IDC_LABEL_PAUSE),
    FONEDESK_CONTROL(IDC_LABEL_REDIAL),
    FONEDESK_CONTROL(IDC_LABEL_SPEAKER),
};

#undef FONEDESK_CONTROL

bool IsShortcut(int id) {
    return id >= IDC_SHORTCUT_SETTINGS && id <= IDC_SHORTCUT_READ_DEVICE;
}

// Shortcut 173 sends command 32801, and so on up to 178 and 32806.
int CommandOfShortcut(int id) {
    return ID_DEVICE_SETTINGS + (id - IDC_SHORTCUT_SETTINGS);
}

void PaintWhite(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, kWhite);
    palette.setColor(QPalette::Base, kWhite);
    palette.setColor(QPalette::Button, kWhite);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

}  // namespace

struct CPhoneBoardView::Impl {
    explicit Impl(IKeypadDevice& device) : keypad(device) {}

    CKeypad keypad;
    int dialogId = IDD_PHONE_BOARD;
    QWidget* form = nullptr;
    QLineEdit* display = nullptr;
    QHash<int, CFlatButton*> buttons;
};

CPhoneBoardView::CPhoneBoardView(CFonerix& device, int deviceType, QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>(device)) {
    setObjectName(QStringLiteral("CPhoneBoardView"));
    PaintWhite(this);

    // A form view: the form keeps its size and scrolls when the pane is smaller.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    PaintWhite(scroll->viewport());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    d->form = new QWidget;
    // The second family's sets have no keypad to mirror: only the display and the shortcuts.
    if (deviceType >= 1 && deviceType <= 4) {
        d->dialogId = IDD_PHONE_BOARD_SHORT;
        Ui::IDD_PHONE_BOARD_SHORT().setupUi(d->form);
    } else {
        d->dialogId = IDD_PHONE_BOARD;
        Ui::IDD_PHONE_BOARD().setupUi(d->form);
    }
    PaintWhite(d->form);

    for (const ButtonControl& entry : kButtons) {
        auto* button = d->form->findChild<CFlatButton*>(QLatin1String(entry.control.name));
        if (button == nullptr) {
            continue;
        }
        const int id = entry.control.id;
        button->setFlat(true);
        button->SetColor(CFlatButton::BackgroundIn, kWhite, false);
        button->SetColor(CFlatButton::BackgroundOut, kWhite, false);
        button->SetCursorById(IDC_HAND);
        button->SetBitmap(QStringLiteral(":/icons/key-%1.svg").arg(entry.bitmap));
        if (IsShortcut(id)) {
            button->SetTooltipText(CommandOfShortcut(id));
        }
        connect(button, &QAbstractButton::clicked, this, [this, id] { OnButton(id); });
        d->buttons.insert(id, button);
    }
    for (const Control& entry : kLabels) {
        if (auto* label = d->form->findChild<CColorStatic*>(QLatin1String(entry.name))) {
            label->SetBkColor(kWhite);
        }
    }

    d->display = d->form->findChild<QLineEdit*>(QStringLiteral("IDC_KEYPAD_DISPLAY"));
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(19);
    font.setBold(true);
    d->display->setFont(font);
    ShowDeviceBuffer();

    // As a dialog template: the form keeps its size, and the pane scrolls over it.
    d->form->setMinimumSize(d->form->sizeHint());
    scroll->setWidget(d->form);
}

CPhoneBoardView::~CPhoneBoardView() = default;

int CPhoneBoardView::ScrollWidth() const {
    return d->form->sizeHint().width();
}

void CPhoneBoardView::ShowDeviceBuffer() {
    d->display->setText(d->keypad.DeviceBuffer());
}

void CPhoneBoardView::ShowNumber(const QString& number) {
    d->display->setText(number);
}

QString CPhoneBoardView::DisplayText() const {
    return d->display->text();
}

int CPhoneBoardView::DialogId() const {
    return d->dialogId;
}

CFlatButton* CPhoneBoardView::Button(int id) const {
    return d->buttons.value(id);
}

void CPhoneBoardView::MirrorDeviceKey(int keyCode) {
    const int id = CKeypad::MirrorButtonOf(keyCode);
    if (id == 0) {
        return;
    }
    d->keypad.SetEcho();
    // Posted: it runs once the set's event handler has returned.
    QMetaObject::invokeMethod(
        this, [this, id] { RunMirroredCommand(id); }, Qt::QueuedConnection);
}

void CPhoneBoardView::RunMirroredCommand(int id) {
    // Every mirrored command is an echo of its own: two keys from the set in a row would
    // otherwise leave the second command without the flag, and it would switch the register the
    // set had already switched.
    d->keypad.SetEcho();
    if (CFlatButton* button = d->buttons.value(id)) {
        button->click();  // a toggle follows the set's key too
    } else {
        OnButton(id);  // the short form has the command without the button
    }
}

void CPhoneBoardView::OnButton(int id) {
    if (CKeypad::KeyButtonOf(id)) {
        if (const std::optional<QString> shown = d->keypad.PressKeyButton(id)) {
            d->display->setText(*shown);
        }
        return;
    }
    switch (id) {
        case IDC_KEY_MICROPHONE:
            d->keypad.ToggleMicrophone();
            break;
        case IDC_KEY_SPEAKER:
            d->keypad.ToggleSpeaker();
            emit stopRinging();
            break;
        case IDC_KEY_FLASH:
            d->keypad.Flash();
            emit stopRinging();
            break;
        case IDC_KEY_REDIAL:
            d->keypad.Redial(d->display->text());
            break;
        default:
            if (IsShortcut(id)) {
                emit command(CommandOfShortcut(id));
            }
            break;
    }
}

}  // namespace fonedesk
