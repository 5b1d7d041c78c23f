#include "client/shell/settings/ProgramConfPage.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <string>
#include <string_view>
#include <vector>

#include "client/resources/resource.h"
#include "client/shell/MainFrame.h"
#include "client/shell/Prompts.h"
#include "platform/profile/FonedeskProfile.h"
#include "platform/profile/ProfileFile.h"
#include "ui_ProgramConfPage.h"

namespace fonedesk {

namespace profile = platform::fonedesk_profile;

namespace {

platform::ProfileFile Profile() {
    return platform::ProfileFile(platform::ProfileFile::DefaultPath());
}

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

struct OptionBox {
    QCheckBox* box;
    std::string_view key;
    int defaultValue;
};

}  // namespace

struct CProgramConfPage::Impl {
    void WriteReferences();
    void OnAddReference(QWidget* parent);
    void OnDeleteReference();

    Ui::IDD_PROGRAM_CONF ui;
    std::vector<OptionBox> boxes;
};

void CProgramConfPage::Impl::WriteReferences() {
    std::vector<std::string> paths;
    for (int row = 0; row < ui.IDC_PROGRAM_REFERENCES->count(); ++row) {
        paths.push_back(ui.IDC_PROGRAM_REFERENCES->item(row)->text().toStdString());
    }
    // Also clears the key just past the list after an add: a key left there from before a gap
    // would otherwise join the list the next time it is read.
    platform::ProfileFile ini = Profile();
    profile::WritePhoneReferences(ini, paths);
}

void CProgramConfPage::Impl::OnAddReference(QWidget* parent) {
    // The same kinds of file as the phone-book import.
    FileDialogRequest request = CMainFrame::PhoneBookFileRequest(ID_IMPORT_PHONEBOOK);
    request.title = QStringLiteral("Выберите файл справочника");
    const QString path = CPrompts::FileName(parent, request);
    if (path.isEmpty()) {
        return;
    }
    ui.IDC_PROGRAM_REFERENCES->addItem(path);
    WriteReferences();
}

void CProgramConfPage::Impl::OnDeleteReference() {
    QListWidget* list = ui.IDC_PROGRAM_REFERENCES;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (!selected.isEmpty()) {
        delete list->takeItem(list->row(selected.first()));
        list->setCurrentRow(-1);
        list->clearSelection();
    }
    WriteReferences();
}

CProgramConfPage::CProgramConfPage(QWidget* parent) : QWidget(parent), d(std::make_unique<Impl>()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new QWidget(this);
    layout->addWidget(form);
    Ui::IDD_PROGRAM_CONF& ui = d->ui;
    ui.setupUi(form);

    d->boxes = {
        {ui.IDC_PROGRAM_AUTO_DATA, profile::kAutoData, profile::kAutoDataDefault},
        {ui.IDC_PROGRAM_AUTO_TIME, profile::kAutoTime, profile::kAutoTimeDefault},
        {ui.IDC_PROGRAM_ONCALL_POPUP, profile::kOncallPopup, profile::kOncallPopupDefault},
        {ui.IDC_PROGRAM_DESKTOP_NOTIFY, profile::kDesktopNotify, profile::kDesktopNotifyDefault},
    };
    for (const OptionBox& option : d->boxes) {
        connect(option.box, &QCheckBox::clicked, this, [key = option.key](bool checked) {
            Profile().WriteInt(profile::kProgramOptions, key, checked ? 1 : 0);
        });
    }

    // Readers split on the value's first byte, and the reference and phone-book files are in
    // Windows-1251 while the profile is UTF-8: only a one-byte character splits them as shown.
    ui.IDC_PROGRAM_FIELD_DELIMITER->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x20-\\x7E]?")), ui.IDC_PROGRAM_FIELD_DELIMITER));
    connect(ui.IDC_PROGRAM_FIELD_DELIMITER, &QLineEdit::textEdited, this, [](const QString& text) {
        Profile().WriteString(profile::kProgramOptions, profile::kFieldDelimiter,
                              text.toStdString());
    });

    connect(ui.IDC_PROGRAM_REFERENCE_ADD, &QPushButton::clicked, this,
            [this] { d->OnAddReference(this); });
    connect(ui.IDC_PROGRAM_REFERENCE_DELETE, &QPushButton::clicked, this,
            [this] { d->OnDeleteReference(); });
}

CProgramConfPage::~CProgramConfPage() = default;

void CProgramConfPage::Refresh() {
    const platform::ProfileFile ini = Profile();
    for (const OptionBox& option : d->boxes) {
        option.box->setChecked(
            ini.GetInt(profile::kProgramOptions, option.key, option.defaultValue) != 0);
    }
    d->ui.IDC_PROGRAM_FIELD_DELIMITER->setText(FromUtf8(ini.GetString(
        profile::kProgramOptions, profile::kFieldDelimiter, profile::kFieldDelimiterDefault)));
    QListWidget* list = d->ui.IDC_PROGRAM_REFERENCES;
    list->clear();
    for (const std::string& path : profile::PhoneReferences(ini)) {
        list->addItem(FromUtf8(path));
    }
}

}  // namespace fonedesk
