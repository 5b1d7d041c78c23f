// The page "Специальные" through the real main frame and the simulated set: the configuration
// boxes of both families, the working mode through the sheet's "Обновить", the redirection
// number and the auto-dial list, each read back from the set.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <array>
#include <fstream>

#include "client/device/Fonerix.h"
#include "client/shell/DataGridView.h"
#include "client/shell/FonedeskApp.h"
#include "client/shell/MainFrame.h"
#include "client/shell/settings/SettingsSheet.h"
#include "client/shell/settings/SpecialConfPage.h"
#include "tests/client/shell/settings/special/SpecialTests.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

using fonedesk::CFonedeskApp;
using fonedesk::CFonerix;
using fonedesk::CMainFrame;
using fonedesk::CSettingsSheet;
using fonedesk::CSpecialConfPage;
using fonedesk::test::CClientTestEnvironment;
using fonedesk::test::CPromptRecorder;

namespace {

CClientTestEnvironment& Env() {
    return CClientTestEnvironment::Instance();
}

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

template <class T>
T* Child(QWidget& parent, const char* name) {
    return parent.findChild<T*>(QString::fromLatin1(name));
}

std::array<QCheckBox*, 7> ConfigBoxes(QWidget& page) {
    std::array<QCheckBox*, 7> boxes{};
    for (int i = 0; i < 7; ++i) {
        const QByteArray name = "IDC_SPECIAL_CONFIG_BIT" + QByteArray::number(i + 1);
        boxes[static_cast<std::size_t>(i)] = Child<QCheckBox>(page, name.constData());
    }
    return boxes;
}

QStringList Entries(const QListWidget& list) {
    QStringList texts;
    for (int row = 0; row < list.count(); ++row) {
        texts << list.item(row)->text();
    }
    return texts;
}

void ClickRow(QListWidget& list, int row) {
    QListWidgetItem* item = list.item(row);
    list.scrollToItem(item);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(item).center());
}

// Replaces a field's text as the user does: select everything, type over it.
void TypeInto(QLineEdit& edit, const QString& text) {
    edit.setFocus(Qt::MouseFocusReason);
    edit.selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(&edit, Qt::Key_Delete);
    } else {
        QTest::keyClicks(&edit, text);
    }
}

// A check box or radio button reacts only on its indicator and caption, not on the rest of its
// row: click the middle of what it draws.
void ClickButton(QAbstractButton* button) {
    const int width = std::min(button->sizeHint().width(), button->width());
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(width / 2, button->height() / 2));
}

bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// The auto-dial entries in the set's own store, as the simulator dumps them.
int StoredAutoDialEntries(fonerix::test::SimProcess& set) {
    const std::string dump = set.DumpLists();
    int count = 0;
    for (std::size_t at = dump.find("autodial "); at != std::string::npos;
         at = dump.find("autodial ", at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

class SpecialConfPageTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void configBoxesWriteTheirBitReadAgain_data();
    void configBoxesWriteTheirBitReadAgain();
    void modeButtonsWriteTheHighNibbleAndRefreshShowsWhatTheSetReports();
    void redirectionNumberIsWrittenWhenTheFieldLosesTheFocus();
    void autoDialListTakesElevenEntries();

  private:
    // The program up with a simulated set of `options`; null when it did not come up.
    CMainFrame* Start(fonerix::test::SimOptions options);

    std::unique_ptr<fonerix::test::SimProcess> m_set;
    std::unique_ptr<CFonedeskApp> m_app;
};

void SpecialConfPageTest::initTestCase() {
    Env().RegisterControl();
}

void SpecialConfPageTest::init() {
    Env().NoSet();
    Env().RemoveProfile();
    Env().CreateDataSource();
}

void SpecialConfPageTest::cleanup() {
    m_app.reset();
    m_set.reset();
}

CMainFrame* SpecialConfPageTest::Start(fonerix::test::SimOptions options) {
    m_set = Env().StartSet(std::move(options));
    m_app = std::make_unique<CFonedeskApp>();
    if (!m_app->InitInstance()) {
        return nullptr;
    }
    CMainFrame* frame = m_app->MainFrame();
    if (!QTest::qWaitFor([&] { return !frame->Grid()->IsQueryRunning(); }, 20000) ||
        frame->Device().inUse == 0) {
        return nullptr;
    }
    return frame;
}

void SpecialConfPageTest::configBoxesWriteTheirBitReadAgain_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<bool>("modes");
    QTest::addRow("second family (type 2)") << 2
                                            << QStringList{U("Комментатор номера"),
                                                           U("Фильтр по \"белому списку\""),
                                                           U("Фильтр по \"черному списку\""),
                                                           U("Параллельный аппарат"),
                                                           U("Автоопределитель"),
                                                           U("Режим автоподнятия"),
                                                           U("Звуковое сопровождение клавиатуры")}
                                            << false;
    QTest::addRow("first family (type 6)")
        << 6 << QStringList{U("Звук. сопр. клавиатуры"), U("Тоновый набор"),
                            U("Междугородний звонок"),   U("Параллельный аппарат"),
                            U("Комментатор номера"),     U("Автоопределитель"),
                            U("Режим автоподнятия")}
        << true;
}

void SpecialConfPageTest::configBoxesWriteTheirBitReadAgain() {
    QFETCH(int, type);
    QFETCH(QStringList, captions);
    QFETCH(bool, modes);
    CPromptRecorder prompts;
    CMainFrame* frame = Start({.type = type});
    QVERIFY(frame != nullptr);
    CFonerix& set = frame->Fonerix();
    set.SetConfigRegister(0x01);  // bit 0 has no box; every write must keep it

    CSpecialConfPage page(set, frame->Device());
    page.Refresh();
    QVERIFY(ShowActive(page));
    const std::array<QCheckBox*, 7> boxes = ConfigBoxes(page);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        QVERIFY(boxes[i] != nullptr);
        QCOMPARE(boxes[i]->text(), captions.at(static_cast<qsizetype>(i)));
        QVERIFY(!boxes[i]->isChecked());
    }
    // Only the first family's page has the working mode; "Переадресация" is there up to type 6.
    auto* redirection = Child<QRadioButton>(page, "IDC_SPECIAL_MODE_REDIRECTION");
    QCOMPARE(redirection != nullptr, modes);
    QCOMPARE(Child<QListWidget>(page, "IDC_SPECIAL_AUTODIAL_LIST") != nullptr, modes);
    if (modes) {
        QVERIFY(redirection->isEnabled());
    }

    // Ticking each box in turn adds its own bit to what the set holds.
    int expected = 0x01;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        ClickButton(boxes[i]);
        QVERIFY(boxes[i]->isChecked());
        expected |= 0x02 << i;
        QCOMPARE(int(set.GetConfigRegister()), expected);
    }
    QCOMPARE(expected, 0xFF);

    // A refresh shows each bit of the set's value.
    set.SetConfigRegister(0xA5);
    page.Refresh();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        QCOMPARE(boxes[i]->isChecked(), (0xA5 & (0x02 << i)) != 0);
    }

    // The register is read again before each write: the set's own menu cleared bit 5 (the
    // fifth box, ticked on screen) and set bit 6 since the refresh. Unticking the fifth box
    // leaves bit 5 clear and bit 6 as the set has it; ticking the first and unticking the
    // seventh change only their bits.
    set.SetConfigRegister(0xC5);
    ClickButton(boxes[4]);
    QVERIFY(!boxes[4]->isChecked());
    QCOMPARE(int(set.GetConfigRegister()), 0xC5);
    ClickButton(boxes[0]);
    QCOMPARE(int(set.GetConfigRegister()), 0xC7);
    ClickButton(boxes[6]);
    QCOMPARE(int(set.GetConfigRegister()), 0x47);
}

void SpecialConfPageTest::modeButtonsWriteTheHighNibbleAndRefreshShowsWhatTheSetReports() {
    CPromptRecorder prompts;
    CMainFrame* frame = Start({.type = 5});
    QVERIFY(frame != nullptr);
    CFonerix& set = frame->Fonerix();
    set.SetDeviceMode(0x03);  // the low nibble is the set's own and stays as it is

    CSettingsSheet sheet(set, frame->Device());
    QVERIFY(ShowActive(sheet));
    sheet.Tabs()->setCurrentIndex(3);
    QWidget* page = sheet.Page(3);
    QVERIFY(dynamic_cast<CSpecialConfPage*>(page) != nullptr);
    auto* normal = Child<QRadioButton>(*page, "IDC_SPECIAL_MODE_NORMAL");
    auto* answering = Child<QRadioButton>(*page, "IDC_SPECIAL_MODE_ANSWERING");
    auto* redirection = Child<QRadioButton>(*page, "IDC_SPECIAL_MODE_REDIRECTION");
    auto* recorder = Child<QRadioButton>(*page, "IDC_SPECIAL_MODE_RECORDER");
    QVERIFY(normal && answering && redirection && recorder);
    QCOMPARE(normal->text(), U("Нормальный"));
    QCOMPARE(answering->text(), U("Автоответчик"));
    QCOMPARE(redirection->text(), U("Переадресация"));
    QCOMPARE(recorder->text(), U("Регистратор"));
    QVERIFY(normal->isChecked());

    const struct {
        QRadioButton* button;
        int written;
        QRadioButton* shownAfterRefresh;
    } cases[] = {
        {answering, 0x43, answering},
        {recorder, 0x83, recorder},
        {normal, 0x03, normal},
        // Written as 0x10, which the set does not report as redirection.
        {redirection, 0x13, normal},
    };
    for (const auto& c : cases) {
        ClickButton(c.button);
        QVERIFY(c.button->isChecked());
        QCOMPARE(int(set.GetDeviceMode()), c.written);
        sheet.RefreshButton()->click();
        QVERIFY(sheet.isVisible());
        QVERIFY2(c.shownAfterRefresh->isChecked(), qPrintable(c.button->text()));
    }

    // The set reporting redirection (0x20) shows it.
    set.SetDeviceMode(0x25);
    sheet.RefreshButton()->click();
    QVERIFY(redirection->isChecked());
}

void SpecialConfPageTest::redirectionNumberIsWrittenWhenTheFieldLosesTheFocus() {
    CPromptRecorder prompts;
    const std::string scenario = Env().Folder() + "/redirection.txt";
    std::ofstream(scenario) << "type 7\nredirection 89031112233\n";
    CMainFrame* frame = Start({.type = 7, .scenario = scenario});
    QVERIFY(frame != nullptr);
    CFonerix& set = frame->Fonerix();

    CSpecialConfPage page(set, frame->Device());
    page.Refresh();
    QVERIFY(ShowActive(page));
    // Type 7 cannot be switched to redirection from here.
    QVERIFY(!Child<QRadioButton>(page, "IDC_SPECIAL_MODE_REDIRECTION")->isEnabled());
    auto* number = Child<QLineEdit>(page, "IDC_SPECIAL_REDIRECTION_NUMBER");
    QVERIFY(number != nullptr);
    QCOMPARE(number->text(), U("89031112233"));

    // Nothing is written while the user types; leaving the field writes it.
    TypeInto(*number, U("84951234567"));
    QCOMPARE(set.GetRedirectionNumber(), U("89031112233"));
    QTest::keyClick(number, Qt::Key_Tab);
    QVERIFY(!number->hasFocus());
    QCOMPARE(set.GetRedirectionNumber(), U("84951234567"));
    QVERIFY(m_set->DumpLists().find("redirection number=84951234567") != std::string::npos);

    // An emptied field clears the set's number.
    TypeInto(*number, QString());
    QTest::keyClick(number, Qt::Key_Tab);
    QCOMPARE(set.GetRedirectionNumber(), QString());
}

void SpecialConfPageTest::autoDialListTakesElevenEntries() {
    CPromptRecorder prompts;
    const std::string scenario = Env().Folder() + "/autodial.txt";
    std::ofstream(scenario) << "type 7\nautodial 2345678\nautodial 555\n";
    CMainFrame* frame = Start({.type = 7, .scenario = scenario});
    QVERIFY(frame != nullptr);
    CFonerix& set = frame->Fonerix();
    const QChar delimiter(u';');

    CSpecialConfPage page(set, frame->Device());
    page.Refresh();
    QVERIFY(ShowActive(page));
    auto* list = Child<QListWidget>(page, "IDC_SPECIAL_AUTODIAL_LIST");
    auto* number = Child<QLineEdit>(page, "IDC_SPECIAL_AUTODIAL_NUMBER");
    auto* add = Child<QPushButton>(page, "IDC_SPECIAL_AUTODIAL_ADD");
    auto* remove = Child<QPushButton>(page, "IDC_SPECIAL_AUTODIAL_DELETE");
    QVERIFY(list && number && add && remove);
    QCOMPARE(add->text(), U("<<"));
    QCOMPARE(remove->text(), U(">>"));
    QCOMPARE(Entries(*list), (QStringList{"2345678", "555"}));

    // Selecting an entry copies it into the field; ">>" deletes it from the set's list.
    ClickRow(*list, 1);
    QCOMPARE(number->text(), U("555"));
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(Entries(*list), QStringList{"2345678"});
    QCOMPARE(set.GetAutoDialList(delimiter), U("2345678"));
    // Nothing is selected now: a second ">>" deletes nothing.
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(Entries(*list), QStringList{"2345678"});
    QCOMPARE(set.GetAutoDialList(delimiter), U("2345678"));

    // "<<" appends the field's text up to the eleventh entry.
    QStringList expected{"2345678"};
    for (int n = 2; n <= 11; ++n) {
        const QString entry = QString::number(1000 + n);
        TypeInto(*number, entry);
        QTest::mouseClick(add, Qt::LeftButton);
        expected << entry;
        QCOMPARE(Entries(*list), expected);
    }
    QCOMPARE(set.GetAutoDialList(delimiter), expected.join(delimiter));
    QCOMPARE(StoredAutoDialEntries(*m_set), 11);

    // A twelfth is not taken.
    TypeInto(*number, U("9999"));
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(Entries(*list), expected);
    QCOMPARE(set.GetAutoDialList(delimiter), expected.join(delimiter));
    QCOMPARE(StoredAutoDialEntries(*m_set), 11);

    // An empty field adds an empty entry too, once there is room again.
    ClickRow(*list, 0);
    QTest::mouseClick(remove, Qt::LeftButton);
    expected.removeFirst();
    TypeInto(*number, QString());
    QTest::mouseClick(add, Qt::LeftButton);
    expected << QString();
    QCOMPARE(Entries(*list), expected);
    QCOMPARE(set.GetAutoDialList(delimiter), expected.join(delimiter));

    // A refresh shows what the set holds.
    list->clear();
    page.Refresh();
    QCOMPARE(Entries(*list), expected);
}

namespace fonedesk::test {

int RunSpecialConfPageTests(int argc, char** argv) {
    SpecialConfPageTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace fonedesk::test

#include "SpecialConfPageTest.moc"
