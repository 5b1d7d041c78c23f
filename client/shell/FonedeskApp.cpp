#include "client/shell/FonedeskApp.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <ostream>
#include <string_view>

#include "client/resources/Strings.h"
#include "client/shell/MainFrame.h"
#include "client/shell/Prompts.h"

#ifndef FONEDESK_VERSION
#define FONEDESK_VERSION "0"
#endif

namespace fonedesk {

CommandLineResult ParseCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") {
            out << "Usage: fonedesk [OPTION]\n"
                   "The desktop companion of a caller-ID telephone set: call logs and phone book\n"
                   "in the ODBC data source FNDB, incoming calls, dialling, the set's settings\n"
                   "and voice messages.\n"
                   "\n"
                   "      --help     display this help and exit\n"
                   "      --version  output version information and exit\n"
                   "\n"
                   "The set is looked for on COM1 to COM4 (FONERIX_COM<n>, or COM<n>=PATH in\n"
                   "~/.config/fonerix/ports.conf, else /dev/ttyS<n-1>). The control must be\n"
                   "registered (fonerix-regsvr libfonerix.so) and the data source created\n"
                   "(fndb-setup). Options are kept in ~/.config/Fonedesk.INI.\n";
            return {false, 0};
        }
        if (arg == "--version") {
            out << "fonedesk (Fonerix) " FONEDESK_VERSION "\n";
            return {false, 0};
        }
        if (arg.starts_with("--")) {
            err << "fonedesk: unrecognized option '" << arg << "'\n";
        } else if (arg.starts_with("-")) {
            err << "fonedesk: invalid option -- '" << arg.substr(1) << "'\n";
        } else {
            err << "fonedesk: extra operand '" << arg << "'\n";
        }
        err << "Try 'fonedesk --help' for more information.\n";
        return {false, 2};
    }
    return {};
}

CFonedeskApp::CFonedeskApp() = default;

CFonedeskApp::~CFonedeskApp() = default;

void CFonedeskApp::InitApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("fonedesk"));
    QApplication::setApplicationDisplayName(LoadString(AFX_IDS_APP_TITLE));
    QApplication::setApplicationVersion(QStringLiteral(FONEDESK_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("fonedesk"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/program-128.svg")));
    // The program speaks Russian whatever the desktop's language, and so do Qt's own dialogs.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    if (m_qtTranslator.load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(&m_qtTranslator);
    }
}

bool CFonedeskApp::InitInstance() {
    m_frame = std::make_unique<CMainFrame>();
    if (!m_frame->Create()) {
        CPrompts::Message(nullptr, QMessageBox::Critical,
                          QString::fromUtf8(texts::kEmptyDocumentFailed));
        m_frame.reset();
        return false;
    }
    m_frame->show();
    m_frame->activateWindow();
    m_frame->setFocus();
    return true;
}

}  // namespace fonedesk
