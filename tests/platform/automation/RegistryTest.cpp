#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "platform/automation/Registry.h"
#include "tests/platform/automation/TempDir.h"

namespace fonerix::test {
namespace {

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

constexpr CLSID kControl = MakeGuid("{40076167-D69E-11D5-BC69-8691947227AD}");

TEST(RegistryFileTest, EditsKeepCommentsAndOtherSections) {
    TempDir dir;
    const auto path = dir.path() / "sub" / "registry.ini";
    WriteText(path,
              "; written by hand\n"
              "[Other]\n"
              "Key = spaced value \n"
              "# a note\n"
              "\n"
              "[CLSID\\{40076167-d69e-11d5-bc69-8691947227ad}]\n"
              "Library=/old/libfonerix.so\n");
    CRegistryFile file(path);
    ASSERT_TRUE(file.Load());
    EXPECT_EQ(file.Get("other", "KEY"), "spaced value");
    // Section names compare without regard to case, so the lower-case GUID is found.
    EXPECT_EQ(file.Get(ClassSection(kControl), "library"), "/old/libfonerix.so");
    file.Set("Other", "Added", "1");
    file.Set(ClassSection(kControl), "Library", "/new/libfonerix.so");
    ASSERT_TRUE(file.Save());
    EXPECT_EQ(ReadText(path),
              "; written by hand\n"
              "[Other]\n"
              "Key=spaced value\n"
              "# a note\n"
              "Added=1\n"
              "\n"
              "[CLSID\\{40076167-d69e-11d5-bc69-8691947227ad}]\n"
              "Library=/new/libfonerix.so\n");
    EXPECT_TRUE(file.RemoveSection("other"));
    EXPECT_FALSE(file.RemoveSection("other"));
    ASSERT_TRUE(file.Save());
    // The rename leaves no temporary file behind.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(path.parent_path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
    CRegistryFile again(path);
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Sections(),
              std::vector<std::string>{"CLSID\\{40076167-d69e-11d5-bc69-8691947227ad}"});
}

TEST(RegistryFileTest, AMissingFileIsEmptyAndAnUnreadableOneIsAnError) {
    TempDir dir;
    CRegistryFile missing(dir.path() / "none.ini");
    EXPECT_TRUE(missing.Load());
    EXPECT_TRUE(missing.Sections().empty());

    CRegistryFile folder(dir.path());  // a folder where the file should be
    std::string error;
    EXPECT_FALSE(folder.Save(&error));
    EXPECT_NE(error.find(dir.path().string()), std::string::npos) << error;
}

TEST(RegistryFileTest, ConcurrentUpdatesLoseNothing) {
    TempDir dir;
    const auto path = dir.path() / "registry.ini";
    auto writer = [&](int which) {
        for (int i = 0; i < 25; ++i) {
            ASSERT_TRUE(CRegistryFile::Update(path, [&](CRegistryFile& f) {
                f.Set("Writer" + std::to_string(which), "Key" + std::to_string(i), "v");
            }));
        }
    };
    std::thread a(writer, 1), b(writer, 2);
    a.join();
    b.join();
    CRegistryFile file(path);
    ASSERT_TRUE(file.Load());
    for (int which = 1; which <= 2; ++which) {
        for (int i = 0; i < 25; ++i) {
            EXPECT_EQ(file.Get("Writer" + std::to_string(which), "Key" + std::to_string(i)), "v")
                << which << " " << i;
        }
    }
}

TEST(RegistryLookupTest, TheFirstFileThatKnowsTheClassDecides) {
    TempDir dir;
    const auto user = dir.path() / "user.ini";
    const auto system = dir.path() / "system.ini";
    WriteText(system,
              "[CLSID\\{40076167-D69E-11D5-BC69-8691947227AD}]\n"
              "Library=/usr/lib/fonerix/libfonerix.so\n"
              "ProgID=FONERIX.FonerixCtrl.1\n"
              "[ProgID\\FONERIX.FonerixCtrl.1]\n"
              "CLSID={40076167-D69E-11D5-BC69-8691947227AD}\n");
    const std::vector<std::filesystem::path> files{user, system};

    auto found = FindRegisteredClass(kControl, files);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->library, "/usr/lib/fonerix/libfonerix.so");
    EXPECT_EQ(found->file, system);
    EXPECT_EQ(FindProgId("fonerix.fonerixctrl.1", files), kControl);
    EXPECT_FALSE(FindProgId("FONERIX.Other.1", files));

    WriteText(user,
              "[CLSID\\{40076167-D69E-11D5-BC69-8691947227AD}]\n"
              "Library=/home/me/build/libfonerix.so\n");
    found = FindRegisteredClass(kControl, files);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->library, "/home/me/build/libfonerix.so");
    EXPECT_EQ(found->file, user);
    EXPECT_FALSE(FindRegisteredClass(MakeGuid("{40076168-D69E-11D5-BC69-8691947227AD}"), files));
}

TEST(RegistryLookupTest, TheUserFileFollowsXdgConfigHome) {
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string xdg = savedXdg != nullptr ? savedXdg : "";
    const char* savedHome = std::getenv("HOME");
    const std::string home = savedHome != nullptr ? savedHome : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/xdg-here", 1);
    EXPECT_EQ(RegistrySearchPath(),
              (std::vector<std::filesystem::path>{"/tmp/xdg-here/fonerix/registry.ini",
                                                  "/etc/fonerix/registry.ini"}));
    ::setenv("XDG_CONFIG_HOME", "relative", 1);  // a relative value is ignored
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(UserRegistryPath(), "/home/someone/.config/fonerix/registry.ini");
    savedXdg != nullptr ? ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1)
                        : ::unsetenv("XDG_CONFIG_HOME");
    savedHome != nullptr ? ::setenv("HOME", home.c_str(), 1) : ::unsetenv("HOME");
}

}  // namespace
}  // namespace fonerix::test
