// The sound page's rules without a window: which message buttons a handle table allows, the file
// a special message is kept in, when that file counts as there to be played, and the voice folder
// as the profile keeps it and as a dialog opens it.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <string>

#include "client/device/SoundHandles.h"
#include "client/device/VoiceMessages.h"
#include "tests/support/TemporaryDirectory.h"

namespace fonedesk::test {
namespace {

struct ButtonsCase {
    const char* name;
    short greeting;
    short alarm;
    short count;
    bool greetingMessage;  // read and delete of the greeting's row
    bool alarmMessage;     // and of the alarm's row
    bool write;            // write, in both rows
};

TEST(SoundHandles, ButtonsFollowEachRowsHandleAndTheCount) {
    const ButtonsCase cases[] = {
        {"no messages, four entries", 0, 0, 4, false, false, true},
        {"greeting only", 0x21, 0, 4, true, false, true},
        {"alarm only", 0, 0x122, 4, false, true, true},
        {"both", 0x40, 0x41, 4, true, true, true},
        {"a handle with its top bit set is a message", static_cast<short>(0x8021), 0, 4, true,
         false, true},
        {"three entries still allow writing", 0x21, 0, 3, true, false, true},
        {"two entries do not", 0x21, 0x22, 2, true, true, false},
        {"nor does one", 0, 0, 1, false, false, false},
        {"nor none", 0, 0, 0, false, false, false},
        {"a failed read", 0, 0, -1, false, false, false},
    };
    for (const ButtonsCase& c : cases) {
        SCOPED_TRACE(c.name);
        SpecialSoundHandles handles;
        handles.table[0] = c.greeting;
        handles.table[1] = c.alarm;
        handles.table[2] = 0x50;  // the free chain's head says nothing about the rows
        handles.table[3] = 0x51;
        handles.count = c.count;
        const SpecialMessageButtons greeting = SpecialButtons(handles, SpecialMessage::Greeting);
        const SpecialMessageButtons alarm = SpecialButtons(handles, SpecialMessage::Alarm);
        EXPECT_EQ(greeting.read, c.greetingMessage);
        EXPECT_EQ(greeting.remove, c.greetingMessage);
        EXPECT_EQ(alarm.read, c.alarmMessage);
        EXPECT_EQ(alarm.remove, c.alarmMessage);
        EXPECT_EQ(greeting.write, c.write);
        EXPECT_EQ(alarm.write, c.write);
    }
}

TEST(SoundHandles, SpecialMessagesAreFilesOfRecordZero) {
    // 50101001 is type 5, hardware 1, firmware 1.
    EXPECT_EQ(SpecialVoiceFile(QStringLiteral("/home/user/voice/"), 0x12, 50101001),
              QStringLiteral("/home/user/voice/RID0000_TRACK00012_DEV02FC7B09.wav"));
    // The handle is a 16-bit block number, never a negative one.
    EXPECT_EQ(SpecialVoiceFile(QStringLiteral("/v/"), static_cast<short>(0xFFFF), 70101001),
              QStringLiteral("/v/RID0000_TRACK0FFFF_DEV042DA809.wav"));
    // The same name the call logs use for record 0, so a message read once is found again.
    EXPECT_EQ(SpecialVoiceFile(QStringLiteral("/v/"), 0x21, 60101001),
              QStringLiteral("/v/") + VoiceMessageFileName(0, 0x21, 60101001));
}

TEST(SoundHandles, AVoiceFileIsReadyOnlyWhenItOpensForReadingAndWriting) {
    const fonerix::test::TemporaryDirectory folder("fonedesk-sound-handles");
    const QString dir = QString::fromStdString(folder.Path().string()) + QLatin1Char('/');
    QFile present(dir + QStringLiteral("present.wav"));
    ASSERT_TRUE(present.open(QIODevice::WriteOnly));
    present.write("RIFF");
    present.close();
    ASSERT_TRUE(QDir().mkdir(dir + QStringLiteral("folder.wav")));

    EXPECT_TRUE(VoiceFileReady(dir + QStringLiteral("present.wav")));
    EXPECT_FALSE(VoiceFileReady(dir + QStringLiteral("missing.wav")));
    EXPECT_FALSE(VoiceFileReady(dir + QStringLiteral("folder.wav")));
    EXPECT_FALSE(VoiceFileReady(dir + QStringLiteral("no-such-folder/present.wav")));
    EXPECT_FALSE(VoiceFileReady(QString()));
    // Asking must not make the file.
    EXPECT_FALSE(QFileInfo::exists(dir + QStringLiteral("missing.wav")));
}

TEST(SoundHandles, VoiceDirEndsWithOneSlashAndDialogsOpenWithout) {
    const struct {
        const char* chosen;
        const char* stored;
        const char* dialog;
    } cases[] = {
        {"/home/user/Голос", "/home/user/Голос/", "/home/user/Голос"},
        {"/home/user/voice/", "/home/user/voice/", "/home/user/voice"},
        {"/", "/", "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        const QString stored = VoiceDirValue(QString::fromUtf8(c.chosen));
        EXPECT_EQ(stored, QString::fromUtf8(c.stored));
        EXPECT_EQ(VoiceDirForDialog(stored), QString::fromUtf8(c.dialog));
    }
}

// The program's own folder lives under XDG_DATA_HOME; each case gets a fresh one.
class SoundHandlesFolders : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* old = getenv("XDG_DATA_HOME")) {
            m_saved = old;
        }
        setenv("XDG_DATA_HOME", m_data.File("data").c_str(), 1);
    }
    void TearDown() override {
        if (m_saved) {
            setenv("XDG_DATA_HOME", m_saved->c_str(), 1);
        } else {
            unsetenv("XDG_DATA_HOME");
        }
    }
    QString Path(const char* name) const { return QString::fromStdString(m_data.File(name)); }

    fonerix::test::TemporaryDirectory m_data{"fonedesk-voice-folders"};
    std::optional<std::string> m_saved;
};

TEST_F(SoundHandlesFolders, AnUnsetVoiceDirMeansTheProgramsOwnFolder) {
    EXPECT_EQ(VoiceFolderOf(QString()), DefaultVoiceFolder());
    EXPECT_TRUE(DefaultVoiceFolder().startsWith(Path("data")));
    EXPECT_EQ(VoiceFolderOf(QStringLiteral("/chosen/")), QStringLiteral("/chosen/"));
}

TEST_F(SoundHandlesFolders, OnlyTheProgramsOwnFolderIsMade) {
    const QString chosen = Path("chosen") + QLatin1Char('/');
    EXPECT_FALSE(PrepareVoiceFolder(chosen));
    EXPECT_FALSE(QFileInfo::exists(chosen));

    ASSERT_FALSE(QFileInfo::exists(DefaultVoiceFolder()));
    EXPECT_TRUE(PrepareVoiceFolder(DefaultVoiceFolder()));
    EXPECT_TRUE(QFileInfo(DefaultVoiceFolder()).isDir());

    ASSERT_TRUE(QDir().mkpath(chosen));
    EXPECT_TRUE(PrepareVoiceFolder(chosen));
}

}  // namespace
}  // namespace fonedesk::test
