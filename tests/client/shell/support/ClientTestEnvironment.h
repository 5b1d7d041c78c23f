#pragma once

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "client/shell/Prompts.h"
#include "tests/support/SimProcess.h"

namespace fonedesk::test {

// A throwaway world for one window-test program. At the first Instance(), HOME, the XDG folders
// and the ODBC configuration move into a fresh temporary folder (removed at exit), so no test
// touches the user's own profile, registry or data sources, and the session bus is one that is not
// there (FONEDESK_TEST_PRIVATE_BUS=1 keeps the bus of a dbus-run-session). COM1 to COM4 point at
// nothing until a test starts a simulated set.
class CClientTestEnvironment {
  public:
    static CClientTestEnvironment& Instance();

    const std::string& Folder() const { return m_folder; }

    // The control in the throwaway registry (fonerix-regsvr on the built libfonerix.so), or not.
    void RegisterControl();
    void UnregisterControl();

    // FNDB as a fresh SQLite file with empty tables. (A test of a missing FNDB runs in a process
    // of its own: unixODBC keeps what it read of odbc.ini for a while.)
    void CreateDataSource();
    // Runs statements on FNDB (test data), each on its own; throws on a database error.
    void Exec(const std::vector<std::string>& statements);
    // The first column of every row of a query on FNDB.
    std::vector<std::string> Column(const std::string& sql);

    // A simulated set on COM1; null options for "no set".
    std::unique_ptr<fonerix::test::SimProcess> StartSet(fonerix::test::SimOptions options);
    void NoSet();

    // The program's profile (Fonedesk.INI), removed for a first run.
    std::string ProfilePath() const;
    void RemoveProfile();

  private:
    CClientTestEnvironment();
    std::string m_folder;
};

// Answers message boxes and file dialogs in advance and records what the program asked.
class CPromptRecorder : public IPromptAnswers {
  public:
    CPromptRecorder() { CPrompts::SetAnswers(this); }
    ~CPromptRecorder() override { CPrompts::SetAnswers(nullptr); }
    CPromptRecorder(const CPromptRecorder&) = delete;
    CPromptRecorder& operator=(const CPromptRecorder&) = delete;

    QMessageBox::StandardButton OnMessage(QMessageBox::Icon icon, const QString& text,
                                          QMessageBox::StandardButtons buttons) override;
    QString OnFileDialog(const FileDialogRequest& request) override;

    // The next message box is answered with `answer` (default: its first button, Ok).
    void AnswerNextMessage(QMessageBox::StandardButton answer) { m_answers.enqueue(answer); }
    // The next file dialog returns `path` (empty: Cancel).
    void AnswerNextFile(const QString& path) { m_files.enqueue(path); }
    // The next folder chooser returns `path` (empty: Cancel). Folders have their own queue, so
    // that an answer meant for a file is never taken as a folder, nor the other way round.
    void AnswerNextFolder(const QString& path) { m_folders.enqueue(path); }

    QStringList messages;                  // every message box text, in order
    QList<QMessageBox::Icon> icons;        // and its icon
    QList<FileDialogRequest> fileDialogs;  // every file dialog and folder chooser asked for

  private:
    QQueue<QMessageBox::StandardButton> m_answers;
    QQueue<QString> m_files;
    QQueue<QString> m_folders;
};

}  // namespace fonedesk::test
