#pragma once

#include <QWidget>
#include <memory>

#include "client/shell/settings/SettingsPage.h"
#include "control/device/Records.h"

namespace fonedesk {

class CFonerix;

// The page "Работа со звуком": the greeting and the alarm message between the set and WAV files,
// the sound volume, the longest answering-machine message, the free recording time and the voice
// folder.
class CSoundConfPage : public QWidget, public ISettingsPage {
    Q_OBJECT
  public:
    CSoundConfPage(CFonerix& device, const fonerix::DEVICEINFO& info, QWidget* parent = nullptr);
    ~CSoundConfPage() override;

    QString Title() const override { return QStringLiteral("Работа со звуком"); }
    void Refresh() override;

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace fonedesk
