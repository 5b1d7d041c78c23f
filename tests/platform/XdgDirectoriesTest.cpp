// The one lookup of the user's configuration and data folders.
#include "platform/xdg/XdgDirectories.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

namespace fonerix::test {
namespace {

// Sets or unsets a variable for one test and puts it back afterwards.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const char* value) : m_name(name) {
        if (const char* old = getenv(name)) {
            m_old = old;
        }
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedVariable() { m_old ? setenv(m_name, m_old->c_str(), 1) : unsetenv(m_name); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(XdgDirectoriesTest, AbsoluteVariableWinsRelativeOneFallsBackToHome) {
    const struct {
        const char* config;
        const char* data;
        const char* home;
        std::optional<std::string> configHome;
        std::optional<std::string> dataHome;
    } cases[] = {
        {"/x/config", "/x/data", "/home/u", "/x/config", "/x/data"},
        {nullptr, nullptr, "/home/u", "/home/u/.config", "/home/u/.local/share"},
        {"relative", "", "/home/u", "/home/u/.config", "/home/u/.local/share"},
        {"/x/config", nullptr, nullptr, "/x/config", std::nullopt},
        {nullptr, nullptr, "", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        ScopedVariable config("XDG_CONFIG_HOME", c.config);
        ScopedVariable data("XDG_DATA_HOME", c.data);
        ScopedVariable home("HOME", c.home);
        const auto configHome = platform::ConfigHome();
        const auto dataHome = platform::DataHome();
        EXPECT_EQ(configHome ? std::optional(configHome->string()) : std::nullopt, c.configHome);
        EXPECT_EQ(dataHome ? std::optional(dataHome->string()) : std::nullopt, c.dataHome);
    }
}

}  // namespace
}  // namespace fonerix::test
