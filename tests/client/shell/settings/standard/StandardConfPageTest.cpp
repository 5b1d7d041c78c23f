// The page "Стандартные": each control's change read back from the simulated set, at the moment
// the page writes it; a refresh writes nothing back.
#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimeEdit>

#include "client/device/Fonerix.h"
#include "client/device/SettingsFormat.h"
#include "client/shell/MainFrame.h"
#include "client/shell/settings/ArrowSpinBox.h"
#include "client/shell/settings/ReleaseSlider.h"
#include "client/shell/settings/StandardConfPage.h"
#include "tests/client/shell/settings/standard/PageTestWorld.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

using fonedesk::CArrowSpinBox;
using fonedesk::CFonerix;
using fonedesk::CMainFrame;
using fonedesk::CReleaseSlider;
using fonedesk::CStandardConfPage;
using fonedesk::test::Child;
using fonedesk::test::CPageWorld;

namespace {

const std::vector<std::string> kScenario = {
    "clock 2026-03-14 10:20:00",  "setting NumLength 6", "setting BellMelody 3",
    "setting BellVolume 2",       "setting AlarmHour 7", "setting AlarmMinute 30",
    "setting AlarmActivity 0x41",  // on, Tuesday
};

const char* const kWeekdays[] = {"IDC_STANDARD_MONDAY",    "IDC_STANDARD_TUESDAY",
                                 "IDC_STANDARD_WEDNESDAY", "IDC_STANDARD_THURSDAY",
                                 "IDC_STANDARD_FRIDAY",    "IDC_STANDARD_SATURDAY",
                                 "IDC_STANDARD_SUNDAY"};

QDateTime SetClock(CFonerix& set) {
    return fonedesk::DateTimeFromDate(set.GetDeviceTime());
}

// Whether the set's clock reads `written` or up to a minute later (it runs on).
bool ClockFrom(const QDateTime& clock, const QDateTime& written) {
    const qint64 ran = written.secsTo(clock);
    return clock.isValid() && ran >= 0 && ran < 60;
}

// A point on the slider's groove near its right end, where a click moves the handle up.
QPoint RightOfGroove(const QSlider& slider) {
    QStyleOptionSlider option;
    option.initFrom(&slider);
    option.orientation = slider.orientation();
    option.minimum = slider.minimum();
    option.maximum = slider.maximum();
    option.sliderPosition = slider.sliderPosition();
    option.sliderValue = slider.value();
    option.singleStep = slider.singleStep();
    option.pageStep = slider.pageStep();
    option.tickPosition = slider.tickPosition();
    option.tickInterval = slider.tickInterval();
    option.subControls = QStyle::SC_All;
    const QRect groove = slider.style()->subControlRect(QStyle::CC_Slider, &option,
                                                        QStyle::SC_SliderGroove, &slider);
    return QPoint(groove.right() - 1, groove.center().y());
}

// A key on a box that has the focus, as the space bar clicks it.
void Tick(QCheckBox* box) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
}

}  // namespace

class StandardConfPageTest : public QObject {
    Q_OBJECT
  private slots:
    void refreshShowsTheSetAndWritesNothingBack();
    void eitherPickerWritesTheClockAndSynchronizeSetsThePcTime();
    void bellAndNumberLengthAreWrittenWhenTheUserIsDone();
    void alarmTimeAndActivityBitsStartFromTheSetsValue();
};

void StandardConfPageTest::refreshShowsTheSetAndWritesNothingBack() {
    CPageWorld world;
    QVERIFY(world.Start(5, kScenario));
    CMainFrame& frame = world.Frame();
    const long before = world.Changes();

    CStandardConfPage page(frame.Fonerix(), frame.Device());
    QVERIFY(fonedesk::test::ShowActive(page));
    page.Refresh();
    auto* date = Child<QDateEdit>(page, "IDC_STANDARD_DATE");
    auto* time = Child<QTimeEdit>(page, "IDC_STANDARD_TIME");
    QVERIFY(date != nullptr && time != nullptr);
    QCOMPARE(date->date(), QDate(2026, 3, 14));
    QVERIFY(ClockFrom(QDateTime(date->date(), time->time()),
                      QDateTime(QDate(2026, 3, 14), QTime(10, 20))));
    QCOMPARE(Child<CReleaseSlider>(page, "IDC_STANDARD_BELL_VOLUME")->value(), 2);
    QCOMPARE(Child<CArrowSpinBox>(page, "IDC_STANDARD_MELODY")->value(), 3);
    QCOMPARE(Child<CArrowSpinBox>(page, "IDC_STANDARD_NUM_LENGTH")->value(), 6);
    QCOMPARE(Child<QTimeEdit>(page, "IDC_STANDARD_ALARM_TIME")->time(), QTime(7, 30));
    QCOMPARE(Child<QTimeEdit>(page, "IDC_STANDARD_ALARM_TIME")->text(), QStringLiteral("07:30"));
    QVERIFY(Child<QCheckBox>(page, "IDC_STANDARD_ALARM_ACTIVE")->isChecked());
    for (const char* day : kWeekdays) {
        QCOMPARE(Child<QCheckBox>(page, day)->isChecked(), day == kWeekdays[1]);
    }
    // A second reading moves the clock pickers on (the set's clock ran): still nothing written.
    page.Refresh();
    QCOMPARE(world.Changes(), before);
}

void StandardConfPageTest::eitherPickerWritesTheClockAndSynchronizeSetsThePcTime() {
    CPageWorld world;
    QVERIFY(world.Start(5, kScenario));
    CMainFrame& frame = world.Frame();
    CStandardConfPage page(frame.Fonerix(), frame.Device());
    QVERIFY(fonedesk::test::ShowActive(page));
    page.Refresh();
    auto* date = Child<QDateEdit>(page, "IDC_STANDARD_DATE");
    auto* time = Child<QTimeEdit>(page, "IDC_STANDARD_TIME");
    const QTime shown = time->time();

    // The date picker's day: the new date with the time the other picker shows.
    date->setFocus();
    date->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(date, Qt::Key_Up);
    QCOMPARE(date->date(), QDate(2026, 3, 15));
    QVERIFY(ClockFrom(SetClock(frame.Fonerix()), QDateTime(QDate(2026, 3, 15), shown)));

    // The time picker's hour: the date the other picker shows with the new time.
    time->setFocus();
    time->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(time, Qt::Key_Up);
    QCOMPARE(time->time(), shown.addSecs(3600));
    QVERIFY(
        ClockFrom(SetClock(frame.Fonerix()), QDateTime(QDate(2026, 3, 15), shown.addSecs(3600))));

    // "Синхронизировать": the PC's time on the set and, read back, in both pickers.
    auto* synchronize = Child<QPushButton>(page, "IDC_STANDARD_SYNCHRONIZE");
    QCOMPARE(synchronize->text(), QStringLiteral("Синхронизировать\nс компьютером"));
    const QDateTime pressed = QDateTime::currentDateTime();
    QTest::mouseClick(synchronize, Qt::LeftButton);
    const QDateTime onSet = SetClock(frame.Fonerix());
    QVERIFY2(ClockFrom(onSet, pressed.addSecs(-1)), qPrintable(onSet.toString()));
    QVERIFY(ClockFrom(QDateTime(date->date(), time->time()), pressed.addSecs(-1)));
}

void StandardConfPageTest::bellAndNumberLengthAreWrittenWhenTheUserIsDone() {
    CPageWorld world;
    QVERIFY(world.Start(5, kScenario));
    CMainFrame& frame = world.Frame();
    CFonerix& set = frame.Fonerix();
    CStandardConfPage page(set, frame.Device());
    QVERIFY(fonedesk::test::ShowActive(page));
    page.Refresh();

    // The bell volume only on the mouse's release: the keyboard moves the slider and writes
    // nothing.
    auto* volume = Child<CReleaseSlider>(page, "IDC_STANDARD_BELL_VOLUME");
    volume->setFocus();
    QTest::keyClick(volume, Qt::Key_Right);
    QCOMPARE(volume->value(), 3);
    QCOMPARE(set.GetBellVolume(), short(2));
    QTest::mouseClick(volume, Qt::LeftButton, {}, RightOfGroove(*volume));
    QVERIFY(volume->value() > 3);
    QCOMPARE(set.GetBellVolume(), short(volume->value()));

    // Melody and number length when the field loses the focus, not at each arrow.
    auto* melody = Child<CArrowSpinBox>(page, "IDC_STANDARD_MELODY");
    auto* length = Child<CArrowSpinBox>(page, "IDC_STANDARD_NUM_LENGTH");
    melody->setFocus();
    QTest::keyClick(melody, Qt::Key_Up);
    QCOMPARE(melody->value(), 4);
    QCOMPARE(set.GetBellMelody(), short(3));
    length->setFocus();
    QCOMPARE(set.GetBellMelody(), short(4));
    QTest::keyClick(length, Qt::Key_Down);
    QTest::keyClick(length, Qt::Key_Down);
    QCOMPARE(set.GetNumLength(), short(6));
    melody->setFocus();
    QCOMPARE(set.GetNumLength(), short(4));
    QCOMPARE(length->value(), 4);

    // Passing through the fields without an arrow writes nothing.
    const long before = world.Changes();
    length->setFocus();
    melody->setFocus();
    volume->setFocus();
    QCOMPARE(world.Changes(), before);
}

void StandardConfPageTest::alarmTimeAndActivityBitsStartFromTheSetsValue() {
    CPageWorld world;
    QVERIFY(world.Start(5, kScenario));
    CMainFrame& frame = world.Frame();
    CFonerix& set = frame.Fonerix();
    CStandardConfPage page(set, frame.Device());
    QVERIFY(fonedesk::test::ShowActive(page));
    page.Refresh();

    auto* alarmTime = Child<QTimeEdit>(page, "IDC_STANDARD_ALARM_TIME");
    alarmTime->setFocus();
    alarmTime->setCurrentSection(QDateTimeEdit::MinuteSection);
    QTest::keyClick(alarmTime, Qt::Key_Up);
    QCOMPARE(fonedesk::AlarmTimeFromDate(set.GetAlarmTime()), QTime(7, 31));
    alarmTime->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(alarmTime, Qt::Key_Down);
    QCOMPARE(fonedesk::AlarmTimeFromDate(set.GetAlarmTime()), QTime(6, 31));

    // Each click writes the value the set holds at that moment with the box's bit changed; the
    // set is changed behind the page's back between some of them.
    const struct {
        short onSetBefore;  // -1: as it is
        const char* box;
        bool checkedAfter;
        short written;
    } clicks[] = {
        {-1, "IDC_STANDARD_MONDAY", true, 0xC1},
        {-1, "IDC_STANDARD_TUESDAY", false, 0x81},
        {-1, "IDC_STANDARD_ALARM_ACTIVE", false, 0x80},
        {-1, "IDC_STANDARD_ALARM_ACTIVE", true, 0x81},
        {0x83, "IDC_STANDARD_FRIDAY", true, 0x8B},  // Sunday came on at the set
        // Monday went off at the set while the page still shows it: unticking keeps it off.
        {0x0B, "IDC_STANDARD_MONDAY", false, 0x0B},
        {0x00, "IDC_STANDARD_SATURDAY", true, 0x04},
    };
    for (const auto& c : clicks) {
        if (c.onSetBefore >= 0) {
            set.SetAlarmActivity(c.onSetBefore);
        }
        auto* box = Child<QCheckBox>(page, c.box);
        Tick(box);
        QCOMPARE(box->isChecked(), c.checkedAfter);
        QCOMPARE(set.GetAlarmActivity(), c.written);
    }
}

int fonedesk::test::RunStandardPageTests(int argc, char** argv) {
    StandardConfPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "StandardConfPageTest.moc"
