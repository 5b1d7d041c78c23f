// The settings sheet: its pages by the set's family, "Обновить" that reads again and never closes,
// Cancel that does, and the device pages disabled without a set.
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "client/device/Fonerix.h"
#include "client/resources/resource.h"
#include "client/shell/DataGridView.h"
#include "client/shell/FonedeskApp.h"
#include "client/shell/MainFrame.h"
#include "client/shell/settings/ArrowSpinBox.h"
#include "client/shell/settings/ReleaseSlider.h"
#include "client/shell/settings/SettingsPage.h"
#include "client/shell/settings/SettingsSheet.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

using fonedesk::CSettingsSheet;
using fonedesk::test::CClientTestEnvironment;

namespace {

QStringList TabTexts(const QTabWidget& tabs) {
    QStringList texts;
    for (int i = 0; i < tabs.count(); ++i) {
        texts << tabs.tabText(i);
    }
    return texts;
}

fonerix::DEVICEINFO Device(int type, bool inUse) {
    fonerix::DEVICEINFO info{};
    info.devType = static_cast<decltype(info.devType)>(type);
    info.inUse = inUse ? 1 : 0;
    return info;
}

}  // namespace

class SettingsSheetTest : public QObject {
    Q_OBJECT
  private slots:
    void pagesFollowTheFamily_data();
    void pagesFollowTheFamily();
    void refreshNeverClosesAndCancelDoes();
    void withoutASetOnlyTheProgramPageIsUsable();
    void theFramesCommandOpensTheSheet();
    void numericFieldsChangeOnlyWithTheirArrows();
    void slidersReportOnlyTheMouseRelease();
};

void SettingsSheetTest::pagesFollowTheFamily_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("soundPage");
    for (int type : {1, 2, 4}) {
        QTest::addRow("type %d", type) << type << false;
    }
    for (int type : {0, 5, 6, 7, 8}) {
        QTest::addRow("type %d", type) << type << true;
    }
}

void SettingsSheetTest::pagesFollowTheFamily() {
    QFETCH(int, type);
    QFETCH(bool, soundPage);
    fonedesk::CFonerix wrapper;
    const fonerix::DEVICEINFO info = Device(type, type != 0);
    CSettingsSheet sheet(wrapper, info);
    QStringList expected{"Общие", "Стандартные", "АОН", "Специальные"};
    if (soundPage) {
        expected << "Работа со звуком";
    }
    expected << "Программные";
    QCOMPARE(TabTexts(*sheet.Tabs()), expected);
    QCOMPARE(CSettingsSheet::PageTitles(type), expected);
    QCOMPARE(sheet.windowTitle(), QStringLiteral("Настройка параметров..."));
    // Each page names itself as its tab does, and only the first is made before it is shown.
    QVERIFY(sheet.Tabs()->widget(1)->findChildren<QWidget*>().isEmpty());
    for (int i = 0; i < expected.size(); ++i) {
        auto* page = dynamic_cast<fonedesk::ISettingsPage*>(sheet.Page(i));
        QVERIFY(page != nullptr);
        QCOMPARE(page->Title(), expected.at(i));
    }
    QVERIFY(sheet.Page(expected.size()) == nullptr);
}

void SettingsSheetTest::refreshNeverClosesAndCancelDoes() {
    fonedesk::CFonerix wrapper;
    const fonerix::DEVICEINFO info = Device(5, true);
    CSettingsSheet sheet(wrapper, info);
    QCOMPARE(sheet.RefreshButton()->text(), QStringLiteral("Обновить"));
    // No Apply button: only "Обновить" and Cancel.
    auto* box = sheet.findChild<QDialogButtonBox*>();
    QVERIFY(box != nullptr);
    QStringList buttons;
    for (QAbstractButton* button : box->buttons()) {
        buttons << button->text();
    }
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"Обновить", "Отмена"}));
    bool refreshedOpen = false;
    QTimer::singleShot(0, &sheet, [&] {
        sheet.RefreshButton()->click();
        refreshedOpen = sheet.isVisible();
        sheet.findChild<QPushButton*>(QStringLiteral("IDCANCEL"))->click();
    });
    QCOMPARE(sheet.exec(), int(QDialog::Rejected));
    QVERIFY(refreshedOpen);
    QVERIFY(!sheet.isVisible());
}

void SettingsSheetTest::withoutASetOnlyTheProgramPageIsUsable() {
    fonedesk::CFonerix wrapper;
    const fonerix::DEVICEINFO info = Device(0, false);
    CSettingsSheet sheet(wrapper, info);
    const int pages = sheet.Tabs()->count();
    for (int i = 0; i < pages; ++i) {
        const bool programPage = i == pages - 1;
        QCOMPARE(sheet.Page(i)->isEnabled(), programPage);
    }
}

void SettingsSheetTest::theFramesCommandOpensTheSheet() {
    CClientTestEnvironment& env = CClientTestEnvironment::Instance();
    env.RegisterControl();
    env.CreateDataSource();
    const struct {
        int type;  // 0: no set
        int pages;
    } cases[] = {{0, 6}, {1, 5}, {5, 6}};
    for (const auto& c : cases) {
        env.RemoveProfile();
        std::unique_ptr<fonerix::test::SimProcess> set;
        if (c.type == 0) {
            env.NoSet();
        } else {
            set = env.StartSet({.type = c.type});
        }
        fonedesk::test::CPromptRecorder prompts;
        fonedesk::CFonedeskApp app;
        QVERIFY(app.InitInstance());
        fonedesk::CMainFrame& frame = *app.MainFrame();
        QTRY_VERIFY(!frame.Grid()->IsQueryRunning());
        prompts.messages.clear();
        QAction* settings = frame.Action(fonedesk::ID_DEVICE_SETTINGS);
        QVERIFY(settings->isEnabled());

        int pages = -1;
        bool firstPageEnabled = false;
        QTimer::singleShot(0, &frame, [&] {
            auto* sheet = qobject_cast<CSettingsSheet*>(QApplication::activeModalWidget());
            QVERIFY(sheet != nullptr);
            pages = sheet->Tabs()->count();
            firstPageEnabled = sheet->Page(0)->isEnabled();
            sheet->reject();
        });
        settings->trigger();
        QCOMPARE(pages, c.pages);
        QCOMPARE(firstPageEnabled, c.type != 0);
        // Without a set the user is told first, with where to look on Linux below, and the
        // sheet opens anyway.
        QCOMPARE(prompts.messages.size(), c.type == 0 ? 1 : 0);
        if (c.type == 0) {
            QVERIFY(prompts.messages[0].startsWith("Нет подключенного устройства!\n\n"));
            QVERIFY(prompts.messages[0].contains("dialout"));
        }
    }
}

void SettingsSheetTest::numericFieldsChangeOnlyWithTheirArrows() {
    QWidget window;
    auto* field = new fonedesk::CArrowSpinBox(&window);
    auto* other = new QLineEdit(&window);
    field->SetLimits(4, 7);
    QSignalSpy changes(field, &QSpinBox::valueChanged);
    // A value a failed read gives is shown as it is, and showing it is no change.
    field->ShowValue(255);
    QCOMPARE(field->value(), 255);
    QVERIFY(changes.isEmpty());
    // The first arrow brings it back into the limits, and that is a change.
    field->stepBy(-1);
    QCOMPARE(field->value(), 7);
    QCOMPARE(changes.size(), 1);
    field->stepBy(1);
    QCOMPARE(field->value(), 7);
    QCOMPARE(changes.size(), 1);
    // Typing does nothing.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("5"));
    QCOMPARE(field->value(), 7);
    QTest::keyClick(field, Qt::Key_Down);
    QCOMPARE(field->value(), 6);
    // A wheel over the field while another control has the focus changes nothing.
    other->setFocus();
    QWheelEvent wheel(QPointF(5, 5), field->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(field, &wheel);
    QCOMPARE(field->value(), 6);
}

void SettingsSheetTest::slidersReportOnlyTheMouseRelease() {
    QWidget window;
    auto* slider = new fonedesk::CReleaseSlider(&window);
    auto* other = new QLineEdit(&window);
    slider->setRange(0, 7);
    slider->resize(200, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy released(slider, &fonedesk::CReleaseSlider::released);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_End);
    QCOMPARE(slider->value(), 7);
    QVERIFY(released.isEmpty());
    // A click on the groove ends with the release, which reports the position.
    QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(5, slider->height() / 2));
    QCOMPARE(released.size(), 1);
    QCOMPARE(released.at(0).at(0).toInt(), slider->value());
    // The wheel over it while it has no focus moves nothing.
    other->setFocus();
    const int before = slider->value();
    QWheelEvent wheel(QPointF(5, 5), slider->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &wheel);
    QCOMPARE(slider->value(), before);
    QCOMPARE(released.size(), 1);
}

int main(int argc, char** argv) {
    CClientTestEnvironment::Instance();
    QApplication app(argc, argv);
    SettingsSheetTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SettingsSheetTest.moc"
