// The page "АОН": the line input's and the parallel telephone's caller-ID parameters, switched
// by 1097, restored in memory, saved with "Сохранить"; the ring and line thresholds.
#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "client/device/Fonerix.h"
#include "client/shell/MainFrame.h"
#include "client/shell/settings/ArrowSpinBox.h"
#include "client/shell/settings/AutoDetConfPage.h"
#include "client/shell/settings/SettingsSheet.h"
#include "tests/client/shell/settings/standard/PageTestWorld.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

using fonedesk::CArrowSpinBox;
using fonedesk::CAutoDetConfPage;
using fonedesk::CFonerix;
using fonedesk::CMainFrame;
using fonedesk::CSettingsSheet;
using fonedesk::test::Child;
using fonedesk::test::CPageWorld;

namespace {

const std::vector<std::string> kScenario = {
    "callerid current query-time=80 query-form=0x34 first-delay=300 min-digits=3 "
    "resolution-time=500",
    "callerid parallel query-time=100 query-form=0x92 first-delay=400 min-digits=4 "
    "resolution-time=600",
    "setting SkipBells 2",
    "setting UtCallup 100",
    "setting UtLineFree 10",
};
const QString kCurrent = QStringLiteral("time=80 form=0x34 delay=300 digits=3 resolution=500");
const QString kParallel = QStringLiteral("time=100 form=0x92 delay=400 digits=4 resolution=600");

QString Params(int time, int form, int delay, int digits, int resolution) {
    return QStringLiteral("time=%1 form=0x%2 delay=%3 digits=%4 resolution=%5")
        .arg(time)
        .arg(form, 2, 16, QLatin1Char('0'))
        .arg(delay)
        .arg(digits)
        .arg(resolution);
}

QString Params(const fonerix::AUTODETPARAMS& p) {
    return Params(p.queryTime, p.queryForm, p.firstDelay, p.minDigits, p.resolTime);
}

int Value(QWidget& page, const char* name) {
    auto* field = Child<CArrowSpinBox>(page, name);
    return field != nullptr ? field->value() : -1000;
}

// The record on screen, in the same words.
QString Screen(QWidget& page) {
    int form = Value(page, "IDC_AUTODET_QUERY_COUNT");
    const char* const boxes[] = {"IDC_AUTODET_WAVEFORM_1", "IDC_AUTODET_WAVEFORM_2",
                                 "IDC_AUTODET_WAVEFORM_3", "IDC_AUTODET_WAVEFORM_4"};
    const int masks[] = {0x80, 0x40, 0x20, 0x10};
    for (int i = 0; i < 4; ++i) {
        if (Child<QCheckBox>(page, boxes[i])->isChecked()) {
            form |= masks[i];
        }
    }
    return Params(Value(page, "IDC_AUTODET_QUERY_TIME"), form,
                  Value(page, "IDC_AUTODET_FIRST_DELAY"), Value(page, "IDC_AUTODET_MIN_DIGITS"),
                  Value(page, "IDC_AUTODET_RESOLUTION_TIME"));
}

// Both records as the set holds them now: "line | parallel".
QString OnSet(CFonerix& set) {
    fonerix::AUTODETPARAMS current{};
    fonerix::AUTODETPARAMS parallel{};
    if (!set.GetAutodetParams(&current, &parallel)) {
        return QStringLiteral("<not read>");
    }
    return Params(current) + " | " + Params(parallel);
}

void Tick(QWidget& page, const char* name) {
    auto* box = Child<QCheckBox>(page, name);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
}

void Arrow(QWidget& page, const char* name, Qt::Key key, int times = 1) {
    auto* field = Child<CArrowSpinBox>(page, name);
    field->setFocus();
    for (int i = 0; i < times; ++i) {
        QTest::keyClick(field, key);
    }
}

void Press(QWidget& page, const char* name) {
    QTest::mouseClick(Child<QPushButton>(page, name), Qt::LeftButton);
}

}  // namespace

class AutoDetConfPageTest : public QObject {
    Q_OBJECT
  private slots:
    void eachRecordKeepsItsEditsUntilSaved();
    void restoreThenLeavingTheSheetWritesNothing();
    void aReadingShowsTheLineRecordAgain();
    void ringAndLineThresholdsAreWritten();
    void theSecondFamilyHasNoParallelRecord();
};

void AutoDetConfPageTest::eachRecordKeepsItsEditsUntilSaved() {
    CPageWorld world;
    QVERIFY(world.Start(5, kScenario));
    CMainFrame& frame = world.Frame();
    CAutoDetConfPage page(frame.Fonerix(), frame.Device());
    QVERIFY(fonedesk::test::ShowActive(page));
    page.Refresh();
    auto* parallelBox = Child<QCheckBox>(page, "IDC_AUTODET_PARALLEL");
    QVERIFY(parallelBox->isEnabled());
    QVERIFY(!parallelBox->isChecked());
    QCOMPARE(Screen(page), kCurrent);
    const long before = world.Changes();

    Arrow(page, "IDC_AUTODET_QUERY_COUNT", Qt::Key_Down);  // 4 -> 3 queries
    Tick(page, "IDC_AUTODET_WAVEFORM_1");
    const QString editedCurrent = Params(80, 0xB3, 300, 3, 500);
    QCOMPARE(Screen(page), editedCurrent);

    Tick(page, "IDC_AUTODET_PARALLEL");
    QCOMPARE(Screen(page), kParallel);
    Arrow(page, "IDC_AUTODET_MIN_DIGITS", Qt::Key_Up);
    Tick(page, "IDC_AUTODET_WAVEFORM_2");
    const QString editedParallel = Params(100, 0xD2, 400, 5, 600);
    QCOMPARE(Screen(page), editedParallel);

    Tick(page, "IDC_AUTODET_PARALLEL");
    QCOMPARE(Screen(page), editedCurrent);
    // Only the arrows and the boxes so far: nothing on the set.
    QCOMPARE(OnSet(frame.Fonerix()), kCurrent + " | " + kParallel);
    QCOMPARE(world.Changes(), before);

    Press(page, "IDC_AUTODET_SAVE");
    QCOMPARE(OnSet(frame.Fonerix()), editedCurrent + " | " + editedParallel);

    // Saved while the parallel record is shown: what is on screen goes into that one.
    Tick(page, "IDC_AUTODET_PARALLEL");
    QCOMPARE(Screen(page), editedParallel);
    Arrow(page, "IDC_AUTODET_FIRST_DELAY", Qt::Key_Up, 10);
    Press(page, "IDC_AUTODET_SAVE");
    QCOMPARE(OnSet(frame.Fonerix()), editedCurrent + " | " + Params(100, 0xD2, 410, 5, 600));
}

void AutoDetConfPageTest::restoreThenLeavingTheSheetWritesNothing() {
    CPageWorld world;
    QVERIFY(world.Start(5, kScenario));
    CMainFrame& frame = world.Frame();
    const QString defaultCurrent = Params(130, 0x54, 230, 2, 120);
    const QString defaultParallel = Params(130, 0x04, 230, 2, 120);
    {
        CSettingsSheet sheet(frame.Fonerix(), frame.Device());
        QVERIFY(fonedesk::test::ShowActive(sheet));
        sheet.Tabs()->setCurrentIndex(2);
        QWidget* page = sheet.Page(2);
        QVERIFY(dynamic_cast<CAutoDetConfPage*>(page) != nullptr);
        QCOMPARE(Screen(*page), kCurrent);
        const long before = world.Changes();

        Press(*page, "IDC_AUTODET_RESTORE");
        QCOMPARE(Screen(*page), defaultCurrent);
        Tick(*page, "IDC_AUTODET_PARALLEL");
        QCOMPARE(Screen(*page), defaultParallel);
        // Restoring again with the parallel record shown shows that record's defaults.
        Arrow(*page, "IDC_AUTODET_MIN_DIGITS", Qt::Key_Up);
        Press(*page, "IDC_AUTODET_RESTORE");
        QCOMPARE(Screen(*page), defaultParallel);

        QTest::mouseClick(sheet.findChild<QPushButton*>(QStringLiteral("IDCANCEL")),
                          Qt::LeftButton);
        QVERIFY(!sheet.isVisible());
        QCOMPARE(world.Changes(), before);
        QCOMPARE(OnSet(frame.Fonerix()), kCurrent + " | " + kParallel);
    }

    // The defaults reach the set only through "Сохранить".
    CAutoDetConfPage page(frame.Fonerix(), frame.Device());
    QVERIFY(fonedesk::test::ShowActive(page));
    page.Refresh();
    Press(page, "IDC_AUTODET_RESTORE");
    Press(page, "IDC_AUTODET_SAVE");
    QCOMPARE(OnSet(frame.Fonerix()), defaultCurrent + " | " + defaultParallel);
}

void AutoDetConfPageTest::aReadingShowsTheLineRecordAgain() {
    CPageWorld world;
    QVERIFY(world.Start(5, kScenario));
    CMainFrame& frame = world.Frame();
    CAutoDetConfPage page(frame.Fonerix(), frame.Device());
    QVERIFY(fonedesk::test::ShowActive(page));
    page.Refresh();
    Tick(page, "IDC_AUTODET_PARALLEL");
    QCOMPARE(Screen(page), kParallel);

    // "Обновить" with the parallel record shown: the line's record and an unticked box, so that
    // switching files nothing under the wrong record.
    page.Refresh();
    QVERIFY(!Child<QCheckBox>(page, "IDC_AUTODET_PARALLEL")->isChecked());
    QCOMPARE(Screen(page), kCurrent);
    Tick(page, "IDC_AUTODET_PARALLEL");
    QCOMPARE(Screen(page), kParallel);
    Press(page, "IDC_AUTODET_SAVE");
    QCOMPARE(OnSet(frame.Fonerix()), kCurrent + " | " + kParallel);
}

void AutoDetConfPageTest::ringAndLineThresholdsAreWritten() {
    CPageWorld world;
    QVERIFY(world.Start(5, kScenario));
    CMainFrame& frame = world.Frame();
    CFonerix& set = frame.Fonerix();
    CAutoDetConfPage page(set, frame.Device());
    QVERIFY(fonedesk::test::ShowActive(page));
    page.Refresh();
    QCOMPARE(Value(page, "IDC_AUTODET_SKIP_BELLS"), 2);
    QCOMPARE(Value(page, "IDC_AUTODET_UT_CALLUP"), 100);
    QCOMPARE(Value(page, "IDC_AUTODET_UT_LINE_FREE"), 10);

    // The rings at every arrow, without leaving the field.
    Arrow(page, "IDC_AUTODET_SKIP_BELLS", Qt::Key_Up);
    QCOMPARE(set.GetSkipBells(), short(3));
    Arrow(page, "IDC_AUTODET_SKIP_BELLS", Qt::Key_Up);
    QCOMPARE(set.GetSkipBells(), short(4));

    // The thresholds when the field loses the focus.
    Arrow(page, "IDC_AUTODET_UT_CALLUP", Qt::Key_Up);
    QCOMPARE(set.GetUtCallup(), short(100));
    Arrow(page, "IDC_AUTODET_UT_LINE_FREE", Qt::Key_Down);
    QCOMPARE(set.GetUtCallup(), short(101));
    QCOMPARE(set.GetUtLineFree(), short(10));
    Child<QWidget>(page, "IDC_AUTODET_SKIP_BELLS")->setFocus();
    QCOMPARE(set.GetUtLineFree(), short(9));
    QCOMPARE(set.GetSkipBells(), short(4));

    // Leaving them again without an arrow writes nothing.
    const long before = world.Changes();
    Child<QWidget>(page, "IDC_AUTODET_UT_CALLUP")->setFocus();
    Child<QWidget>(page, "IDC_AUTODET_UT_LINE_FREE")->setFocus();
    Child<QWidget>(page, "IDC_AUTODET_SKIP_BELLS")->setFocus();
    QCOMPARE(world.Changes(), before);
}

void AutoDetConfPageTest::theSecondFamilyHasNoParallelRecord() {
    CPageWorld world;
    QVERIFY(world.Start(1, {"callerid current query-time=80 query-form=0x34 first-delay=300 "
                            "min-digits=3 resolution-time=500"}));
    CMainFrame& frame = world.Frame();
    CAutoDetConfPage page(frame.Fonerix(), frame.Device());
    QVERIFY(fonedesk::test::ShowActive(page));
    page.Refresh();
    QVERIFY(!Child<QCheckBox>(page, "IDC_AUTODET_PARALLEL")->isEnabled());
    QCOMPARE(Screen(page), kCurrent);
    Arrow(page, "IDC_AUTODET_MIN_DIGITS", Qt::Key_Up);
    Press(page, "IDC_AUTODET_SAVE");
    fonerix::AUTODETPARAMS current{};
    QVERIFY(frame.Fonerix().GetAutodetParams(&current, nullptr));
    QCOMPARE(Params(current), Params(80, 0x34, 300, 4, 500));
}

int fonedesk::test::RunAutoDetPageTests(int argc, char** argv) {
    AutoDetConfPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "AutoDetConfPageTest.moc"
