#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class IDD_ABOUTBOX;
}

namespace fonedesk {

// The about box (dialog 100): the program icon, its title and version, and links to the
// project's web site and support mail.
class CAboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDialog(QWidget* parent = nullptr);
    ~CAboutDialog() override;

  private:
    std::unique_ptr<Ui::IDD_ABOUTBOX> m_ui;
};

}  // namespace fonedesk
