// scripts/pg-test-server, which the database tests rely on: a start that fails part-way must not
// leave a server running.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

TEST(PgTestServer, AStartThatFailsLateStopsItsServerAndRemovesItsFolder) {
    if (!fs::exists("/usr/lib/postgresql")) {
        GTEST_SKIP() << "PostgreSQL is not installed";
    }
    char pattern[] = "/tmp/fonedesk-pg-script-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    chmod(dir.c_str(), 0755);  // the server may run as the user postgres
    // template1 exists in every cluster: creating the test database fails after the server runs.
    const std::string command = "TMPDIR=" + dir.string() +
                                " FONERIX_PG_TEST_DB=template1 " PG_TEST_SERVER_PATH
                                " start 2>/dev/null";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << output;
    EXPECT_EQ(output.find("FONERIX_TEST_PG"), std::string::npos) << output;
    std::string left;
    for (const auto& entry : fs::directory_iterator(dir)) {
        left += entry.path().string() + " ";
        // A cluster left behind: stop it, so the failure does not outlive the test.
        const fs::path data = entry.path() / "data";
        if (fs::exists(data / "postmaster.pid")) {
            const std::string stop =
                "FONERIX_PG_TEST_DIR=" + entry.path().string() + " " PG_TEST_SERVER_PATH " stop";
            EXPECT_EQ(std::system(stop.c_str()), 0);
        }
    }
    EXPECT_TRUE(left.empty()) << "left behind: " << left;
    std::error_code ec;
    fs::remove_all(dir, ec);
}

}  // namespace
