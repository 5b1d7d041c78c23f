#include "client/shell/settings/SoundConfPage.h"

#include <QIcon>
#include <QLineEdit>
#include <QPushButton>

#include "client/device/Fonerix.h"
#include "client/device/SoundHandles.h"
#include "client/resources/resource.h"
#include "client/shell/FlatButton.h"
#include "client/shell/PlayerWindow.h"
#include "client/shell/Prompts.h"
#include "client/shell/WaitCursor.h"
#include "platform/profile/FonedeskProfile.h"
#include "ui_SoundConfPage.h"

namespace fonedesk {
namespace {

namespace profile = platform::fonedesk_profile;

constexpr char kEraseOldFailed[] = "Ошибка в процессе стирания старого сообщения!";
constexpr char kWriteFailed[] = "Ошибка в процессе записи!";
constexpr char kEraseFailed[] = "Ошибка в процессе стирания!";
constexpr char kWriteTitle[] = "Аудио-файл для записи в устройство...";
// "Windows Media Files (*.wav)|*.wav|All Files (*.*)|*.*||" in Qt's form.
constexpr char kWriteFilter[] = "Windows Media Files (*.wav);;All Files (*.*)";
constexpr char kFolderTitle[] = "Новая папка для звуковых сообщений";

// The images of bitmap 211 in their order, each with its tool tip.
enum ButtonImage { kRead, kWrite, kDelete, kPlay, kImages };
struct ImageOf {
    const char* resource;
    const char* tooltip;
};
constexpr ImageOf kButtonImages[kImages] = {
    {":/icons/sound-211-read.svg", "Считать звуковое сообщение из устройства..."},
    {":/icons/sound-211-write.svg", "Записать звуковой файл в устройство..."},
    {":/icons/sound-211-delete.svg", "Удалить текущее звуковое сообщение..."},
    {":/icons/sound-211-play.svg", "Воспроизвести считанное звуковое сообщение..."},
};

constexpr SpecialMessage kRows[] = {SpecialMessage::Greeting, SpecialMessage::Alarm};

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

platform::ProfileFile Profile() {
    return platform::ProfileFile(platform::ProfileFile::DefaultPath());
}

}  // namespace

struct CSoundConfPage::Impl {
    Impl(CSoundConfPage& owner, CFonerix& wrapper, const fonerix::DEVICEINFO& record)
        : page(owner), device(wrapper), info(record) {}

    CSoundConfPage& page;
    CFonerix& device;
    const fonerix::DEVICEINFO& info;  // the frame's, which outlives the sheet
    Ui::IDD_SOUND_CONF_PAGE ui;
    SpecialSoundHandles handles;
    CFlatButton* buttons[2][kImages] = {};

    short& HandleOf(SpecialMessage row) { return handles.table[static_cast<int>(row)]; }
    CFlatButton* Button(SpecialMessage row, ButtonImage image) {
        return buttons[static_cast<int>(row)][image];
    }

    // "VoiceDir" as it is now: the folder chooser may have changed it since the last refresh.
    static QString VoiceFolder() {
        return VoiceFolderOf(QString::fromStdString(
            Profile().GetString(profile::kVoiceOptions, profile::kVoiceDir)));
    }
    QString FileOf(SpecialMessage row) {
        return SpecialVoiceFile(VoiceFolder(), HandleOf(row), info.IdZelta);
    }

    // The whole table, entries 2 and 3 as they were read.
    bool WriteHandles() {
        return device.SetSoundHandles(handles.table, SpecialSoundHandles::kEntries);
    }

    void Warn(const char* text) { CPrompts::Message(&page, QMessageBox::Warning, Text(text)); }

    void Read(SpecialMessage row);
    void Write(SpecialMessage row);
    void Delete(SpecialMessage row);
    void Play(SpecialMessage row);
    void ShowFreeSpace();
    void ChooseFolder();
};

void CSoundConfPage::Impl::Read(SpecialMessage row) {
    const QString path = FileOf(row);
    {
        CWaitCursor wait;
        PrepareVoiceFolder(VoiceFolder());
        // Even without a message: the set answers that itself, and nothing is said of it.
        device.GetSoundMessage(HandleOf(row), path);
    }
    Button(row, kPlay)->setEnabled(VoiceFileReady(path));
}

void CSoundConfPage::Impl::Write(SpecialMessage row) {
    short& handle = HandleOf(row);
    if (handle != 0) {
        // The old message goes first and for good: a cancelled file choice does not bring it
        // back.
        bool erased = false;
        {
            CWaitCursor wait;
            if (device.DelSoundMessage(handle)) {
                handle = 0;
                // A set still naming the erased blocks would play the free chain as the message.
                erased = WriteHandles();
            }
        }
        if (!erased) {
            Warn(kEraseOldFailed);
            return;
        }
    }

    FileDialogRequest request;
    request.kind = FileDialogRequest::Open;
    request.title = Text(kWriteTitle);
    request.filter = Text(kWriteFilter);
    request.directory = VoiceDirForDialog(VoiceFolder());
    const QString file = CPrompts::FileName(&page, request);
    if (file.isEmpty()) {
        return;
    }

    bool stored = false;
    {
        CWaitCursor wait;
        short newHandle = 0;
        if (device.SetSoundMessage(&newHandle, file)) {
            handle = newHandle;
            // Stored but not named in the table, the message would be no greeting at all.
            stored = WriteHandles();
        }
    }
    if (!stored) {
        Warn(kWriteFailed);
    }
    // The buttons stay as they are until "Обновить" reads the table again.
}

void CSoundConfPage::Impl::Delete(SpecialMessage row) {
    short& handle = HandleOf(row);
    bool erased = false;
    {
        CWaitCursor wait;
        if (device.DelSoundMessage(handle)) {
            handle = 0;
            erased = WriteHandles();
        }
    }
    if (!erased) {
        Warn(kEraseFailed);
    }
    // The file in the folder stays: it is the copy the user read.
}

void CSoundConfPage::Impl::Play(SpecialMessage row) {
    // Nothing is read from the set; a file that went away is said in the player's window.
    CPlayerWindow::Open(FileOf(row));
}

void CSoundConfPage::Impl::ShowFreeSpace() {
    int seconds = 0;
    {
        CWaitCursor wait;
        seconds = device.GetFreeSoundSpace();
    }
    ui.IDC_SOUND_FREE_SPACE->setText(QString::number(seconds));
}

void CSoundConfPage::Impl::ChooseFolder() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Folder;
    request.title = Text(kFolderTitle);
    request.options = QFileDialog::ShowDirsOnly;
    request.directory = VoiceDirForDialog(VoiceFolder());
    // No owner, as the system's folder browser had none.
    const QString folder = CPrompts::FileName(nullptr, request);
    if (folder.isEmpty()) {
        return;
    }
    // The folder is taken as it is: one the user chose is never made by the program.
    const QString value = VoiceDirValue(folder);
    platform::ProfileFile ini = Profile();
    if (ini.WriteString(profile::kVoiceOptions, profile::kVoiceDir, value.toStdString())) {
        ui.IDC_SOUND_VOICE_DIR->setText(value);
    }
}

CSoundConfPage::CSoundConfPage(CFonerix& device, const fonerix::DEVICEINFO& info, QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>(*this, device, info)) {
    d->ui.setupUi(this);
    CFlatButton* const rows[2][kImages] = {
        {d->ui.IDC_SOUND_GREETING_READ, d->ui.IDC_SOUND_GREETING_WRITE,
         d->ui.IDC_SOUND_GREETING_DELETE, d->ui.IDC_SOUND_GREETING_PLAY},
        {d->ui.IDC_SOUND_ALARM_READ, d->ui.IDC_SOUND_ALARM_WRITE, d->ui.IDC_SOUND_ALARM_DELETE,
         d->ui.IDC_SOUND_ALARM_PLAY},
    };
    for (SpecialMessage row : kRows) {
        for (int image = 0; image < kImages; ++image) {
            CFlatButton* button = rows[static_cast<int>(row)][image];
            d->buttons[static_cast<int>(row)][image] = button;
            button->SetIcon(QIcon(QString::fromLatin1(kButtonImages[image].resource)),
                            QSize(16, 16));
            button->SetCursorById(IDC_HAND);
            button->SetTooltipText(Text(kButtonImages[image].tooltip));
        }
        connect(d->Button(row, kRead), &QPushButton::clicked, this, [this, row] { d->Read(row); });
        connect(d->Button(row, kWrite), &QPushButton::clicked, this,
                [this, row] { d->Write(row); });
        connect(d->Button(row, kDelete), &QPushButton::clicked, this,
                [this, row] { d->Delete(row); });
        connect(d->Button(row, kPlay), &QPushButton::clicked, this, [this, row] { d->Play(row); });
    }
    d->ui.IDC_SOUND_RECORD_TIME->SetLimits(0, 255);
    d->ui.IDC_SOUND_VOLUME->setRange(0, 8);

    connect(d->ui.IDC_SOUND_FREE_SPACE, &QPushButton::clicked, this,
            [this] { d->ShowFreeSpace(); });
    connect(d->ui.IDC_SOUND_CHOOSE_DIR, &QPushButton::clicked, this, [this] { d->ChooseFolder(); });
    connect(d->ui.IDC_SOUND_RECORD_TIME, &QSpinBox::valueChanged, this, [this](int value) {
        CWaitCursor wait;
        d->device.SetSndRecordTime(static_cast<short>(value));
    });
    connect(d->ui.IDC_SOUND_VOLUME, &CReleaseSlider::released, this, [this](int position) {
        CWaitCursor wait;
        d->device.SetSoundVolume(static_cast<short>(position));
    });
    setEnabled(info.inUse != 0);
}

CSoundConfPage::~CSoundConfPage() = default;

void CSoundConfPage::Refresh() {
    Ui::IDD_SOUND_CONF_PAGE& ui = d->ui;
    {
        CWaitCursor wait;
        ui.IDC_SOUND_VOLUME->setRange(0, 8);
        ui.IDC_SOUND_VOLUME->setValue(d->device.GetSoundVolume());
        ui.IDC_SOUND_VOLUME->update();
        ui.IDC_SOUND_RECORD_TIME->SetLimits(0, 255);
        ui.IDC_SOUND_RECORD_TIME->ShowValue(d->device.GetSndRecordTime());
        // A failed read leaves no stale message behind: the specials are cleared first.
        SpecialSoundHandles& handles = d->handles;
        handles.table[static_cast<int>(SpecialMessage::Greeting)] = 0;
        handles.table[static_cast<int>(SpecialMessage::Alarm)] = 0;
        handles.count = d->device.GetSoundHandles(handles.table, SpecialSoundHandles::kEntries);
    }
    for (SpecialMessage row : kRows) {
        const SpecialMessageButtons enabled = SpecialButtons(d->handles, row);
        d->Button(row, kRead)->setEnabled(enabled.read);
        d->Button(row, kDelete)->setEnabled(enabled.remove);
        d->Button(row, kWrite)->setEnabled(enabled.write);
    }
    ui.IDC_SOUND_VOICE_DIR->setText(Impl::VoiceFolder());
    for (SpecialMessage row : kRows) {
        d->Button(row, kPlay)->setEnabled(VoiceFileReady(d->FileOf(row)));
    }
}

}  // namespace fonedesk
