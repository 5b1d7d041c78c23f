#include "platform/profile/FonedeskProfile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fonerix::test {
namespace {

namespace fs = std::filesystem;
namespace profile = platform::fonedesk_profile;

class FonedeskProfileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/fonerix-profile-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    platform::ProfileFile Profile(const std::string& text) {
        std::ofstream(m_dir / "Fonedesk.INI") << text;
        return platform::ProfileFile(m_dir / "Fonedesk.INI");
    }

    fs::path m_dir;
};

TEST_F(FonedeskProfileTest, KeysAreFormedAsTheClientNamesThem) {
    EXPECT_EQ(profile::PhoneReferenceKey(0), "Phone Reference0");
    EXPECT_EQ(profile::PhoneReferenceKey(9), "Phone Reference9");
    EXPECT_EQ(profile::ColumnLayoutKey("phone_book"), "phone_book_layout");
    EXPECT_EQ(profile::ColumnOrderKey("in_data"), "in_data_order");
}

TEST_F(FonedeskProfileTest, PhoneReferencesStopAtTheFirstGap) {
    auto profile = Profile(
        "[Program options]\n"
        "Phone Reference0=/refs/a b.txt\n"
        "Phone Reference1=/refs/b.txt\n"
        "Phone Reference3=/refs/after-gap.txt\n");
    EXPECT_EQ(profile::PhoneReferences(profile),
              (std::vector<std::string>{"/refs/a b.txt", "/refs/b.txt"}));

    auto emptyFirst = Profile("[Program options]\nPhone Reference0=\nPhone Reference1=/x.txt\n");
    EXPECT_TRUE(profile::PhoneReferences(emptyFirst).empty());
}

TEST_F(FonedeskProfileTest, WritingAShorterListClearsTheKeyPastItsEnd) {
    auto profile = Profile("");
    ASSERT_TRUE(profile::WritePhoneReferences(profile, {"/a", "/b", "/c"}));
    ASSERT_TRUE(profile::WritePhoneReferences(profile, {"/a", "/c"}));
    EXPECT_EQ(profile::PhoneReferences(profile), (std::vector<std::string>{"/a", "/c"}));

    std::vector<std::string> twelve;
    for (int i = 0; i < 12; ++i) {
        twelve.push_back("/r" + std::to_string(i));
    }
    ASSERT_TRUE(profile::WritePhoneReferences(profile, twelve));
    EXPECT_EQ(profile::PhoneReferences(profile).size(), 10u);
}

TEST_F(FonedeskProfileTest, FieldDelimiterIsTheFirstCharacterWithCommaAsDefault) {
    EXPECT_EQ(profile::FieldDelimiter(Profile("")), ',');
    EXPECT_EQ(profile::FieldDelimiter(Profile("[Program options]\nField Delimiter=;|\n")), ';');
    EXPECT_EQ(profile::FieldDelimiter(Profile("[Program options]\nField Delimiter=\n")), ',');
}

}  // namespace
}  // namespace fonerix::test
