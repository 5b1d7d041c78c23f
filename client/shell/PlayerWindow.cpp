#include "client/shell/PlayerWindow.h"

namespace fonedesk {

// Placeholder until the player lands: keeps the frame building.
struct CPlayerWindow::Impl {
    QString path;
};

CPlayerWindow* CPlayerWindow::Open(const QString& path) {
    auto* window = new CPlayerWindow(path);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

CPlayerWindow::CPlayerWindow(const QString& path, QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>()) {
    d->path = path;
}

CPlayerWindow::~CPlayerWindow() = default;

QString CPlayerWindow::FilePath() const {
    return d->path;
}

}  // namespace fonedesk
