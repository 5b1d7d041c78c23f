#pragma once

#include <QString>
#include <QWidget>
#include <memory>

namespace fonedesk {

// A free-standing media-player window on one voice-message file: its name, the position and the
// duration, the mode (stopped, playing, paused) and play, pause and stop. A file that cannot be
// played, or a machine without an audio output, is said in the window itself.
class CPlayerWindow : public QWidget {
    Q_OBJECT
  public:
    // A new window (no parent, deleted when closed) on `path`, shown; every request gets its own.
    static CPlayerWindow* Open(const QString& path);

    explicit CPlayerWindow(const QString& path, QWidget* parent = nullptr);
    ~CPlayerWindow() override;

    QString FilePath() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace fonedesk
