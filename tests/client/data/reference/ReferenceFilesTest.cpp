// Which reference files the program options give, and the delimiter the search takes from them,
// against a throwaway profile in a temporary $XDG_CONFIG_HOME.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "client/data/ReferenceFiles.h"
#include "platform/profile/FonedeskProfile.h"
#include "platform/profile/ProfileFile.h"
#include "tests/support/TemporaryDirectory.h"

namespace {

namespace fp = platform::fonedesk_profile;

class ReferenceFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* saved = std::getenv("XDG_CONFIG_HOME")) {
            m_savedConfig = saved;
        }
        ::setenv("XDG_CONFIG_HOME", m_dir.Path().c_str(), 1);
    }
    void TearDown() override {
        if (m_savedConfig) {
            ::setenv("XDG_CONFIG_HOME", m_savedConfig->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
    }

    platform::ProfileFile Profile() {
        return platform::ProfileFile(platform::ProfileFile::DefaultPath());
    }

    void SetReference(int digit, const std::string& path) {
        platform::ProfileFile profile = Profile();
        ASSERT_TRUE(profile.WriteString(fp::kProgramOptions, fp::PhoneReferenceKey(digit), path))
            << profile.LastError();
    }

    // A reference file holding the one line "<tag>,<tag>" under the name `tag`.
    std::string ReferenceFile(const std::string& tag) {
        const std::string path = m_dir.File(tag + ".txt");
        std::ofstream(path, std::ios::binary) << tag << ',' << tag << "\r\n";
        return path;
    }

    static std::vector<std::string> Paths(const std::vector<fonedesk::CReferenceFile>& files) {
        std::vector<std::string> paths;
        for (const fonedesk::CReferenceFile& file : files) {
            EXPECT_TRUE(file.IsOpen());
            paths.push_back(file.Path());
        }
        return paths;
    }

    fonerix::test::TemporaryDirectory m_dir{"reference-profile"};
    std::optional<std::string> m_savedConfig;
};

TEST_F(ReferenceFilesTest, AnEmptyFirstKeyMeansNoFiles) {
    EXPECT_TRUE(fonedesk::OpenReferenceFiles(Profile()).empty());  // no profile file at all
    SetReference(0, "");
    SetReference(1, ReferenceFile("111"));
    EXPECT_TRUE(fonedesk::OpenReferenceFiles(Profile()).empty());
}

TEST_F(ReferenceFilesTest, FilesThatCannotBeReadAreSkippedAndTheOrderKept) {
    const std::string fifo = m_dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string first = ReferenceFile("111");
    const std::string second = ReferenceFile("222");
    const std::string third = ReferenceFile("333");
    SetReference(0, first);
    SetReference(1, m_dir.File("missing.txt"));
    SetReference(2, second);
    SetReference(3, m_dir.Path().string());  // a directory
    SetReference(4, fifo);                   // opening it for reading must not wait for a writer
    SetReference(5, third);

    std::vector<fonedesk::CReferenceFile> files = fonedesk::OpenReferenceFiles(Profile());
    ASSERT_EQ(Paths(files), (std::vector<std::string>{first, second, third}));
    std::string line;
    EXPECT_TRUE(fonedesk::FindInReference(files[1], "222", ',', line));
    EXPECT_EQ(line, "222,222");
}

TEST_F(ReferenceFilesTest, AtMostTenKeysAreRead) {
    std::vector<std::string> expected;
    for (int digit = 0; digit <= 10; ++digit) {
        const std::string path = ReferenceFile(std::to_string(digit));
        SetReference(digit, path);  // "Phone Reference10" is no key of the list
        if (digit < fp::kPhoneReferenceCount) {
            expected.push_back(path);
        }
    }
    EXPECT_EQ(Paths(fonedesk::OpenReferenceFiles(Profile())), expected);
}

TEST_F(ReferenceFilesTest, TheShortSearchTakesTheDelimiterFromTheProfile) {
    const std::string path = m_dir.File("semicolon.txt");
    std::ofstream(path, std::ios::binary) << "100;Ivanov,Ivan;\n200;Petrov,Petr;\n";
    fonedesk::CReferenceFile file(path);
    std::string line;

    // No "Field Delimiter": ',' cuts the first line after "100;Ivanov".
    EXPECT_FALSE(fonedesk::FindInReference(file, "100", line));
    EXPECT_TRUE(fonedesk::FindInReference(file, "100;ivanov", line));
    EXPECT_EQ(line, "100;Ivanov,Ivan;");

    // Only the first character of the value counts, and each search reads the profile anew.
    platform::ProfileFile profile = Profile();
    ASSERT_TRUE(profile.WriteString(fp::kProgramOptions, fp::kFieldDelimiter, ";,"));
    EXPECT_TRUE(fonedesk::FindInReference(file, "200", line));
    EXPECT_EQ(line, "200;Petrov,Petr;");
    EXPECT_FALSE(fonedesk::FindInReference(file, "100;ivanov", line));
}

}  // namespace
