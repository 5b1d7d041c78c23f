// The keypad tab through the real main frame, the simulated set and a throwaway FNDB: which form
// each family gets and how it looks, the key codes the set receives, the display, the microphone
// and speaker toggles, flash, redial, the shortcut commands and the mirroring of keys pressed on
// the set itself.
#include <QApplication>
#include <QImageReader>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <fstream>
#include <regex>

#include "client/resources/Strings.h"
#include "client/resources/resource.h"
#include "client/shell/ColorStatic.h"
#include "client/shell/DataGridView.h"
#include "client/shell/FlatButton.h"
#include "client/shell/FonedeskApp.h"
#include "client/shell/MainFrame.h"
#include "client/shell/PhoneBoardView.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"
#include "tests/client/shell/support/ModalAnswerer.h"

using fonedesk::CColorStatic;
using fonedesk::CFlatButton;
using fonedesk::CFonedeskApp;
using fonedesk::CMainFrame;
using fonedesk::CPhoneBoardView;
using fonedesk::test::CClientTestEnvironment;
using fonedesk::test::CModalAnswerer;
using fonedesk::test::CPromptRecorder;
using namespace fonedesk;

namespace {

CClientTestEnvironment& Env() {
    return CClientTestEnvironment::Instance();
}

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The set's state registers 0 and 3 on the flash models, and its number buffer (a length
// register, then the digit codes).
constexpr int kState0 = 0x50;
constexpr int kState3 = 0x52;
constexpr int kNumberBuffer = 43;

// A word of the set's status line ("key", "changes", ...), or an empty text.
std::string StatusField(fonerix::test::SimProcess& set, const std::string& name) {
    const std::regex pattern(" " + name + "=([^ ]*)");
    std::smatch match;
    const std::string status = set.Command("status");
    return std::regex_search(status, match, pattern) ? std::string(match[1]) : std::string();
}

// Waits for the set's status to show `text` while the event loop runs: an event of the set
// reaches the frame only through the loop, which SimProcess::WaitForStatus would hold up.
bool SetShows(fonerix::test::SimProcess& set, const std::string& text) {
    return QTest::qWaitFor([&] { return set.Command("status").find(text) != std::string::npos; },
                           20000);
}

long Changes(fonerix::test::SimProcess& set) {
    const std::string changes = StatusField(set, "changes");
    return changes.empty() ? -1 : std::stol(changes);
}

// Every button of the full form with the bitmap it shows.
const struct {
    int id;
    int bitmap;
} kFullButtons[] = {
    {IDC_KEY_1, 1000},
    {IDC_KEY_2, 1001},
    {IDC_KEY_3, 1002},
    {IDC_KEY_4, 1003},
    {IDC_KEY_5, 1004},
    {IDC_KEY_6, 1005},
    {IDC_KEY_7, 1006},
    {IDC_KEY_8, 1007},
    {IDC_KEY_9, 1008},
    {IDC_KEY_STAR, 1009},
    {IDC_KEY_0, 1010},
    {IDC_KEY_HASH, 1011},
    {IDC_KEY_FLASH, 1017},
    {IDC_KEY_PAUSE, 1017},
    {IDC_KEY_REDIAL, 1017},
    {IDC_KEY_SPEAKER, 1016},
    {IDC_KEY_MICROPHONE, 1015},
    {IDC_KEY_HOLD, 1018},
    {IDC_KEY_CANCEL, 1019},
    {IDC_SHORTCUT_SETTINGS, 173},
    {IDC_SHORTCUT_INCOMING, 174},
    {IDC_SHORTCUT_OUTGOING, 175},
    {IDC_SHORTCUT_PHONEBOOK, 176},
    {IDC_SHORTCUT_READ_PHONEBOOK, 177},
    {IDC_SHORTCUT_READ_DEVICE, 178},
};

const int kShortcuts[] = {IDC_SHORTCUT_SETTINGS,       IDC_SHORTCUT_INCOMING,
                          IDC_SHORTCUT_OUTGOING,       IDC_SHORTCUT_PHONEBOOK,
                          IDC_SHORTCUT_READ_PHONEBOOK, IDC_SHORTCUT_READ_DEVICE};

QImage Picture(const QIcon& icon, QSize size) {
    return icon.pixmap(size).toImage();
}

}  // namespace

class KeypadTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();

    void theFullKeypadLooksAsDrawn();
    void eachFamilyGetsItsForm();
    void theFormFitsItsScrollWidth();
    void keysReachTheSetAndTheDisplayShowsItsBuffer();
    void cancelClearsTheDisplay();
    void redialDialsTheDisplay();
    void microphoneAndSpeakerClicksSwitchTheirBits();
    void keysOfTheSetAreMirroredWithoutSwitchingAgain();
    void flashSetsItsBitAndEndsTheEcho();
    void aKeyOfTheSetTogglesTheButtonEndToEnd();
    void shortcutsAskTheFrameForTheirCommands();

  private:
    // A flash model holding the number buffer "120", register 0 = 0x04 and register 3 = 0x01.
    std::unique_ptr<fonerix::test::SimProcess> StartFlashSet();
    std::unique_ptr<CFonedeskApp> Start();

    std::unique_ptr<fonerix::test::SimProcess> m_set;
};

void KeypadTest::initTestCase() {
    Env().RegisterControl();
}

void KeypadTest::init() {
    m_set.reset();
    Env().NoSet();
    Env().RemoveProfile();
    Env().CreateDataSource();
}

std::unique_ptr<fonerix::test::SimProcess> KeypadTest::StartFlashSet() {
    const std::string scenario = Env().Folder() + "/keypad.txt";
    {
        std::ofstream out(scenario, std::ios::trunc);
        out << "type 5\n"
            << "register " << kState0 << " 4\n"
            << "register " << kState3 << " 1\n"
            << "register " << kNumberBuffer << " 3\n"
            << "register " << kNumberBuffer + 1 << " 1\n"
            << "register " << kNumberBuffer + 2 << " 2\n"
            << "register " << kNumberBuffer + 3 << " 10\n";
    }
    return Env().StartSet({.type = 5, .scenario = scenario});
}

std::unique_ptr<CFonedeskApp> KeypadTest::Start() {
    auto app = std::make_unique<CFonedeskApp>();
    if (!app->InitInstance()) {
        return nullptr;
    }
    if (!QTest::qWaitFor([&] { return !app->MainFrame()->Grid()->IsQueryRunning(); }, 20000)) {
        return nullptr;
    }
    return app;
}

void KeypadTest::theFullKeypadLooksAsDrawn() {
    m_set = StartFlashSet();
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CPhoneBoardView& view = *app->MainFrame()->PhoneBoard();
    QCOMPARE(view.DialogId(), IDD_PHONE_BOARD);

    const QColor white(0xFF, 0xFF, 0xFF);
    for (const auto& b : kFullButtons) {
        CFlatButton* button = view.Button(b.id);
        QVERIFY2(button != nullptr, QByteArray::number(b.id));
        QCOMPARE(button->Color(CFlatButton::BackgroundOut), white);
        QCOMPARE(button->Color(CFlatButton::BackgroundIn), white);
        QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
        const QString path = QStringLiteral(":/icons/key-%1.svg").arg(b.bitmap);
        const QSize size = QImageReader(path).size();
        QVERIFY2(size.isValid(), qPrintable(path));
        QCOMPARE(button->ImageSize(), size);
        QVERIFY(!Picture(button->Image(), size).isNull());
        QCOMPARE(Picture(button->Image(), size), Picture(QIcon(path), size));
        // Only the speaker and the microphone stay down.
        QCOMPARE(button->isCheckable(), b.id == IDC_KEY_SPEAKER || b.id == IDC_KEY_MICROPHONE);
    }
    QCOMPARE(view.Button(IDC_KEY_MICROPHONE)->toolTip(), U("Откл./вкл. микрофона"));
    QCOMPARE(view.Button(IDC_KEY_HOLD)->toolTip(),
             U("Удержание линии для перехода к паралл. аппарату"));
    QCOMPARE(view.Button(IDC_KEY_CANCEL)->toolTip(),
             U("Отмена операции или последней набранной цифры"));
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(view.Button(kShortcuts[i])->toolTip(), CommandPrompt(ID_DEVICE_SETTINGS + i));
    }
    QCOMPARE(view.Button(IDC_SHORTCUT_SETTINGS)->toolTip(),
             U("Программные и аппаратные настройки"));

    const struct {
        const char* name;
        const char* text;
    } labels[] = {{"IDC_LABEL_FLASH", "Flash"},
                  {"IDC_LABEL_PAUSE", "Pause"},
                  {"IDC_LABEL_REDIAL", "Redial"},
                  {"IDC_LABEL_SPEAKER", "Speaker"}};
    for (const auto& l : labels) {
        auto* label = view.findChild<CColorStatic*>(QLatin1String(l.name));
        QVERIFY2(label != nullptr, l.name);
        QCOMPARE(label->text(), U(l.text));
        QCOMPARE(label->BkColor(), white);
    }

    auto* display = view.findChild<QLineEdit*>(QStringLiteral("IDC_KEYPAD_DISPLAY"));
    QVERIFY(display != nullptr);
    QVERIFY(display->isReadOnly());
    QVERIFY(display->alignment() & Qt::AlignRight);
    QCOMPARE(display->font().family(), U("Times New Roman"));
    QCOMPARE(display->font().pixelSize(), 19);
    QVERIFY(display->font().bold());
    // The set's buffer from the start.
    QCOMPARE(view.DisplayText(), U("120"));

    // The view paints white: the keypad's own area, not only its buttons.
    CPhoneBoardView alone(app->MainFrame()->Fonerix(), 5);
    alone.resize(alone.ScrollWidth() + 20, 900);
    const QImage shot = alone.grab().toImage();
    QCOMPARE(QColor(shot.pixel(2, shot.height() - 2)), white);
    QCOMPARE(QColor(shot.pixel(shot.width() - 2, shot.height() - 2)), white);
    QVERIFY(prompts.messages.isEmpty());
}

void KeypadTest::eachFamilyGetsItsForm() {
    m_set = Env().StartSet({.type = 2});
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();
    CPhoneBoardView& view = *frame.PhoneBoard();
    QCOMPARE(frame.Device().devType, static_cast<decltype(frame.Device().devType)>(2));

    // The second family's form: the display and the six shortcuts, nothing else.
    QCOMPARE(view.DialogId(), IDD_PHONE_BOARD_SHORT);
    QStringList names;
    for (QAbstractButton* button : view.findChildren<QAbstractButton*>()) {
        names << button->objectName();
    }
    names.sort();
    QStringList shortcuts{"IDC_SHORTCUT_SETTINGS",       "IDC_SHORTCUT_INCOMING",
                          "IDC_SHORTCUT_OUTGOING",       "IDC_SHORTCUT_PHONEBOOK",
                          "IDC_SHORTCUT_READ_PHONEBOOK", "IDC_SHORTCUT_READ_DEVICE"};
    shortcuts.sort();
    QCOMPARE(names, shortcuts);
    QVERIFY(view.findChildren<CColorStatic*>().isEmpty());
    QVERIFY(view.findChild<QLineEdit*>(QStringLiteral("IDC_KEYPAD_DISPLAY")) != nullptr);
    for (int id : kShortcuts) {
        QVERIFY(view.Button(id) != nullptr);
    }
    QVERIFY(view.Button(IDC_KEY_0) == nullptr);

    // The form follows the type alone: 1 to 4 the short one, every other type the full keypad.
    for (int type = 0; type <= 8; ++type) {
        CPhoneBoardView other(frame.Fonerix(), type);
        QCOMPARE(other.DialogId(),
                 type >= 1 && type <= 4 ? IDD_PHONE_BOARD_SHORT : IDD_PHONE_BOARD);
        QCOMPARE(other.Button(IDC_KEY_0) != nullptr, !(type >= 1 && type <= 4));
    }

    // The set's speaker key has no button to follow on the short form, but its command runs:
    // register 3 is written back as the set has it and the key goes out.
    const short state3 = frame.Fonerix().GetStateRegister(3);
    QCOMPARE(StatusField(*m_set, "key"), std::string("-"));
    QCOMPARE(m_set->Command("key 33").substr(0, 2), std::string("ok"));
    QVERIFY(SetShows(*m_set, "key=33 "));
    QCOMPARE(frame.Fonerix().GetStateRegister(3), state3);
    QVERIFY(prompts.messages.isEmpty());
}

void KeypadTest::theFormFitsItsScrollWidth() {
    m_set = StartFlashSet();
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);

    for (int type : {5, 1}) {
        CPhoneBoardView view(app->MainFrame()->Fonerix(), type);
        auto* scroll = view.findChild<QScrollArea*>();
        QVERIFY(scroll != nullptr);
        QVERIFY(view.ScrollWidth() > 0);
        view.resize(view.ScrollWidth(), 900);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());
        // Narrower than that, the form scrolls instead of squeezing its keys.
        view.resize(view.ScrollWidth() - 30, 900);
        QTRY_VERIFY(scroll->horizontalScrollBar()->isVisible());
    }
}

void KeypadTest::keysReachTheSetAndTheDisplayShowsItsBuffer() {
    m_set = StartFlashSet();
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CPhoneBoardView& view = *app->MainFrame()->PhoneBoard();

    const struct {
        int id;
        int code;
        bool showsBuffer;
    } keys[] = {
        {IDC_KEY_0, 10, true},     {IDC_KEY_STAR, 11, true},  {IDC_KEY_HASH, 12, true},
        {IDC_KEY_1, 1, true},      {IDC_KEY_2, 2, true},      {IDC_KEY_3, 3, true},
        {IDC_KEY_4, 4, true},      {IDC_KEY_5, 5, true},      {IDC_KEY_6, 6, true},
        {IDC_KEY_7, 7, true},      {IDC_KEY_8, 8, true},      {IDC_KEY_9, 9, true},
        {IDC_KEY_PAUSE, 15, true}, {IDC_KEY_HOLD, 14, false},
    };
    for (const auto& k : keys) {
        // Something the set does not hold, so that the display's refresh is seen.
        view.ShowNumber(QStringLiteral("999"));
        QTest::mouseClick(view.Button(k.id), Qt::LeftButton);
        QVERIFY(SetShows(*m_set, "key=" + std::to_string(k.code) + " "));
        QCOMPARE(view.DisplayText(), k.showsBuffer ? U("120") : U("999"));
    }
    QVERIFY(prompts.messages.isEmpty());
}

void KeypadTest::cancelClearsTheDisplay() {
    m_set = StartFlashSet();
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();
    CPhoneBoardView& view = *frame.PhoneBoard();
    QCOMPARE(view.DisplayText(), U("120"));

    QTest::mouseClick(view.Button(IDC_KEY_CANCEL), Qt::LeftButton);
    // Cleared, though the set still holds "120": the buffer was not read back.
    QCOMPARE(view.DisplayText(), QString());
    // The set takes 0x40 as key 64 once the next byte shows it was not the sleep prefix.
    frame.Fonerix().GetStateRegister(0);
    QVERIFY(SetShows(*m_set, "key=64 "));
}

void KeypadTest::redialDialsTheDisplay() {
    m_set = StartFlashSet();
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CPhoneBoardView& view = *app->MainFrame()->PhoneBoard();

    view.ShowNumber(QStringLiteral("84951234567"));
    QTest::mouseClick(view.Button(IDC_KEY_REDIAL), Qt::LeftButton);
    QVERIFY(SetShows(*m_set, "dialled=\"84951234567\""));
}

void KeypadTest::microphoneAndSpeakerClicksSwitchTheirBits() {
    m_set = StartFlashSet();
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();
    CPhoneBoardView& view = *frame.PhoneBoard();
    CFonerix& set = frame.Fonerix();
    QSignalSpy stops(&view, &CPhoneBoardView::stopRinging);
    CFlatButton* microphone = view.Button(IDC_KEY_MICROPHONE);
    CFlatButton* speaker = view.Button(IDC_KEY_SPEAKER);

    QTest::mouseClick(microphone, Qt::LeftButton);
    QVERIFY(microphone->isChecked());
    QCOMPARE(set.GetStateRegister(0), short{0x06});
    QCOMPARE(set.GetStateRegister(3), short{0x01});
    QTest::mouseClick(microphone, Qt::LeftButton);
    QVERIFY(!microphone->isChecked());
    QCOMPARE(set.GetStateRegister(0), short{0x04});
    QCOMPARE(stops.count(), 0);
    QCOMPARE(StatusField(*m_set, "key"), std::string("-"));

    // The speaker ends a ringing call through the frame's tray.
    QCOMPARE(m_set->Command("dialling 555").substr(0, 2), std::string("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsRinging(), 10000);
    QTest::mouseClick(speaker, Qt::LeftButton);
    QVERIFY(speaker->isChecked());
    QCOMPARE(stops.count(), 1);
    QVERIFY(SetShows(*m_set, "key=33 "));
    QCOMPARE(set.GetStateRegister(3), short{0x21});
    QCOMPARE(set.GetStateRegister(0), short{0x04});
    QTRY_VERIFY(!frame.IsRinging());
    QTest::mouseClick(speaker, Qt::LeftButton);
    QVERIFY(!speaker->isChecked());
    QCOMPARE(set.GetStateRegister(3), short{0x01});
    QCOMPARE(stops.count(), 2);
}

void KeypadTest::keysOfTheSetAreMirroredWithoutSwitchingAgain() {
    m_set = StartFlashSet();
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();
    CPhoneBoardView& view = *frame.PhoneBoard();
    CFonerix& set = frame.Fonerix();
    QSignalSpy stops(&view, &CPhoneBoardView::stopRinging);
    CFlatButton* microphone = view.Button(IDC_KEY_MICROPHONE);
    CFlatButton* speaker = view.Button(IDC_KEY_SPEAKER);

    // Speaker (33): posted, so nothing happens before the handler returns to the event loop.
    long changes = Changes(*m_set);
    view.MirrorDeviceKey(33);
    QVERIFY(!speaker->isChecked());
    QCOMPARE(stops.count(), 0);
    QTRY_VERIFY(speaker->isChecked());
    QCOMPARE(stops.count(), 1);
    // The key still goes to the set; register 3 is written back as the set has it.
    QVERIFY(SetShows(*m_set, "key=33 "));
    QCOMPARE(Changes(*m_set), changes + 1);
    QCOMPARE(set.GetStateRegister(3), short{0x01});

    // Microphone (31): the button follows, register 0 is written back unchanged, no key.
    changes = Changes(*m_set);
    view.MirrorDeviceKey(31);
    QTRY_VERIFY(microphone->isChecked());
    // The read's answer also shows that the set has taken every byte sent before it.
    QCOMPARE(set.GetStateRegister(0), short{0x04});
    QCOMPARE(Changes(*m_set), changes + 1);
    QCOMPARE(StatusField(*m_set, "key"), std::string("33"));
    QCOMPARE(stops.count(), 1);

    // The echo was used up: the next clicks switch the registers again.
    QTest::mouseClick(microphone, Qt::LeftButton);
    QVERIFY(!microphone->isChecked());
    QCOMPARE(set.GetStateRegister(0), short{0x06});
    QTest::mouseClick(speaker, Qt::LeftButton);
    QCOMPARE(set.GetStateRegister(3), short{0x21});

    // Two keys of the set before either command ran: neither register is switched a second time.
    view.MirrorDeviceKey(31);
    view.MirrorDeviceKey(33);
    QTRY_VERIFY(microphone->isChecked() && speaker->isChecked());
    QCOMPARE(set.GetStateRegister(0), short{0x06});
    QCOMPARE(set.GetStateRegister(3), short{0x21});

    // Other codes post nothing: a call posted after them finds nothing run before it.
    changes = Changes(*m_set);
    for (int code : {1, 10, 14, 32, 64}) {
        view.MirrorDeviceKey(code);
    }
    bool drained = false;
    QMetaObject::invokeMethod(
        &view, [&drained] { drained = true; }, Qt::QueuedConnection);
    QTRY_VERIFY(drained);
    set.GetStateRegister(0);
    QCOMPARE(Changes(*m_set), changes);
    QVERIFY(microphone->isChecked() && speaker->isChecked());
    QCOMPARE(stops.count(), 3);
}

void KeypadTest::flashSetsItsBitAndEndsTheEcho() {
    m_set = StartFlashSet();
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();
    CPhoneBoardView& view = *frame.PhoneBoard();
    CFonerix& set = frame.Fonerix();
    QSignalSpy stops(&view, &CPhoneBoardView::stopRinging);

    // Flash pressed on the set (13).
    view.MirrorDeviceKey(13);
    QCOMPARE(stops.count(), 0);
    QTRY_COMPARE(stops.count(), 1);
    QVERIFY(SetShows(*m_set, "key=13 "));
    QCOMPARE(set.GetStateRegister(3), short{0x11});
    // The echo went with it: a click on the microphone switches bit 1 of register 0.
    QTest::mouseClick(view.Button(IDC_KEY_MICROPHONE), Qt::LeftButton);
    QCOMPARE(set.GetStateRegister(0), short{0x06});

    // A click on flash keeps a bit 4 that is already set, and sends the key again.
    QTest::mouseClick(view.Button(IDC_KEY_5), Qt::LeftButton);
    QVERIFY(SetShows(*m_set, "key=5 "));
    QTest::mouseClick(view.Button(IDC_KEY_FLASH), Qt::LeftButton);
    QCOMPARE(stops.count(), 2);
    QCOMPARE(set.GetStateRegister(3), short{0x11});
    QVERIFY(SetShows(*m_set, "key=13 "));
}

void KeypadTest::aKeyOfTheSetTogglesTheButtonEndToEnd() {
    m_set = StartFlashSet();
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();
    CPhoneBoardView& view = *frame.PhoneBoard();
    CFonerix& set = frame.Fonerix();

    // The set's microphone key comes as an event: the frame mirrors it on the keypad, and the
    // register stays as the set has it, with no key sent back.
    QCOMPARE(m_set->Command("key 31").substr(0, 2), std::string("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(view.Button(IDC_KEY_MICROPHONE)->isChecked(), 10000);
    QCOMPARE(set.GetStateRegister(0), short{0x04});
    QCOMPARE(StatusField(*m_set, "key"), std::string("-"));
    QCOMPARE(view.DisplayText(), U("120"));
    QVERIFY(prompts.messages.isEmpty());
}

void KeypadTest::shortcutsAskTheFrameForTheirCommands() {
    m_set = StartFlashSet();
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();

    // Each shortcut of either form asks for its command, 32801 to 32806.
    for (int type : {5, 1}) {
        CPhoneBoardView view(frame.Fonerix(), type);
        QSignalSpy commands(&view, &CPhoneBoardView::command);
        for (int id : kShortcuts) {
            QTest::mouseClick(view.Button(id), Qt::LeftButton);
        }
        QCOMPARE(commands.count(), 6);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(commands.at(i).at(0).toInt(), ID_DEVICE_SETTINGS + i);
        }
    }

    // In the frame the command runs: the list switches to the outgoing calls and back.
    CPhoneBoardView& view = *frame.PhoneBoard();
    QSignalSpy commands(&view, &CPhoneBoardView::command);
    QTest::mouseClick(view.Button(IDC_SHORTCUT_OUTGOING), Qt::LeftButton);
    QTRY_COMPARE(frame.Grid()->CurrentTable(), QStringLiteral("out_data"));
    QTRY_VERIFY(!frame.Grid()->IsQueryRunning());
    QTest::mouseClick(view.Button(IDC_SHORTCUT_INCOMING), Qt::LeftButton);
    QTRY_COMPARE(frame.Grid()->CurrentTable(), QStringLiteral("in_data"));
    QCOMPARE(commands.count(), 2);
    QVERIFY(prompts.messages.isEmpty());
}

int main(int argc, char** argv) {
    // The throwaway profile, data source and folders first, before anything reads them.
    CClientTestEnvironment::Instance();
    QApplication app(argc, argv);
    KeypadTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "KeypadTest.moc"
