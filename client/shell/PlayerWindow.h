#pragma once

#include <QString>
#include <QWidget>
#include <memory>

class QMediaPlayer;

namespace fonedesk {

// A free-standing media-player window on one voice-message file: its name, the position and the
// duration, the mode (stopped, playing, paused) and play, pause and stop. A file that cannot be
// played, or a machine without an audio output, is said in the window itself.
class CPlayerWindow : public QWidget {
    Q_OBJECT
  public:
    // A new window (no parent, deleted when closed) on `path`, shown; every request gets its own.
    // It starts playing as soon as the file is loaded: the user asked to hear the message.
    static CPlayerWindow* Open(const QString& path);

    // A window that waits for the play button.
    explicit CPlayerWindow(const QString& path, QWidget* parent = nullptr);
    ~CPlayerWindow() override;

    QString FilePath() const;

    // What the window says: "0:03 / 0:05", the mode, and why the file cannot be played (empty
    // while it can).
    QString TimeText() const;
    QString ModeText() const;
    QString ProblemText() const;
    QMediaPlayer* MediaPlayer() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace fonedesk
