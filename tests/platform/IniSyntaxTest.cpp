// How the project's INI files read a line, and how they are replaced whole.
#include "platform/ini/IniSyntax.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/TemporaryDirectory.h"

namespace fonerix::test {
namespace {

using platform::ini::Line;

TEST(IniSyntaxTest, LinesReadAsSectionsEntriesOrOther) {
    const struct {
        const char* text;
        Line::Kind kind;
        const char* name;
        const char* key;
        const char* value;
    } cases[] = {
        {"[Program options]", Line::kSection, "Program options", "", ""},
        {"  [ CLSID\\{1} ]  ", Line::kSection, "CLSID\\{1}", "", ""},
        {"[Voice options] ; note", Line::kSection, "Voice options", "", ""},
        {"Auto Data = 1\r", Line::kEntry, "", "Auto Data", "1"},
        {"VoiceDir=\" /a b/ \"", Line::kEntry, "", "VoiceDir", "\" /a b/ \""},
        {"COM1=/dev/ttyUSB0=x", Line::kEntry, "", "COM1", "/dev/ttyUSB0=x"},
        {"key=", Line::kEntry, "", "key", ""},
        {"=value", Line::kOther, "", "", ""},
        {"; comment=1", Line::kOther, "", "", ""},
        {"# comment=1", Line::kOther, "", "", ""},
        {"no equals sign", Line::kOther, "", "", ""},
        {"[", Line::kOther, "", "", ""},
        {"[unclosed", Line::kOther, "", "", ""},
        {"   ", Line::kOther, "", "", ""},
    };
    for (const auto& c : cases) {
        const Line line = platform::ini::ParseLine(c.text);
        EXPECT_EQ(line.kind, c.kind) << c.text;
        EXPECT_EQ(line.name, c.name) << c.text;
        EXPECT_EQ(line.key, c.key) << c.text;
        EXPECT_EQ(line.value, c.value) << c.text;
    }
    EXPECT_TRUE(platform::ini::SameName("Program Options", "program options"));
    EXPECT_FALSE(platform::ini::SameName("Option", "Options"));
    // Only ASCII letters fold: other bytes compare as they are.
    EXPECT_FALSE(platform::ini::SameName("\xD0\x90", "\xD0\xB0"));
}

TEST(IniSyntaxTest, ReplaceFileSwapsTheWholeFileOrNothing) {
    fonerix::test::TemporaryDirectory dir;
    const std::filesystem::path path = dir.Path() / "file.ini";
    std::ofstream(path) << "old\n";
    std::string error;
    ASSERT_TRUE(platform::ini::ReplaceFile(path, "new\r\nlines\n", 0600, "test file", error));
    EXPECT_EQ(platform::ini::ReadLines(path), (std::vector<std::string>{"new", "lines"}));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A folder that is not there: nothing is written and the reason names the file.
    EXPECT_FALSE(platform::ini::ReplaceFile(dir.Path() / "none" / "file.ini", "x", 0644,
                                            "test file", error));
    EXPECT_NE(error.find("Cannot write the test file " + (dir.Path() / "none/file.ini").string()),
              std::string::npos)
        << error;
    // A target that cannot be replaced (a folder): it stays, and no temporary file is left.
    const std::filesystem::path folder = dir.Path() / "folder.ini";
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(platform::ini::ReplaceFile(folder, "x", 0644, "test file", error));
    EXPECT_NE(error.find("Cannot replace the test file"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              2);  // file.ini and folder.ini
    EXPECT_TRUE(platform::ini::ReadLines(dir.Path() / "missing.ini").empty());
}

}  // namespace
}  // namespace fonerix::test
