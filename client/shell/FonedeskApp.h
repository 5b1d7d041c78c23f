#pragma once

#include <QTranslator>
#include <iosfwd>
#include <memory>

class QApplication;

namespace fonedesk {

class CMainFrame;

// What the command line asks for: the program takes no options of its own besides the GNU ones.
struct CommandLineResult {
    bool run = true;  // false: the program ends at once with exitCode
    int exitCode = 0;
};
CommandLineResult ParseCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err);

// The application: Russian translations for Qt's own dialogs, then the main frame brought up in
// its fixed order and shown.
class CFonedeskApp {
  public:
    CFonedeskApp();
    ~CFonedeskApp();
    CFonedeskApp(const CFonedeskApp&) = delete;
    CFonedeskApp& operator=(const CFonedeskApp&) = delete;

    // Before any window: the program's name, icon and Qt's Russian translations.
    void InitApplication(QApplication& app);
    // Creates, brings up and shows the main frame. False when the program must end: what went
    // wrong has been shown, followed by "Failed to create empty document.".
    bool InitInstance();

    CMainFrame* MainFrame() const { return m_frame.get(); }

  private:
    QTranslator m_qtTranslator;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace fonedesk
