#include "platform/profile/ProfileFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fonerix::test {
namespace {

namespace fs = std::filesystem;

class ProfileFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/fonerix-profile-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_path = m_dir / "Fonedesk.INI";
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(m_path, fs::perms::owner_all, ec);
        fs::remove_all(m_dir, ec);
    }

    void WriteFile(const std::string& text) { std::ofstream(m_path, std::ios::binary) << text; }
    std::string ReadFile() const {
        std::ifstream in(m_path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path m_dir;
    fs::path m_path;
};

TEST_F(ProfileFileTest, MissingFileGivesDefaultsAndTheFirstWriteCreatesIt) {
    const fs::path nested = m_dir / "sub" / "dir" / "Fonedesk.INI";
    platform::ProfileFile profile(nested);
    EXPECT_EQ(profile.GetString("Program options", "Field Delimiter", ","), ",");
    EXPECT_EQ(profile.GetInt("Program options", "Oncall Popup", 1), 1);
    ASSERT_TRUE(profile.WriteInt("Window position", "Width", 640)) << profile.LastError();
    EXPECT_EQ(platform::ProfileFile(nested).GetInt("Window position", "Width", 0), 640);
}

TEST_F(ProfileFileTest, ReadsLikeTheWindowsProfileFunctions) {
    WriteFile(
        "; written by hand\r\n"
        "[Window Position]\r\n"
        "posx = 10\r\n"
        "Height=-25\r\n"
        "[Program options]\r\n"
        "Phone Reference0 =  /home/user/My References/city.txt  \r\n"
        "Field Delimiter=;\r\n"
        "Auto Data=1abc\r\n"
        "Auto Time=yes\r\n"
        "Quoted=\"  padded  \"\r\n"
        "[Columns layout]\r\n"
        "phone_book_order=-3\r\n"
        "in_data_layout=20,120,95,60\r\n");
    platform::ProfileFile profile(m_path);
    EXPECT_EQ(profile.GetInt("Window position", "PosX", 0), 10);  // names without case
    EXPECT_EQ(profile.GetInt("Window position", "Height", 0), -25);
    EXPECT_EQ(profile.GetInt("Window position", "Width", 7), 7);
    EXPECT_EQ(profile.GetString("Program options", "Phone Reference0"),
              "/home/user/My References/city.txt");
    EXPECT_EQ(profile.GetString("Program options", "Field Delimiter", ","), ";");
    EXPECT_EQ(profile.GetInt("Program options", "Auto Data", 0), 1);
    EXPECT_EQ(profile.GetInt("Program options", "Auto Time", 5), 0);  // present but no digits
    EXPECT_EQ(profile.GetString("Program options", "Quoted"), "  padded  ");
    EXPECT_EQ(profile.GetInt("Columns layout", "phone_book_order", 2), -3);
    EXPECT_EQ(profile.GetString("Columns layout", "in_data_layout"), "20,120,95,60");
    EXPECT_EQ(profile.GetString("No such section", "PosX", "d"), "d");
}

TEST_F(ProfileFileTest, WritesKeepEverythingElseAndReadBack) {
    WriteFile(
        "; comment kept\n"
        "[Voice options]\n"
        "VoiceDir=/old/\n"
        "\n"
        "[Other program]\n"
        "Key=kept\n");
    platform::ProfileFile profile(m_path);
    ASSERT_TRUE(profile.WriteString("voice OPTIONS", "voicedir", "/home/user/Голос/VOICE/"));
    ASSERT_TRUE(profile.WriteString("Voice options", "Extra", " leading blank"));
    ASSERT_TRUE(profile.WriteInt("Columns layout", "in_data_order", -4));
    EXPECT_EQ(profile.GetString("Voice options", "VoiceDir"), "/home/user/Голос/VOICE/");
    EXPECT_EQ(profile.GetString("Voice options", "Extra"), " leading blank");
    EXPECT_EQ(profile.GetInt("Columns layout", "in_data_order", 2), -4);
    EXPECT_EQ(profile.GetString("Other program", "Key"), "kept");
    const std::string text = ReadFile();
    EXPECT_NE(text.find("; comment kept"), std::string::npos);
    EXPECT_NE(text.find("VoiceDir=/home/user/Голос/VOICE/"),
              std::string::npos);                                  // key keeps its spelling
    EXPECT_LT(text.find("Extra="), text.find("[Other program]"));  // added inside its section

    ASSERT_TRUE(profile.DeleteKey("Voice options", "Extra"));
    EXPECT_EQ(profile.GetString("Voice options", "Extra", "gone"), "gone");
}

TEST_F(ProfileFileTest, ReadOnlyFileIsNotReplaced) {
    WriteFile("[Window position]\nWidth=800\n");
    fs::permissions(m_path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    platform::ProfileFile profile(m_path);
    EXPECT_EQ(profile.GetInt("Window position", "Width", 0), 800);
    EXPECT_FALSE(profile.WriteInt("Window position", "Width", 1024));
    EXPECT_NE(profile.LastError().find("read-only"), std::string::npos) << profile.LastError();
    EXPECT_EQ(profile.GetInt("Window position", "Width", 0), 800);
}

TEST_F(ProfileFileTest, WritesThroughASymbolicLinkToItsTarget) {
    const fs::path real = m_dir / "real.ini";
    std::ofstream(real) << "[A]\nk=1\n";
    fs::create_symlink(real, m_path);
    platform::ProfileFile profile(m_path);
    ASSERT_TRUE(profile.WriteInt("A", "k", 2));
    EXPECT_TRUE(fs::is_symlink(m_path));
    EXPECT_EQ(platform::ProfileFile(real).GetInt("A", "k", 0), 2);
}

TEST(ProfileFileDefaultPath, FollowsXdgConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string restore = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg-home", 1);
    EXPECT_EQ(platform::ProfileFile::DefaultPath(), fs::path("/tmp/cfg-home/Fonedesk.INI"));
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/tmp/some-home", 1);
    EXPECT_EQ(platform::ProfileFile::DefaultPath(),
              fs::path("/tmp/some-home/.config/Fonedesk.INI"));
    if (saved) {
        setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
    }
}

}  // namespace
}  // namespace fonerix::test
