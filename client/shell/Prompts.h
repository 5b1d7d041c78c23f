#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QString>

namespace fonedesk {

// A file dialog as the program asks for it; a folder chooser is one too.
struct FileDialogRequest {
    enum Kind { Open, Save, Folder };
    Kind kind = Open;
    QString title;
    QString filter;         // Qt's form: "Text (*.txt);;All Files (*.*)"; not for folders
    QString defaultSuffix;  // added to a name typed without one (save dialogs)
    QFileDialog::Options options;
    QString directory;  // where the dialog opens; empty: where Qt chooses
};

// Answers a test gives in advance instead of a person. While one is installed no message box or
// file dialog is shown; each request is handed to it and its answer returned.
class IPromptAnswers {
  public:
    virtual ~IPromptAnswers() = default;
    virtual QMessageBox::StandardButton OnMessage(QMessageBox::Icon icon, const QString& text,
                                                  QMessageBox::StandardButtons buttons) = 0;
    // The chosen file (or folder), or an empty text for Cancel.
    virtual QString OnFileDialog(const FileDialogRequest& request) = 0;
};

// Every message box and file dialog of the program goes through here.
class CPrompts {
  public:
    // A modal message box titled with the program's title; the button the user pressed.
    static QMessageBox::StandardButton Message(
        QWidget* parent, QMessageBox::Icon icon, const QString& text,
        QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    // The chosen file, or for a Folder request the chosen folder; an empty text when the user
    // cancelled.
    static QString FileName(QWidget* parent, const FileDialogRequest& request);

    // Tests: installs the answers (null removes them); the caller keeps ownership.
    static void SetAnswers(IPromptAnswers* answers);
};

}  // namespace fonedesk
