#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "client/device/HostDialogs.h"

namespace fonedesk {

// Draws the control's modal dialogs (its about box) with Qt: the title, the lines as plain text,
// the picture if any, and an OK button, modal and owned by the parent given here.
class CQtHostDialogs : public IHostDialogService {
  public:
    // `parent` may be null or go away before a dialog is shown; the dialog then has no owner.
    explicit CQtHostDialogs(QWidget* parent) : m_parent(parent) {}

    void ShowModal(const QString& title, const QStringList& lines, const QImage& image) override;

    // The dialog ShowModal runs, made but not shown.
    static std::unique_ptr<QDialog> MakeDialog(QWidget* parent, const QString& title,
                                               const QStringList& lines, const QImage& image);

  private:
    QPointer<QWidget> m_parent;
};

}  // namespace fonedesk
