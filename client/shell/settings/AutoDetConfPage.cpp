#include "client/shell/settings/AutoDetConfPage.h"

#include <QSignalBlocker>

#include "client/device/Fonerix.h"
#include "client/device/SettingsFormat.h"
#include "client/shell/WaitCursor.h"
#include "ui_AutoDetConfPage.h"

namespace fonedesk {

struct CAutoDetConfPage::Impl {
    Impl(CFonerix& set, int type) : device(set), deviceType(type) {}

    void Show(const fonerix::AUTODETPARAMS& params);
    void Store(fonerix::AUTODETPARAMS& params) const;
    fonerix::AUTODETPARAMS& Selected() {
        return ui.IDC_AUTODET_PARALLEL->isChecked() ? parallel : current;
    }

    CFonerix& device;
    int deviceType;
    Ui::IDD_AUTODET_CONF_PAGE ui;
    std::array<QCheckBox*, 4> waveforms{};
    // The line input's and the parallel telephone's parameters; one of them is on screen.
    fonerix::AUTODETPARAMS current{};
    fonerix::AUTODETPARAMS parallel{};
    // Set by the arrows only: losing the focus alone writes nothing.
    bool callupChanged = false;
    bool lineFreeChanged = false;
};

void CAutoDetConfPage::Impl::Show(const fonerix::AUTODETPARAMS& params) {
    ui.IDC_AUTODET_QUERY_TIME->ShowValue(params.queryTime);
    ui.IDC_AUTODET_QUERY_COUNT->ShowValue(QueryCount(params.queryForm));
    ui.IDC_AUTODET_FIRST_DELAY->ShowValue(params.firstDelay);
    ui.IDC_AUTODET_MIN_DIGITS->ShowValue(params.minDigits);
    ui.IDC_AUTODET_RESOLUTION_TIME->ShowValue(params.resolTime);
    for (std::size_t box = 0; box < waveforms.size(); ++box) {
        waveforms[box]->setChecked(QueryWaveform(params.queryForm, static_cast<int>(box)));
    }
}

void CAutoDetConfPage::Impl::Store(fonerix::AUTODETPARAMS& params) const {
    std::array<bool, 4> flags{};
    for (std::size_t box = 0; box < waveforms.size(); ++box) {
        flags[box] = waveforms[box]->isChecked();
    }
    params.queryTime = static_cast<uint16_t>(ui.IDC_AUTODET_QUERY_TIME->value());
    params.queryForm = QueryForm(ui.IDC_AUTODET_QUERY_COUNT->value(), flags);
    params.firstDelay = static_cast<uint16_t>(ui.IDC_AUTODET_FIRST_DELAY->value());
    params.minDigits = static_cast<uint8_t>(ui.IDC_AUTODET_MIN_DIGITS->value());
    params.resolTime = static_cast<uint16_t>(ui.IDC_AUTODET_RESOLUTION_TIME->value());
}

CAutoDetConfPage::CAutoDetConfPage(CFonerix& device, const fonerix::DEVICEINFO& info,
                                   QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>(device, static_cast<int>(info.devType))) {
    Ui::IDD_AUTODET_CONF_PAGE& ui = d->ui;
    ui.setupUi(this);
    ui.IDC_AUTODET_QUERY_TIME->SetLimits(10, 250);
    ui.IDC_AUTODET_QUERY_COUNT->SetLimits(1, 4);
    ui.IDC_AUTODET_FIRST_DELAY->SetLimits(10, 990);
    ui.IDC_AUTODET_MIN_DIGITS->SetLimits(0, 5);
    ui.IDC_AUTODET_RESOLUTION_TIME->SetLimits(10, 990);
    ui.IDC_AUTODET_SKIP_BELLS->SetLimits(0, 9);
    ui.IDC_AUTODET_UT_CALLUP->SetLimits(70, 150);
    ui.IDC_AUTODET_UT_LINE_FREE->SetLimits(1, 50);
    d->waveforms = {ui.IDC_AUTODET_WAVEFORM_1, ui.IDC_AUTODET_WAVEFORM_2, ui.IDC_AUTODET_WAVEFORM_3,
                    ui.IDC_AUTODET_WAVEFORM_4};

    Impl* p = d.get();
    connect(ui.IDC_AUTODET_PARALLEL, &QCheckBox::clicked, this, [p](bool parallelShown) {
        // What is on screen belongs to the record that was shown until this click.
        if (parallelShown) {
            p->Store(p->current);
            p->Show(p->parallel);
        } else {
            p->Store(p->parallel);
            p->Show(p->current);
        }
    });
    connect(ui.IDC_AUTODET_RESTORE, &QPushButton::clicked, this, [p] {
        p->current = DefaultCurrentParams();
        p->parallel = DefaultParallelParams();
        p->Show(p->Selected());
    });
    connect(ui.IDC_AUTODET_SAVE, &QPushButton::clicked, this, [p] {
        p->Store(p->Selected());
        CWaitCursor wait;
        p->device.SetAutodetParams(&p->current, &p->parallel);
    });

    connect(ui.IDC_AUTODET_SKIP_BELLS, &QSpinBox::valueChanged, this, [p](int value) {
        CWaitCursor wait;
        p->device.SetSkipBells(static_cast<short>(value));
    });
    connect(ui.IDC_AUTODET_UT_CALLUP, &QSpinBox::valueChanged, this,
            [p] { p->callupChanged = true; });
    connect(ui.IDC_AUTODET_UT_CALLUP, &QAbstractSpinBox::editingFinished, this, [p] {
        if (p->callupChanged) {
            p->callupChanged = false;
            CWaitCursor wait;
            p->device.SetUtCallup(static_cast<short>(p->ui.IDC_AUTODET_UT_CALLUP->value()));
        }
    });
    connect(ui.IDC_AUTODET_UT_LINE_FREE, &QSpinBox::valueChanged, this,
            [p] { p->lineFreeChanged = true; });
    connect(ui.IDC_AUTODET_UT_LINE_FREE, &QAbstractSpinBox::editingFinished, this, [p] {
        if (p->lineFreeChanged) {
            p->lineFreeChanged = false;
            CWaitCursor wait;
            p->device.SetUtLineFree(static_cast<short>(p->ui.IDC_AUTODET_UT_LINE_FREE->value()));
        }
    });
}

CAutoDetConfPage::~CAutoDetConfPage() {
    // The fields are deleted after the page's own part; one that loses the focus then must not
    // reach for it.
    for (QObject* child : findChildren<QObject*>()) {
        QObject::disconnect(child, nullptr, this, nullptr);
    }
}

void CAutoDetConfPage::Refresh() {
    CWaitCursor wait;
    Ui::IDD_AUTODET_CONF_PAGE& ui = d->ui;
    // The line input's record is shown after a reading; the box says so, so that the next
    // switch files the values on screen under the record they came from.
    ui.IDC_AUTODET_PARALLEL->setChecked(false);
    ui.IDC_AUTODET_PARALLEL->setEnabled(d->deviceType >= 5);
    d->device.GetAutodetParams(&d->current, &d->parallel);
    d->Show(d->current);
    ui.IDC_AUTODET_SKIP_BELLS->ShowValue(d->device.GetSkipBells());
    ui.IDC_AUTODET_UT_CALLUP->ShowValue(d->device.GetUtCallup());
    d->callupChanged = false;
    ui.IDC_AUTODET_UT_LINE_FREE->ShowValue(d->device.GetUtLineFree());
    d->lineFreeChanged = false;
}

}  // namespace fonedesk
