#pragma once

#include <QWidget>
#include <memory>

#include "client/shell/settings/SettingsPage.h"

namespace fonedesk {

// The page "Программные": the program's own options in its profile (start-up, pop-up and
// notification, field delimiter, reference files).
class CProgramConfPage : public QWidget, public ISettingsPage {
    Q_OBJECT
  public:
    explicit CProgramConfPage(QWidget* parent = nullptr);
    ~CProgramConfPage() override;

    QString Title() const override { return QStringLiteral("Программные"); }
    void Refresh() override;

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace fonedesk
