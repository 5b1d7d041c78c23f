#include "client/shell/settings/SpecialConfPage.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>
#include <utility>

#include "client/device/Fonerix.h"
#include "client/device/SpecialSettings.h"
#include "client/shell/WaitCursor.h"
#include "ui_SpecialConfPage.h"
#include "ui_SpecialModeConfPage.h"

namespace fonedesk {

using special_settings::DeviceModeChoice;

namespace {

bool IsSecondFamily(int deviceType) {
    return deviceType >= 1 && deviceType <= 4;
}

// The last type whose set can be switched to redirection from here.
constexpr int kLastTypeWithRedirectionMode = 6;

constexpr std::size_t kConfigBoxes =
    special_settings::kLastConfigBit - special_settings::kFirstConfigBit + 1;

// The seven boxes of either form, in bit order.
template <class Form>
std::array<QCheckBox*, kConfigBoxes> ConfigBoxes(Form& ui) {
    return {ui.IDC_SPECIAL_CONFIG_BIT1, ui.IDC_SPECIAL_CONFIG_BIT2, ui.IDC_SPECIAL_CONFIG_BIT3,
            ui.IDC_SPECIAL_CONFIG_BIT4, ui.IDC_SPECIAL_CONFIG_BIT5, ui.IDC_SPECIAL_CONFIG_BIT6,
            ui.IDC_SPECIAL_CONFIG_BIT7};
}

}  // namespace

struct CSpecialConfPage::Impl {
    Impl(CFonerix& fonerix, int type) : device(fonerix), deviceType(type) {}

    void RefreshConfig();
    void OnConfigClicked(int bit, bool checked);
    void RefreshMode();
    void OnModeClicked(DeviceModeChoice choice);
    void RefreshAutoDialList();
    void OnAutoDialSelected();
    void OnAutoDialAdd();
    void OnAutoDialDelete();
    void WriteAutoDialList();
    void WriteRedirectionNumber();

    CFonerix& device;
    int deviceType;
    // One of the two forms, by the set's family.
    std::unique_ptr<Ui::IDD_SPECIAL_CONF> configForm;
    std::unique_ptr<Ui::IDD_SPECIAL_MODE_CONF> modeForm;
    std::array<QCheckBox*, kConfigBoxes> configBoxes{};
    std::array<std::pair<QRadioButton*, DeviceModeChoice>, 4> modeButtons{};
    // Set while the page itself changes the auto-dial list, whose selection then copies nothing.
    bool fillingList = false;
};

void CSpecialConfPage::Impl::RefreshConfig() {
    const int value = device.GetConfigRegister();
    for (std::size_t i = 0; i < configBoxes.size(); ++i) {
        const int bit = special_settings::kFirstConfigBit + static_cast<int>(i);
        configBoxes[i]->setChecked(special_settings::ConfigBitShown(value, bit));
    }
}

void CSpecialConfPage::Impl::OnConfigClicked(int bit, bool checked) {
    CWaitCursor wait;
    // Read again: the set's own menu may have changed the other bits since the page was shown.
    const int now = device.GetConfigRegister();
    device.SetConfigRegister(
        static_cast<short>(special_settings::ConfigAfterClick(now, bit, checked)));
}

void CSpecialConfPage::Impl::RefreshMode() {
    const DeviceModeChoice shown = special_settings::DeviceModeShown(device.GetDeviceMode());
    for (const auto& [button, choice] : modeButtons) {
        if (choice == shown) {
            button->setChecked(true);
        }
    }
}

void CSpecialConfPage::Impl::OnModeClicked(DeviceModeChoice choice) {
    CWaitCursor wait;
    const int now = device.GetDeviceMode();
    device.SetDeviceMode(static_cast<short>(special_settings::DeviceModeAfterChoice(now, choice)));
}

void CSpecialConfPage::Impl::RefreshAutoDialList() {
    const QString text = device.GetAutoDialList(special_settings::kAutoDialDelimiter);
    fillingList = true;
    modeForm->IDC_SPECIAL_AUTODIAL_LIST->clear();
    modeForm->IDC_SPECIAL_AUTODIAL_LIST->addItems(special_settings::SplitAutoDialList(text));
    fillingList = false;
}

void CSpecialConfPage::Impl::OnAutoDialSelected() {
    if (fillingList) {
        return;
    }
    const QList<QListWidgetItem*> selected = modeForm->IDC_SPECIAL_AUTODIAL_LIST->selectedItems();
    if (!selected.isEmpty()) {
        modeForm->IDC_SPECIAL_AUTODIAL_NUMBER->setText(selected.first()->text());
    }
}

void CSpecialConfPage::Impl::OnAutoDialAdd() {
    QListWidget* list = modeForm->IDC_SPECIAL_AUTODIAL_LIST;
    if (special_settings::CanAddAutoDialEntry(list->count())) {
        fillingList = true;
        list->addItem(modeForm->IDC_SPECIAL_AUTODIAL_NUMBER->text());
        fillingList = false;
    }
    WriteAutoDialList();
}

void CSpecialConfPage::Impl::OnAutoDialDelete() {
    QListWidget* list = modeForm->IDC_SPECIAL_AUTODIAL_LIST;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (!selected.isEmpty()) {
        fillingList = true;
        delete list->takeItem(list->row(selected.first()));
        // Nothing is selected afterwards, so a second ">>" does not take the neighbour.
        list->setCurrentRow(-1);
        list->clearSelection();
        fillingList = false;
    }
    WriteAutoDialList();
}

void CSpecialConfPage::Impl::WriteAutoDialList() {
    QListWidget* list = modeForm->IDC_SPECIAL_AUTODIAL_LIST;
    QStringList entries;
    for (int row = 0; row < list->count(); ++row) {
        entries << list->item(row)->text();
    }
    CWaitCursor wait;
    device.SetAutoDialList(special_settings::JoinAutoDialList(entries),
                           special_settings::kAutoDialDelimiter);
}

void CSpecialConfPage::Impl::WriteRedirectionNumber() {
    CWaitCursor wait;
    device.SetRedirectionNumber(modeForm->IDC_SPECIAL_REDIRECTION_NUMBER->text());
}

CSpecialConfPage::CSpecialConfPage(CFonerix& device, const fonerix::DEVICEINFO& info,
                                   QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>(device, static_cast<int>(info.devType))) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new QWidget(this);
    layout->addWidget(form);

    if (IsSecondFamily(d->deviceType)) {
        d->configForm = std::make_unique<Ui::IDD_SPECIAL_CONF>();
        d->configForm->setupUi(form);
        d->configBoxes = ConfigBoxes(*d->configForm);
    } else {
        d->modeForm = std::make_unique<Ui::IDD_SPECIAL_MODE_CONF>();
        Ui::IDD_SPECIAL_MODE_CONF& ui = *d->modeForm;
        ui.setupUi(form);
        d->configBoxes = ConfigBoxes(ui);
        d->modeButtons = {{{ui.IDC_SPECIAL_MODE_NORMAL, DeviceModeChoice::Normal},
                           {ui.IDC_SPECIAL_MODE_REDIRECTION, DeviceModeChoice::Redirection},
                           {ui.IDC_SPECIAL_MODE_ANSWERING, DeviceModeChoice::AnsweringMachine},
                           {ui.IDC_SPECIAL_MODE_RECORDER, DeviceModeChoice::Recorder}}};
        ui.IDC_SPECIAL_MODE_REDIRECTION->setEnabled(d->deviceType <= kLastTypeWithRedirectionMode);
        for (const auto& [button, choice] : d->modeButtons) {
            connect(button, &QRadioButton::clicked, this,
                    [this, choice = choice] { d->OnModeClicked(choice); });
        }
        ui.IDC_SPECIAL_REDIRECTION_NUMBER->installEventFilter(this);
        connect(ui.IDC_SPECIAL_AUTODIAL_LIST, &QListWidget::itemSelectionChanged, this,
                [this] { d->OnAutoDialSelected(); });
        connect(ui.IDC_SPECIAL_AUTODIAL_ADD, &QPushButton::clicked, this,
                [this] { d->OnAutoDialAdd(); });
        connect(ui.IDC_SPECIAL_AUTODIAL_DELETE, &QPushButton::clicked, this,
                [this] { d->OnAutoDialDelete(); });
    }
    for (std::size_t i = 0; i < d->configBoxes.size(); ++i) {
        const int bit = special_settings::kFirstConfigBit + static_cast<int>(i);
        connect(d->configBoxes[i], &QCheckBox::clicked, this,
                [this, bit](bool checked) { d->OnConfigClicked(bit, checked); });
    }
}

CSpecialConfPage::~CSpecialConfPage() {
    // The field may still have the focus; its focus-out comes after the page is gone.
    if (d->modeForm) {
        d->modeForm->IDC_SPECIAL_REDIRECTION_NUMBER->removeEventFilter(this);
    }
}

void CSpecialConfPage::Refresh() {
    CWaitCursor wait;
    d->RefreshConfig();
    if (d->modeForm) {
        d->RefreshMode();
        d->modeForm->IDC_SPECIAL_REDIRECTION_NUMBER->setText(d->device.GetRedirectionNumber());
        d->RefreshAutoDialList();
    }
}

bool CSpecialConfPage::eventFilter(QObject* watched, QEvent* event) {
    if (d->modeForm && watched == d->modeForm->IDC_SPECIAL_REDIRECTION_NUMBER &&
        event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        // A context menu of the field takes the focus only for a moment.
        d->WriteRedirectionNumber();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace fonedesk
