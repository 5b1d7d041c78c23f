#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "client/shell/FonedeskApp.h"
#include "tests/support/SimProcess.h"

namespace fonedesk::test {

// One run of the program against a simulated set made from scenario lines, for the page tests.
class CPageWorld {
  public:
    // Starts a set of `type` holding `scenario` (lines of a scenario file) on COM1, then the
    // program with a fresh profile and FNDB, and waits until its list is idle.
    bool Start(int type, const std::vector<std::string>& scenario);

    CMainFrame& Frame() { return *m_app->MainFrame(); }
    fonerix::test::SimProcess& Set() { return *m_set; }
    // Commands of the set's stores that wrote or erased something, so far.
    long Changes();
    // Bytes the set has read from the line, so far.
    long Received();

  private:
    std::unique_ptr<fonerix::test::SimProcess> m_set;
    std::unique_ptr<CFonedeskApp> m_app;
};

// Shows `page` as an active window of its own, so that the focus moves as it does for a user.
bool ShowActive(QWidget& page);

// The child of `page` named `name` (its resource id's name).
template <class Widget>
Widget* Child(QWidget& page, const char* name) {
    return page.findChild<Widget*>(QString::fromLatin1(name));
}

// Runs the page tests; the number of failed test classes.
int RunGeneralPageTests(int argc, char** argv);
int RunStandardPageTests(int argc, char** argv);
int RunAutoDetPageTests(int argc, char** argv);

}  // namespace fonedesk::test
