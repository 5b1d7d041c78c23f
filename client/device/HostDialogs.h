#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace fonedesk {

// How the host draws a control's modal dialog (the control itself links no toolkit). The shell
// implements it with Qt; tests implement it to see what the control asked for.
class IHostDialogService {
  public:
    virtual ~IHostDialogService() = default;
    // Shows the dialog with an OK button and returns once it is closed.
    virtual void ShowModal(const QString& title, const QStringList& lines, const QImage& image) = 0;
};

}  // namespace fonedesk
