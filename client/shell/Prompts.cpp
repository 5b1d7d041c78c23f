#include "client/shell/Prompts.h"

#include "client/resources/Strings.h"

namespace fonedesk {
namespace {

IPromptAnswers* installedAnswers = nullptr;

}  // namespace

QMessageBox::StandardButton CPrompts::Message(QWidget* parent, QMessageBox::Icon icon,
                                              const QString& text,
                                              QMessageBox::StandardButtons buttons) {
    if (installedAnswers != nullptr) {
        return installedAnswers->OnMessage(icon, text, buttons);
    }
    // A disabled window (the frame behind the wait window) would disable its child boxes too.
    QWidget* owner = parent != nullptr && parent->window()->isEnabled() ? parent : nullptr;
    QMessageBox box(icon, LoadString(AFX_IDS_APP_TITLE), text, buttons, owner);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString CPrompts::FileName(QWidget* parent, const FileDialogRequest& request) {
    if (installedAnswers != nullptr) {
        return installedAnswers->OnFileDialog(request);
    }
    if (request.kind == FileDialogRequest::Folder) {
        return QFileDialog::getExistingDirectory(parent, request.title, request.directory,
                                                 request.options | QFileDialog::ShowDirsOnly);
    }
    QFileDialog dialog(parent, request.title, request.directory, request.filter);
    dialog.setOptions(request.options);
    if (request.kind == FileDialogRequest::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(request.defaultSuffix);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

void CPrompts::SetAnswers(IPromptAnswers* answers) {
    installedAnswers = answers;
}

}  // namespace fonedesk
