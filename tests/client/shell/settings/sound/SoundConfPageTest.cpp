// The page "Работа со звуком" through the real main frame, a simulated first-family set and a
// throwaway FNDB: the greeting and the alarm message read into the voice folder, written from a
// WAV file and deleted, the buttons each step leaves, the player, the voice folder, and the
// message length and sound volume as the set keeps them.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <regex>

#include "client/device/Fonerix.h"
#include "client/device/VoiceMessages.h"
#include "client/shell/DataGridView.h"
#include "client/shell/FlatButton.h"
#include "client/shell/FonedeskApp.h"
#include "client/shell/MainFrame.h"
#include "client/shell/PlayerWindow.h"
#include "client/shell/settings/ArrowSpinBox.h"
#include "client/shell/settings/ReleaseSlider.h"
#include "client/shell/settings/SettingsSheet.h"
#include "client/shell/settings/SoundConfPage.h"
#include "platform/profile/FonedeskProfile.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"
#include "tests/support/VoiceFiles.h"

using fonedesk::CFlatButton;
using fonedesk::CMainFrame;
using fonedesk::CPlayerWindow;
using fonedesk::CSoundConfPage;
using fonedesk::FileDialogRequest;
using fonedesk::test::CClientTestEnvironment;
using fonedesk::test::CPromptRecorder;
namespace profile = platform::fonedesk_profile;

namespace {

CClientTestEnvironment& Env() {
    return CClientTestEnvironment::Instance();
}

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString VoiceDir() {
    const platform::ProfileFile ini(Env().ProfilePath());
    return QString::fromStdString(ini.GetString(profile::kVoiceOptions, profile::kVoiceDir));
}

std::string InFolder(const std::string& name) {
    return Env().Folder() + "/" + name;
}

// A scenario file of `text` beside the sound files it names; its path.
std::string WriteScenario(const std::string& text) {
    const std::string path = InFolder("set.txt");
    std::ofstream(path, std::ios::trunc) << text;
    return path;
}

constexpr int kRate = 11025;

// What the scenarios record: a low tone as the greeting, a higher and shorter one as the alarm.
std::vector<std::uint8_t> GreetingSound() {
    return fonerix::test::Sine(kRate, kRate, 300, 60);
}
std::vector<std::uint8_t> AlarmSound() {
    return fonerix::test::Sine(8000, kRate, 1100, 50);
}

std::string GreetingScenario(bool alarm = false) {
    fonerix::test::WriteBytes(InFolder("greeting.wav"), fonerix::test::WavBytes(GreetingSound()));
    fonerix::test::WriteBytes(InFolder("alarm.wav"), fonerix::test::WavBytes(AlarmSound()));
    return WriteScenario(std::string("type 5\nvoice greeting.wav special=1\n") +
                         (alarm ? "voice alarm.wav special=2\n" : ""));
}

// The samples of a WAV file's "data" chunk.
std::vector<std::uint8_t> WavSamples(const QString& path) {
    const std::vector<std::uint8_t> bytes = fonerix::test::ReadBytes(path.toStdString());
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t size = bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 |
                                   static_cast<std::uint32_t>(bytes[at + 7]) << 24;
        if (std::memcmp(&bytes[at], "data", 4) == 0) {
            const std::size_t end = std::min<std::size_t>(at + 8 + size, bytes.size());
            return {bytes.begin() + static_cast<std::ptrdiff_t>(at + 8),
                    bytes.begin() + static_cast<std::ptrdiff_t>(end)};
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

// Pearson's correlation over the shorter of the two: near 1 for the same sound, near -1 for
// the same sound inverted, near 0 for another.
double Correlation(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    const std::size_t n = std::min(a.size(), b.size());
    if (n == 0) {
        return 0;
    }
    double meanA = 0;
    double meanB = 0;
    for (std::size_t i = 0; i < n; ++i) {
        meanA += a[i];
        meanB += b[i];
    }
    meanA /= double(n);
    meanB /= double(n);
    double cov = 0;
    double varA = 0;
    double varB = 0;
    for (std::size_t i = 0; i < n; ++i) {
        cov += (a[i] - meanA) * (b[i] - meanB);
        varA += (a[i] - meanA) * (a[i] - meanA);
        varB += (b[i] - meanB) * (b[i] - meanB);
    }
    return varA > 0 && varB > 0 ? cov / std::sqrt(varA * varB) : 0;
}

// Entry `index` of the set's handle table, asked past the page.
short SetHandle(fonedesk::CFonerix& device, int index) {
    short table[4] = {};
    return device.GetSoundHandles(table, 4) >= index + 1 ? table[index] : short(-1);
}

long Received(fonerix::test::SimProcess& set) {
    static const std::regex pattern("received=([0-9]+)");
    std::smatch match;
    const std::string status = set.Command("status");
    return std::regex_search(status, match, pattern) ? std::stol(match[1]) : -1;
}

long Changes(fonerix::test::SimProcess& set) {
    static const std::regex pattern("changes=([0-9]+)");
    std::smatch match;
    const std::string status = set.Command("status");
    return std::regex_search(status, match, pattern) ? std::stol(match[1]) : -1;
}

QList<CPlayerWindow*> Players() {
    QList<CPlayerWindow*> players;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* player = qobject_cast<CPlayerWindow*>(widget); player && player->isVisible()) {
            players.append(player);
        }
    }
    return players;
}

const char* const kGreetingButtons[] = {"IDC_SOUND_GREETING_READ", "IDC_SOUND_GREETING_WRITE",
                                        "IDC_SOUND_GREETING_DELETE", "IDC_SOUND_GREETING_PLAY"};
const char* const kAlarmButtons[] = {"IDC_SOUND_ALARM_READ", "IDC_SOUND_ALARM_WRITE",
                                     "IDC_SOUND_ALARM_DELETE", "IDC_SOUND_ALARM_PLAY"};
enum { kRead, kWrite, kDelete, kPlay };

}  // namespace

class SoundConfPageTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void buttonsCarryTheirImagesTipsAndTheHand();
    void greetingAndAlarmAreReadIntoTheVoiceFolder();
    void aWavWrittenAsTheGreetingIsReadBackAfterRefresh();
    void deletingFreesTheSpaceAndLeavesTheFile();
    void writingNeedsMoreThanTwoSpecialHandles_data();
    void writingNeedsMoreThanTwoSpecialHandles();
    void cancellingTheFileAfterTheOldGreetingLeavesNone();
    void aFileTheSetRefusesIsReported();
    void aMessageErasedBehindThePagesBackIsReported();
    void playOpensAPlayerOnTheRowsFileEvenWhenItIsGone();
    void aChosenFolderBecomesVoiceDirWithASlash();
    void recordTimeAndVolumeReachTheSetAsTheyChange();
    void aTableThatCannotBeReadLeavesNoMessageBehind();

  private:
    // The set (from `scenario` when not empty), the program against it, and the page shown.
    bool Start(int type, const std::string& scenario = {});
    CMainFrame& Frame() { return *m_app->MainFrame(); }
    CFlatButton* Button(const char* name) { return m_page->findChild<CFlatButton*>(name); }
    QPushButton* Push(const char* name) { return m_page->findChild<QPushButton*>(name); }
    void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    QString SpecialFile(short handle) {
        return VoiceDir() + QString::asprintf("RID0000_TRACK%05X_DEV%08X.wav",
                                              unsigned(quint16(handle)),
                                              unsigned(Frame().Device().IdZelta));
    }

    std::unique_ptr<fonerix::test::SimProcess> m_set;
    std::unique_ptr<CPromptRecorder> m_prompts;
    std::unique_ptr<fonedesk::CFonedeskApp> m_app;
    std::unique_ptr<fonedesk::CSettingsSheet> m_sheet;
    std::unique_ptr<CSoundConfPage> m_ownPage;
    CSoundConfPage* m_page = nullptr;
};

void SoundConfPageTest::initTestCase() {
    Env().RegisterControl();
}

void SoundConfPageTest::init() {
    Env().NoSet();
    Env().RemoveProfile();
    Env().CreateDataSource();
    // Messages read by an earlier case must not be found in the folder.
    QDir(fonedesk::DefaultVoiceFolder()).removeRecursively();
    m_prompts = std::make_unique<CPromptRecorder>();
}

void SoundConfPageTest::cleanup() {
    for (CPlayerWindow* player : Players()) {
        player->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_page = nullptr;
    m_ownPage.reset();
    m_sheet.reset();
    m_app.reset();
    m_prompts.reset();
    m_set.reset();
}

bool SoundConfPageTest::Start(int type, const std::string& scenario) {
    m_set = Env().StartSet({.type = type, .scenario = scenario});
    m_app = std::make_unique<fonedesk::CFonedeskApp>();
    if (!m_app->InitInstance() ||
        !QTest::qWaitFor([&] { return !Frame().Grid()->IsQueryRunning(); }, 20000) ||
        Frame().Device().inUse == 0) {
        return false;
    }
    m_ownPage = std::make_unique<CSoundConfPage>(Frame().Fonerix(), Frame().Device());
    m_page = m_ownPage.get();
    m_page->Refresh();
    m_page->show();
    return QTest::qWaitForWindowExposed(m_page);
}

void SoundConfPageTest::buttonsCarryTheirImagesTipsAndTheHand() {
    // No set: the page is made and refreshed all the same, disabled, with nothing to offer.
    fonedesk::CFonerix wrapper;
    const fonerix::DEVICEINFO none{};
    CSoundConfPage page(wrapper, none);
    page.Refresh();
    QVERIFY(!page.isEnabled());
    QCOMPARE(page.Title(), U("Работа со звуком"));

    const struct {
        const char* resource;
        const char* tooltip;
    } images[] = {
        {":/icons/sound-211-read.svg", "Считать звуковое сообщение из устройства..."},
        {":/icons/sound-211-write.svg", "Записать звуковой файл в устройство..."},
        {":/icons/sound-211-delete.svg", "Удалить текущее звуковое сообщение..."},
        {":/icons/sound-211-play.svg", "Воспроизвести считанное звуковое сообщение..."},
    };
    QList<QImage> drawn;
    for (const auto* row : {kGreetingButtons, kAlarmButtons}) {
        for (int image = 0; image < 4; ++image) {
            auto* button = page.findChild<CFlatButton*>(row[image]);
            QVERIFY2(button != nullptr, row[image]);
            QCOMPARE(button->toolTip(), U(images[image].tooltip));
            QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
            QVERIFY(button->isFlat());
            QCOMPARE(button->ImageSize(), QSize(16, 16));
            const QImage face = button->Image().pixmap(QSize(16, 16)).toImage();
            QVERIFY(!face.isNull());
            QCOMPARE(
                face,
                QIcon(QString::fromLatin1(images[image].resource)).pixmap(QSize(16, 16)).toImage());
            if (row == kGreetingButtons) {
                drawn.append(face);
            }
            // Nothing read: no message to read, delete or play, and no count to write by.
            QVERIFY2(!button->isEnabledTo(&page), row[image]);
        }
    }
    // Four different pictures, not one drawn four times.
    for (int i = 0; i < drawn.size(); ++i) {
        for (int j = i + 1; j < drawn.size(); ++j) {
            QVERIFY(drawn[i] != drawn[j]);
        }
    }
    QCOMPARE(page.findChild<QPushButton*>("IDC_SOUND_FREE_SPACE")->text(), QStringLiteral("_"));
}

void SoundConfPageTest::greetingAndAlarmAreReadIntoTheVoiceFolder() {
    QVERIFY(Start(5, GreetingScenario(true)));
    const short greeting = SetHandle(Frame().Fonerix(), 0);
    const short alarm = SetHandle(Frame().Fonerix(), 1);
    QVERIFY(greeting > 0 && alarm > 0 && greeting != alarm);
    QCOMPARE(m_page->findChild<QLineEdit*>("IDC_SOUND_VOICE_DIR")->text(), VoiceDir());
    QVERIFY(VoiceDir().endsWith(QLatin1Char('/')));

    for (const auto* row : {kGreetingButtons, kAlarmButtons}) {
        QVERIFY(Button(row[kRead])->isEnabled());
        QVERIFY(Button(row[kWrite])->isEnabled());
        QVERIFY(Button(row[kDelete])->isEnabled());
        QVERIFY(!Button(row[kPlay])->isEnabled());  // nothing read yet
    }

    const QString greetingFile = SpecialFile(greeting);
    const QString alarmFile = SpecialFile(alarm);
    Click(Button(kGreetingButtons[kRead]));
    QVERIFY(QFileInfo::exists(greetingFile));
    QVERIFY(!QFileInfo::exists(alarmFile));
    QVERIFY(Button(kGreetingButtons[kPlay])->isEnabled());
    QVERIFY(!Button(kAlarmButtons[kPlay])->isEnabled());

    Click(Button(kAlarmButtons[kRead]));
    QVERIFY(QFileInfo::exists(alarmFile));
    QVERIFY(Button(kAlarmButtons[kPlay])->isEnabled());

    // Each row reads its own message: the set gives back what its microphone took in.
    const std::vector<std::uint8_t> readGreeting = WavSamples(greetingFile);
    const std::vector<std::uint8_t> readAlarm = WavSamples(alarmFile);
    QVERIFY(readGreeting.size() >= GreetingSound().size());
    QVERIFY(readAlarm.size() >= AlarmSound().size());
    QVERIFY2(Correlation(readGreeting, GreetingSound()) > 0.8,
             qPrintable(QString::number(Correlation(readGreeting, GreetingSound()))));
    QVERIFY(Correlation(readAlarm, AlarmSound()) > 0.8);
    QVERIFY(std::abs(Correlation(readGreeting, AlarmSound())) < 0.5);
    QVERIFY(m_prompts->messages.isEmpty());
}

void SoundConfPageTest::aWavWrittenAsTheGreetingIsReadBackAfterRefresh() {
    QVERIFY(Start(5));
    // Through the sheet this time, for its "Обновить".
    m_sheet = std::make_unique<fonedesk::CSettingsSheet>(Frame().Fonerix(), Frame().Device());
    m_sheet->Tabs()->setCurrentIndex(4);
    m_page = qobject_cast<CSoundConfPage*>(m_sheet->Page(4));
    QVERIFY(m_page != nullptr);
    m_sheet->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_sheet.get()));
    QVERIFY(Button(kGreetingButtons[kWrite])->isEnabled());
    QVERIFY(!Button(kGreetingButtons[kRead])->isEnabled());
    QVERIFY(!Button(kGreetingButtons[kDelete])->isEnabled());

    const std::vector<std::uint8_t> sound = fonerix::test::Sine(6000, kRate, 400, 60);
    const std::string upload = InFolder("Приветствие.wav");
    fonerix::test::WriteBytes(upload, fonerix::test::WavBytes(sound));
    m_prompts->AnswerNextFile(QString::fromStdString(upload));
    Click(Button(kGreetingButtons[kWrite]));

    QVERIFY(m_prompts->messages.isEmpty());
    QCOMPARE(m_prompts->fileDialogs.size(), 1);
    const FileDialogRequest& asked = m_prompts->fileDialogs.at(0);
    QCOMPARE(asked.kind, FileDialogRequest::Open);
    QCOMPARE(asked.title, U("Аудио-файл для записи в устройство..."));
    QCOMPARE(asked.filter, U("Windows Media Files (*.wav);;All Files (*.*)"));
    QCOMPARE(asked.directory + QLatin1Char('/'), VoiceDir());

    const short handle = SetHandle(Frame().Fonerix(), 0);
    QVERIFY(handle > 0);
    QCOMPARE(SetHandle(Frame().Fonerix(), 1), short(0));
    const std::string dump = m_set->DumpLists();
    QVERIFY2(dump.find("voice handles first=" + std::to_string(handle) + " second=0 ") !=
                 std::string::npos,
             dump.c_str());

    // The row is not looked at again until "Обновить".
    QVERIFY(!Button(kGreetingButtons[kRead])->isEnabled());
    QVERIFY(!Button(kGreetingButtons[kDelete])->isEnabled());
    Click(m_sheet->RefreshButton());
    QVERIFY(m_sheet->isVisible());
    QVERIFY(Button(kGreetingButtons[kRead])->isEnabled());
    QVERIFY(Button(kGreetingButtons[kDelete])->isEnabled());
    QVERIFY(!Button(kAlarmButtons[kRead])->isEnabled());

    Click(Button(kGreetingButtons[kRead]));
    const QString file = SpecialFile(handle);
    QVERIFY(QFileInfo::exists(file));
    QVERIFY(Button(kGreetingButtons[kPlay])->isEnabled());
    // A host upload is stored inverted, so it comes back inverted.
    const std::vector<std::uint8_t> back = WavSamples(file);
    QVERIFY(back.size() >= sound.size());
    QVERIFY2(Correlation(back, sound) < -0.8,
             qPrintable(QString::number(Correlation(back, sound))));
    QVERIFY(m_prompts->messages.isEmpty());
}

void SoundConfPageTest::deletingFreesTheSpaceAndLeavesTheFile() {
    QVERIFY(Start(5, GreetingScenario()));
    const short greeting = SetHandle(Frame().Fonerix(), 0);
    QVERIFY(greeting > 0);
    QPushButton* freeSpace = Push("IDC_SOUND_FREE_SPACE");
    Click(freeSpace);
    bool number = false;
    const int before = freeSpace->text().toInt(&number);
    QVERIFY2(number && before > 0, qPrintable(freeSpace->text()));

    Click(Button(kGreetingButtons[kRead]));
    const QString file = SpecialFile(greeting);
    QVERIFY(QFileInfo::exists(file));

    Click(Button(kGreetingButtons[kDelete]));
    QVERIFY(m_prompts->messages.isEmpty());
    QCOMPARE(SetHandle(Frame().Fonerix(), 0), short(0));
    QVERIFY(m_set->DumpLists().find("voice message handle=") == std::string::npos);
    QVERIFY(QFileInfo::exists(file));
    QVERIFY(Button(kGreetingButtons[kPlay])->isEnabled());
    // The buttons stay as they were until the next refresh.
    QVERIFY(Button(kGreetingButtons[kRead])->isEnabled());
    QVERIFY(Button(kGreetingButtons[kDelete])->isEnabled());

    Click(freeSpace);
    const int after = freeSpace->text().toInt(&number);
    QVERIFY(number);
    QVERIFY2(after > before, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));

    // The row holds no message now: the set refuses a second delete, and the page says so.
    Click(Button(kGreetingButtons[kDelete]));
    QCOMPARE(m_prompts->messages, QStringList{U("Ошибка в процессе стирания!")});
}

void SoundConfPageTest::writingNeedsMoreThanTwoSpecialHandles_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<bool>("writable");
    // Every flash model reports all four entries asked for.
    QTest::newRow("type 5") << 5 << QString() << true;
    QTest::newRow("type 6") << 6 << QString() << true;
    QTest::newRow("type 7") << 7 << QString() << true;
    // Its settings copy gone bad (a triple of three different bytes, settings byte 30), the set
    // reports no entries at all.
    QTest::newRow("type 5, settings unreadable")
        << 5 << QStringLiteral("type 5\nflash-bytes 19 0 90 01 02 04\n") << false;
}

void SoundConfPageTest::writingNeedsMoreThanTwoSpecialHandles() {
    QFETCH(int, type);
    QFETCH(QString, scenario);
    QFETCH(bool, writable);
    QVERIFY(
        Start(type, scenario.isEmpty() ? std::string() : WriteScenario(scenario.toStdString())));
    short table[4] = {};
    const short count = Frame().Fonerix().GetSoundHandles(table, 4);
    QVERIFY2(writable ? count == 4 : count <= 2, qPrintable(QString::number(count)));
    for (const auto* row : {kGreetingButtons, kAlarmButtons}) {
        QCOMPARE(Button(row[kWrite])->isEnabled(), writable);
        QVERIFY(!Button(row[kRead])->isEnabled());
        QVERIFY(!Button(row[kDelete])->isEnabled());
    }
}

void SoundConfPageTest::cancellingTheFileAfterTheOldGreetingLeavesNone() {
    QVERIFY(Start(5, GreetingScenario()));
    QVERIFY(SetHandle(Frame().Fonerix(), 0) > 0);
    const int freeBefore = Frame().Fonerix().GetFreeSoundSpace();
    m_prompts->AnswerNextFile(QString());  // Cancel
    Click(Button(kGreetingButtons[kWrite]));

    QCOMPARE(m_prompts->fileDialogs.size(), 1);
    QVERIFY(m_prompts->messages.isEmpty());
    QCOMPARE(SetHandle(Frame().Fonerix(), 0), short(0));
    const std::string dump = m_set->DumpLists();
    QVERIFY2(dump.find("voice handles first=0 ") != std::string::npos, dump.c_str());
    QVERIFY(dump.find("voice message handle=") == std::string::npos);
    QVERIFY(Frame().Fonerix().GetFreeSoundSpace() > freeBefore);
}

void SoundConfPageTest::aFileTheSetRefusesIsReported() {
    QVERIFY(Start(5, GreetingScenario()));
    const std::string refused = InFolder("sixteen-bit.wav");
    fonerix::test::WriteBytes(
        refused, fonerix::test::WavBytes(fonerix::test::Sine(4000, kRate), {kRate, 1, 16}));
    m_prompts->AnswerNextFile(QString::fromStdString(refused));
    Click(Button(kGreetingButtons[kWrite]));

    QCOMPARE(m_prompts->messages, QStringList{U("Ошибка в процессе записи!")});
    // The old greeting went first, and nothing took its place.
    QCOMPARE(SetHandle(Frame().Fonerix(), 0), short(0));
    QVERIFY(m_set->DumpLists().find("voice message handle=") == std::string::npos);
}

void SoundConfPageTest::aMessageErasedBehindThePagesBackIsReported() {
    QVERIFY(Start(5, GreetingScenario()));
    const short greeting = SetHandle(Frame().Fonerix(), 0);
    QVERIFY(greeting > 0);
    // Another program erases the greeting after the page read the table.
    QVERIFY(Frame().Fonerix().DelSoundMessage(greeting));

    Click(Button(kGreetingButtons[kWrite]));
    QCOMPARE(m_prompts->messages, QStringList{U("Ошибка в процессе стирания старого сообщения!")});
    QVERIFY(m_prompts->fileDialogs.isEmpty());  // the write ends there

    Click(Button(kGreetingButtons[kDelete]));
    QCOMPARE(m_prompts->messages, (QStringList{U("Ошибка в процессе стирания старого сообщения!"),
                                               U("Ошибка в процессе стирания!")}));
}

void SoundConfPageTest::playOpensAPlayerOnTheRowsFileEvenWhenItIsGone() {
    QVERIFY(Start(5, GreetingScenario()));
    Click(Button(kGreetingButtons[kRead]));
    const QString file = SpecialFile(SetHandle(Frame().Fonerix(), 0));
    QVERIFY(QFileInfo::exists(file));
    QVERIFY(Button(kGreetingButtons[kPlay])->isEnabled());

    // Deleted by hand between refreshes: the button still offers it, and the player says the
    // rest. Nothing is asked of the set.
    QVERIFY(QFile::remove(file));
    const long received = Received(*m_set);
    QVERIFY(Players().isEmpty());
    Click(Button(kGreetingButtons[kPlay]));
    const QList<CPlayerWindow*> players = Players();
    QCOMPARE(players.size(), 1);
    QCOMPARE(players.at(0)->FilePath(), file);
    QVERIFY(players.at(0)->parentWidget() == nullptr);
    QCOMPARE(Received(*m_set), received);
    QVERIFY(!QFileInfo::exists(file));
    QVERIFY(m_prompts->messages.isEmpty());
}

void SoundConfPageTest::aChosenFolderBecomesVoiceDirWithASlash() {
    QVERIFY(Start(5, GreetingScenario()));
    const short greeting = SetHandle(Frame().Fonerix(), 0);
    const QString before = VoiceDir();
    const QString chosen = QString::fromStdString(InFolder("Голосовые сообщения"));
    QVERIFY(QDir().mkpath(chosen));
    // The greeting was read into the chosen folder once before.
    fonerix::test::WriteBytes(
        (chosen + QLatin1Char('/') +
         fonedesk::VoiceMessageFileName(0, quint16(greeting), Frame().Device().IdZelta))
            .toStdString(),
        fonerix::test::WavBytes(GreetingSound()));
    QVERIFY(!Button(kGreetingButtons[kPlay])->isEnabled());

    QLineEdit* shown = m_page->findChild<QLineEdit*>("IDC_SOUND_VOICE_DIR");
    m_prompts->AnswerNextFolder(chosen);
    Click(Push("IDC_SOUND_CHOOSE_DIR"));
    QCOMPARE(m_prompts->fileDialogs.size(), 1);
    const FileDialogRequest& asked = m_prompts->fileDialogs.at(0);
    QCOMPARE(asked.kind, FileDialogRequest::Folder);
    QCOMPARE(asked.title, U("Новая папка для звуковых сообщений"));
    QVERIFY(asked.options.testFlag(QFileDialog::ShowDirsOnly));
    QCOMPARE(VoiceDir(), chosen + QLatin1Char('/'));
    QCOMPARE(shown->text(), chosen + QLatin1Char('/'));
    // The play buttons follow the new folder at the next refresh.
    QVERIFY(!Button(kGreetingButtons[kPlay])->isEnabled());
    m_page->Refresh();
    QVERIFY(Button(kGreetingButtons[kPlay])->isEnabled());
    QVERIFY(!Button(kAlarmButtons[kPlay])->isEnabled());
    QVERIFY(before != VoiceDir());

    // Cancel changes nothing.
    m_prompts->AnswerNextFolder(QString());
    Click(Push("IDC_SOUND_CHOOSE_DIR"));
    QCOMPARE(m_prompts->fileDialogs.size(), 2);
    QCOMPARE(VoiceDir(), chosen + QLatin1Char('/'));
    QCOMPARE(shown->text(), chosen + QLatin1Char('/'));

    // A folder that is not there is taken as it is and never made: reading into it fails
    // without a word.
    const QString missing = QString::fromStdString(InFolder("нет такой"));
    m_prompts->AnswerNextFolder(missing);
    Click(Push("IDC_SOUND_CHOOSE_DIR"));
    QCOMPARE(VoiceDir(), missing + QLatin1Char('/'));
    Click(Button(kGreetingButtons[kRead]));
    QVERIFY(!QFileInfo::exists(missing));
    QVERIFY(!Button(kGreetingButtons[kPlay])->isEnabled());
    QVERIFY(m_prompts->messages.isEmpty());
}

void SoundConfPageTest::recordTimeAndVolumeReachTheSetAsTheyChange() {
    QVERIFY(Start(5, WriteScenario("type 5\nsetting SndRecordTime 200\nsetting SoundVolume 4\n")));
    auto* length = m_page->findChild<fonedesk::CArrowSpinBox*>("IDC_SOUND_RECORD_TIME");
    auto* volume = m_page->findChild<fonedesk::CReleaseSlider*>("IDC_SOUND_VOLUME");
    QVERIFY(length != nullptr && volume != nullptr);
    QCOMPARE(length->value(), 200);
    QCOMPARE(volume->value(), 4);
    QCOMPARE(volume->minimum(), 0);
    QCOMPARE(volume->maximum(), 8);
    QCOMPARE(length->maximum(), 255);
    // Reading shows the values and writes none of them back.
    fonedesk::CFonerix& set = Frame().Fonerix();
    set.SetSndRecordTime(150);
    set.SetSoundVolume(2);
    const long changes = Changes(*m_set);
    m_page->Refresh();
    QCOMPARE(Changes(*m_set), changes);
    QCOMPARE(length->value(), 150);
    QCOMPARE(volume->value(), 2);
    set.SetSndRecordTime(200);
    set.SetSoundVolume(4);
    m_page->Refresh();

    length->setFocus();
    QTest::keyClick(length, Qt::Key_Up);
    QCOMPARE(set.GetSndRecordTime(), short(201));
    QTest::keyClick(length, Qt::Key_Down);
    QTest::keyClick(length, Qt::Key_Down);
    QCOMPARE(length->value(), 199);
    QCOMPARE(set.GetSndRecordTime(), short(199));

    // The slider writes when the mouse lets go of it, not on every key.
    volume->setFocus();
    QTest::keyClick(volume, Qt::Key_Right);
    QCOMPARE(volume->value(), 5);
    QCOMPARE(set.GetSoundVolume(), short(4));
    QTest::mouseClick(volume, Qt::LeftButton, {},
                      QPoint(volume->width() - 2, volume->height() / 2));
    QVERIFY(volume->value() >= 5);
    QCOMPARE(set.GetSoundVolume(), short(volume->value()));
}

void SoundConfPageTest::aTableThatCannotBeReadLeavesNoMessageBehind() {
    QVERIFY(Start(5, GreetingScenario()));
    QVERIFY(Button(kGreetingButtons[kRead])->isEnabled());
    QVERIFY(Button(kGreetingButtons[kWrite])->isEnabled());
    // The line goes dead: the refresh reads no table, and the greeting read before is gone.
    QCOMPARE(m_set->Command("fault silent on"), std::string("ok"));
    m_page->Refresh();
    for (const auto* row : {kGreetingButtons, kAlarmButtons}) {
        QVERIFY(!Button(row[kRead])->isEnabled());
        QVERIFY(!Button(row[kWrite])->isEnabled());
        QVERIFY(!Button(row[kDelete])->isEnabled());
    }
    QVERIFY(m_prompts->messages.isEmpty());
}

int main(int argc, char** argv) {
    CClientTestEnvironment::Instance();
    QApplication app(argc, argv);
    SoundConfPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SoundConfPageTest.moc"
