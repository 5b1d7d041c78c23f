#include "tests/client/shell/settings/standard/PageTestWorld.h"

#include <QTest>
#include <fstream>
#include <regex>

#include "client/shell/DataGridView.h"
#include "client/shell/MainFrame.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

namespace fonedesk::test {

bool CPageWorld::Start(int type, const std::vector<std::string>& scenario) {
    CClientTestEnvironment& env = CClientTestEnvironment::Instance();
    m_app.reset();
    m_set.reset();
    env.NoSet();
    env.RemoveProfile();
    env.CreateDataSource();
    const std::string path = env.Folder() + "/pages.scenario";
    {
        std::ofstream out(path, std::ios::trunc);
        for (const std::string& line : scenario) {
            out << line << '\n';
        }
    }
    m_set = env.StartSet({.type = type, .scenario = path});
    m_app = std::make_unique<CFonedeskApp>();
    if (!m_app->InitInstance()) {
        return false;
    }
    return QTest::qWaitFor([this] { return !Frame().Grid()->IsQueryRunning(); }, 20000) &&
           Frame().Device().inUse != 0;
}

namespace {

// A number of the set's status line; -1 when it is not there.
long StatusField(fonerix::test::SimProcess& set, const char* name) {
    const std::regex pattern(std::string(name) + "=([0-9]+)");
    std::smatch match;
    const std::string status = set.Command("status");
    return std::regex_search(status, match, pattern) ? std::stol(match[1]) : -1;
}

}  // namespace

long CPageWorld::Changes() {
    return StatusField(*m_set, "changes");
}

long CPageWorld::Received() {
    return StatusField(*m_set, "received");
}

bool ShowActive(QWidget& page) {
    page.show();
    page.activateWindow();
    return QTest::qWaitForWindowActive(&page);
}

}  // namespace fonedesk::test
