// The set's events through the real main frame, the simulated set and a throwaway FNDB: what the
// status bar, the keypad's display, the tray and the incoming-call pop-up show; dialling a row
// and playing its voice message.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTableView>
#include <QTest>
#include <fstream>
#include <regex>

#include "client/device/VoiceMessages.h"
#include "client/resources/Strings.h"
#include "client/shell/DataGridView.h"
#include "client/shell/FonedeskApp.h"
#include "client/shell/GridModel.h"
#include "client/shell/MainFrame.h"
#include "client/shell/PhoneBoardView.h"
#include "client/shell/PlayerWindow.h"
#include "client/shell/SystemTray.h"
#include "platform/codepage/Cp1251.h"
#include "platform/profile/FonedeskProfile.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"
#include "tests/client/shell/support/ModalAnswerer.h"
#include "tests/support/VoiceFiles.h"

using fonedesk::CFonedeskApp;
using fonedesk::CMainFrame;
using fonedesk::CSystemTray;
using fonedesk::test::CClientTestEnvironment;
using fonedesk::test::CModalAnswerer;
using fonedesk::test::CPromptRecorder;
namespace profile = platform::fonedesk_profile;

namespace {

CClientTestEnvironment& Env() {
    return CClientTestEnvironment::Instance();
}

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

platform::ProfileFile Profile() {
    return platform::ProfileFile(Env().ProfilePath());
}

// Whether the tray shows the picture of icon `id` now.
bool TrayShows(const CSystemTray& tray, int id) {
    const QSize size(16, 16);
    return tray.Icon().pixmap(size).toImage() == CSystemTray::LoadIcon(id).pixmap(size).toImage();
}

// A reference file of `lines` (UTF-8, written in Windows-1251 with CR LF); its path.
std::string WriteReference(const std::string& name, const std::vector<std::string>& lines) {
    const std::string path = Env().Folder() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) {
        out << platform::Utf8ToCp1251(line) << "\r\n";
    }
    return path;
}

// The set's count of bytes received, from its status line.
long Received(fonerix::test::SimProcess& set) {
    static const std::regex pattern("received=([0-9]+)");
    std::smatch match;
    const std::string status = set.Command("status");
    return std::regex_search(status, match, pattern) ? std::stol(match[1]) : -1;
}

}  // namespace

class EventsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();

    void eventsShowTheirTextsAndStopTheRinging();
    void incomingCallRingsAndShowsThePopupWithTheCaller();
    void callsWithoutAKnownNumberRingWithoutAPopup();
    void popupCanBeSwitchedOff();
    void aSecondCallKeepsTheFirstFramesAndShowsTheNewNumber();
    void keysPressedOnTheSetRefreshTheDisplay();
    void aRowIsDialled();
    void aVoiceMessageIsReadFromTheSetOnlyOnce();
    void aVoiceMessageThatCannotBeReadIsReported();

  private:
    std::unique_ptr<CFonedeskApp> Start();

    std::unique_ptr<fonerix::test::SimProcess> m_set;
};

void EventsTest::initTestCase() {
    Env().RegisterControl();
}

void EventsTest::init() {
    m_set.reset();
    Env().NoSet();
    Env().RemoveProfile();
    Env().CreateDataSource();
}

std::unique_ptr<CFonedeskApp> EventsTest::Start() {
    auto app = std::make_unique<CFonedeskApp>();
    if (!app->InitInstance()) {
        return nullptr;
    }
    if (!QTest::qWaitFor([&] { return !app->MainFrame()->Grid()->IsQueryRunning(); }, 20000)) {
        return nullptr;
    }
    return app;
}

void EventsTest::eventsShowTheirTextsAndStopTheRinging() {
    m_set = Env().StartSet({.type = 5});
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();
    CSystemTray& tray = *frame.Tray();

    // Each command rings first where the event should stop it, so that "stops" is observed.
    const struct {
        const char* command;
        const char* shown;
        bool stopsRinging;
    } cases[] = {
        {"end", "Окончание разговора", true},
        {"up", "Снятие трубки", true},
        {"down", "Укладывание трубки", true},
        {"parallel-up", "Снятие трубки на // аппарате", true},
        {"linked", "Установление  связи при автодозвоне", false},
        {"failed", "Отсутствие связи при автодозвоне", false},
        {"busy", "Обнаружение тона ~занято~ при автодозвоне", false},
    };
    for (const auto& c : cases) {
        QCOMPARE(m_set->Command("dialling 555").substr(0, 2), std::string("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(frame.StatusText(), U("Набор номера на // аппарате"), 10000);
        QVERIFY(frame.IsRinging());
        QCOMPARE(m_set->Command(c.command).substr(0, 2), std::string("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(frame.StatusText(), U(c.shown), 10000);
        QCOMPARE(frame.IsRinging(), !c.stopsRinging);
        if (c.stopsRinging) {
            QVERIFY(!tray.IsAnimating());
            QVERIFY(TrayShows(tray, fonedesk::IDR_MAINFRAME));
            QCOMPARE(tray.TooltipText(), fonedesk::LoadString(fonedesk::AFX_IDS_APP_TITLE));
        } else {
            QVERIFY(tray.IsAnimating());
            frame.StopRinging();
        }
    }
    // The frame's own request (the keypad's) stops it as well.
    QCOMPARE(m_set->Command("dialling 555").substr(0, 2), std::string("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsRinging(), 10000);
    frame.StopRinging();
    QVERIFY(!frame.IsRinging());
    QVERIFY(!tray.IsAnimating());
    // No parallel dialling opens a pop-up.
    QVERIFY(answers.recordTitles.isEmpty());
    QVERIFY(prompts.messages.isEmpty());
}

void EventsTest::incomingCallRingsAndShowsThePopupWithTheCaller() {
    // Three reference files; the first is missing (skipped), the number of the second call is
    // only in the third, which also lists the first call's number under another name.
    const std::string second = WriteReference("second.csv", {"1111,Один", "2222,Два"});
    const std::string third =
        WriteReference("third.csv", {"0123,Чужое имя,не то", "3333,Третий,из справочника", "4444"});
    {
        platform::ProfileFile ini = Profile();
        QVERIFY(
            profile::WritePhoneReferences(ini, {Env().Folder() + "/missing.csv", second, third}));
    }
    Env().Exec(
        {"INSERT INTO phone_book (PHONE,ABONENT,COMMENT) "
         "VALUES('0123','Анна Петровна','соседка')"});
    m_set = Env().StartSet({.type = 5});
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();
    CSystemTray& tray = *frame.Tray();

    const struct {
        const char* number;
        const char* subscriber;
        const char* comment;
    } cases[] = {
        {"0123", "Анна Петровна", "соседка"},  // the phone book wins over the file
        {"3333", "Третий", "из справочника"},  // only in the third file
        {"4444", "", ""},                      // a line with only the number
        {"5555", "", ""},                      // nowhere
    };
    for (const auto& c : cases) {
        const int shown = static_cast<int>(answers.recordTitles.size());
        QCOMPARE(m_set->Command(std::string("call ") + c.number).substr(0, 2), std::string("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(answers.recordTitles.size(), shown + 1, 10000);
        QCOMPARE(answers.recordTitles.last(), U("Входящий вызов..."));
        QCOMPARE(answers.recordPhones.last(), U(c.number));
        QCOMPARE(answers.recordSubscribers.last(), U(c.subscriber));
        QCOMPARE(answers.recordComments.last(), U(c.comment));
        QCOMPARE(frame.StatusText(), U("Входящий вызов"));
        QCOMPARE(frame.PhoneBoard()->DisplayText(), U(c.number));
        QVERIFY(frame.IsRinging());
        QVERIFY(tray.IsAnimating());
        QCOMPARE(tray.TooltipText(), U(c.number));
        // The pop-up only informs: what it showed is not stored anywhere.
        QCOMPARE(Env().Column("SELECT PHONE FROM phone_book"), std::vector<std::string>{"0123"});
        QCOMPARE(m_set->Command("up").substr(0, 2), std::string("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(!frame.IsRinging(), 10000);
    }
    QVERIFY(prompts.messages.isEmpty());
}

void EventsTest::callsWithoutAKnownNumberRingWithoutAPopup() {
    m_set = Env().StartSet({.type = 5});
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();

    // "_" is the set's number it could not read; an empty frame gives no number at all.
    for (const char* command : {"call _", "raw FF C1 00"}) {
        QCOMPARE(m_set->Command(command).substr(0, 2), std::string("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(frame.IsRinging(), 10000);
        QCOMPARE(frame.StatusText(), U("Входящий вызов"));
        // A later event proves the call's handler has returned without a pop-up.
        QCOMPARE(m_set->Command("end").substr(0, 2), std::string("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(!frame.IsRinging(), 10000);
    }
    QVERIFY(answers.recordTitles.isEmpty());
}

void EventsTest::popupCanBeSwitchedOff() {
    {
        platform::ProfileFile ini = Profile();
        ini.WriteInt(profile::kProgramOptions, profile::kOncallPopup, 0);
    }
    m_set = Env().StartSet({.type = 5});
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();

    QCOMPARE(m_set->Command("call 0123").substr(0, 2), std::string("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsRinging(), 10000);
    QCOMPARE(frame.Tray()->TooltipText(), U("0123"));
    QCOMPARE(frame.PhoneBoard()->DisplayText(), U("0123"));
    QCOMPARE(m_set->Command("end").substr(0, 2), std::string("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(!frame.IsRinging(), 10000);
    QVERIFY(answers.recordTitles.isEmpty());
}

void EventsTest::aSecondCallKeepsTheFirstFramesAndShowsTheNewNumber() {
    {
        platform::ProfileFile ini = Profile();
        ini.WriteInt(profile::kProgramOptions, profile::kOncallPopup, 0);
    }
    m_set = Env().StartSet({.type = 5});
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();
    CSystemTray& tray = *frame.Tray();

    QCOMPARE(m_set->Command("dialling 111").substr(0, 2), std::string("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsRinging(), 10000);
    QCOMPARE(m_set->Command("call 222").substr(0, 2), std::string("ok"));
    QTRY_COMPARE_WITH_TIMEOUT(tray.TooltipText(), U("222"), 10000);
    QCOMPARE(frame.StatusText(), U("Входящий вызов"));
    // The frames are still those of the parallel dialling: 152, then 153.
    QCOMPARE(tray.IconCount(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(tray.CurrentIconIndex(), 0, 5000);
    QVERIFY(TrayShows(tray, fonedesk::IDI_RING_PARALLEL));
    QTRY_COMPARE_WITH_TIMEOUT(tray.CurrentIconIndex(), 1, 5000);
    QVERIFY(TrayShows(tray, fonedesk::IDI_RING_OFF));

    // After the ringing ends, a call rings with its own frames.
    frame.StopRinging();
    QCOMPARE(m_set->Command("call 333").substr(0, 2), std::string("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(frame.IsRinging(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(tray.CurrentIconIndex(), 0, 5000);
    QVERIFY(TrayShows(tray, fonedesk::IDI_RING_CALL));
}

void EventsTest::keysPressedOnTheSetRefreshTheDisplay() {
    m_set = Env().StartSet({.type = 5});
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();

    // A number dialled is in the set's number buffer; a key pressed on the set itself then makes
    // the display show that buffer again.
    frame.Fonerix().DialNumber(QStringLiteral("7301"));
    const QString buffer = frame.Fonerix().GetDeviceBuffer();
    QVERIFY2(!buffer.isEmpty(), qPrintable(buffer));
    frame.PhoneBoard()->ShowNumber(QString());
    QCOMPARE(m_set->Command("key 5").substr(0, 2), std::string("ok"));
    QTRY_COMPARE_WITH_TIMEOUT(frame.PhoneBoard()->DisplayText(), buffer, 10000);
    // The status bar is left as it was by a key.
    QVERIFY(frame.StatusText() != U("Входящий вызов"));
    QVERIFY(!frame.IsRinging());
}

void EventsTest::aRowIsDialled() {
    Env().Exec(
        {"INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
         "VALUES('x','_','07-05-03 14:09',5,0,0,1,0)",
         "INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
         "VALUES('y','84951234567','07-05-03 14:10',5,0,0,2,0)"});
    m_set = Env().StartSet({.type = 5});
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();
    fonedesk::CDataGridView& grid = *frame.Grid();
    QTRY_COMPARE(grid.Model()->rowCount(), 2);

    auto dialRowOf = [&](const char* number) {
        for (int row = 0; row < grid.Model()->rowCount(); ++row) {
            if (grid.GetRowPhone(grid.Model()->Rid(row)) == U(number)) {
                grid.TableView()->selectRow(row);
                frame.Action(fonedesk::ID_DIAL_RECORD)->trigger();
                return true;
            }
        }
        return false;
    };
    // "_" is no number to dial: nothing reaches the set.
    const long before = Received(*m_set);
    QVERIFY(dialRowOf("_"));
    QCOMPARE(Received(*m_set), before);
    QVERIFY(dialRowOf("84951234567"));
    m_set->WaitForStatus("dialled=\"84951234567\"");
}

void EventsTest::aVoiceMessageIsReadFromTheSetOnlyOnce() {
    const std::string wav = Env().Folder() + "/tone.wav";
    fonerix::test::WriteBytes(wav, fonerix::test::WavBytes(fonerix::test::Sine(11025, 11025)));
    const std::string scenario = Env().Folder() + "/voice.txt";
    {
        std::ofstream out(scenario, std::ios::trunc);
        out << "type 5\nvoice tone.wav\n";
    }
    m_set = Env().StartSet({.type = 5, .scenario = scenario});
    const std::string dump = m_set->DumpLists();
    static const std::regex message("voice message handle=([0-9]+)");
    std::smatch match;
    QVERIFY2(std::regex_search(dump, match, message), dump.c_str());
    const int handle = std::stoi(match[1]);
    Env().Exec(
        {"INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
         "VALUES('a','0123','07-05-03 14:09',5,0,0,1," +
             std::to_string(handle) + ")",
         "INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
         "VALUES('b','0124','07-05-03 14:10',5,0,0,2,0)"});
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();
    const int rid = std::stoi(Env().Column("SELECT RID FROM in_data WHERE PHONE='0123'").at(0));
    const int silentRid =
        std::stoi(Env().Column("SELECT RID FROM in_data WHERE PHONE='0124'").at(0));

    // A row without a message does nothing.
    frame.PlayRecordSound(silentRid);
    QVERIFY(frame.PlayerWindows().isEmpty());

    const QString folder =
        QString::fromStdString(Profile().GetString(profile::kVoiceOptions, profile::kVoiceDir));
    const QString path = folder + fonedesk::VoiceMessageFileName(rid, static_cast<quint16>(handle),
                                                                 frame.Device().IdZelta);
    QVERIFY(path.endsWith(QStringLiteral("_DEV%1.wav")
                              .arg(frame.Device().IdZelta, 8, 16, QLatin1Char('0'))
                              .toUpper()
                              .replace(QStringLiteral(".WAV"), QStringLiteral(".wav"))));
    QVERIFY(!QFileInfo::exists(path));

    const long start = Received(*m_set);
    frame.PlayRecordSound(rid);
    QVERIFY(QFileInfo(path).size() > 44);
    const long afterFirst = Received(*m_set);
    QVERIFY(afterFirst > start);
    QCOMPARE(frame.PlayerWindows().size(), 1);
    QCOMPARE(frame.PlayerWindows().at(0)->FilePath(), path);
    // The message as it came from the set opens in the player with its length (one second).
    QTRY_COMPARE_WITH_TIMEOUT(frame.PlayerWindows().at(0)->TimeText(),
                              QStringLiteral("0:00 / 0:01"), 10000);

    // The file is in the folder now: the second request opens a second player on it and asks
    // the set for nothing.
    frame.PlayRecordSound(rid);
    QCOMPARE(Received(*m_set), afterFirst);
    QCOMPARE(frame.PlayerWindows().size(), 2);
    QVERIFY(prompts.messages.isEmpty());

    // The players close with the program's window.
    QVERIFY(frame.close());
    QTRY_VERIFY(frame.PlayerWindows().isEmpty());
}

void EventsTest::aVoiceMessageThatCannotBeReadIsReported() {
    Env().Exec(
        {"INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
         "VALUES('a','0123','07-05-03 14:09',5,0,0,1,40)"});
    // No set: the message cannot come from anywhere.
    CPromptRecorder prompts;
    CModalAnswerer answers;
    std::unique_ptr<CFonedeskApp> app = Start();
    QVERIFY(app != nullptr);
    CMainFrame& frame = *app->MainFrame();
    prompts.messages.clear();
    const int rid = std::stoi(Env().Column("SELECT RID FROM in_data").at(0));
    frame.PlayRecordSound(rid);
    QCOMPARE(prompts.messages.size(), 1);
    QVERIFY(prompts.messages.at(0).startsWith(U("Ошибка в процессе чтения звукового сообщения")));
    QVERIFY(frame.PlayerWindows().isEmpty());

    // A folder the user chose and removed is not made behind their back; the message says so.
    const QString gone = QString::fromStdString(Env().Folder()) + QStringLiteral("/gone/");
    {
        platform::ProfileFile ini = Profile();
        ini.WriteString(profile::kVoiceOptions, profile::kVoiceDir, gone.toStdString());
    }
    frame.PlayRecordSound(rid);
    QCOMPARE(prompts.messages.size(), 2);
    QVERIFY(prompts.messages.at(1).contains(gone));
    QVERIFY(!QFileInfo::exists(gone));
}

int main(int argc, char** argv) {
    // The throwaway profile, data source and folders first, before anything reads them.
    CClientTestEnvironment::Instance();
    QApplication app(argc, argv);
    EventsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "EventsTest.moc"
