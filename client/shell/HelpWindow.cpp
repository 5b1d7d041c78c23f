#include "client/shell/HelpWindow.h"

#include <QAction>
#include <QTextBrowser>
#include <QToolBar>

#include "client/resources/Strings.h"

namespace fonedesk {
namespace {

const QUrl kContents(QStringLiteral("qrc:/help/index.html"));

}  // namespace

CHelpWindow::CHelpWindow(QWidget* parent) : QMainWindow(parent), m_browser(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("CHelpWindow"));
    setWindowFlag(Qt::Window);
    setWindowTitle(
        QStringLiteral("%1 — %2").arg(LoadString(AFX_IDS_APP_TITLE), QStringLiteral("Помощь")));
    m_browser->setOpenExternalLinks(true);
    setCentralWidget(m_browser);

    QToolBar* bar = addToolBar(QStringLiteral("Помощь"));
    bar->setMovable(false);
    QAction* back = bar->addAction(QIcon::fromTheme(QStringLiteral("go-previous")),
                                   QStringLiteral("Назад"), m_browser, &QTextBrowser::backward);
    QAction* forward = bar->addAction(QIcon::fromTheme(QStringLiteral("go-next")),
                                      QStringLiteral("Вперёд"), m_browser, &QTextBrowser::forward);
    bar->addAction(QIcon::fromTheme(QStringLiteral("go-home")), QStringLiteral("Содержание"), this,
                   &CHelpWindow::ShowContents);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    resize(760, 600);
}

void CHelpWindow::ShowContents() {
    m_browser->setSource(kContents);
}

}  // namespace fonedesk
