#pragma once

#include <QMainWindow>

class QTextBrowser;

namespace fonedesk {

// The user manual: the HTML pages compiled into the program, opened on their contents page, with
// back, forward and contents buttons. One window per program; "Помощь" raises it again.
class CHelpWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    void ShowContents();
    QTextBrowser* Browser() const { return m_browser; }

  private:
    QTextBrowser* m_browser;
};

}  // namespace fonedesk
