#include "client/shell/PlayerWindow.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QUrl>
#include <QVBoxLayout>
#include <QtEndian>
#include <utility>

namespace fonedesk {
namespace {

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

constexpr char kStopped[] = "Остановлено";
constexpr char kPlaying[] = "Воспроизведение";
constexpr char kPaused[] = "Пауза";
constexpr char kPlay[] = "Воспроизвести";
constexpr char kStop[] = "Стоп";
constexpr char kCannotOpen[] = "Файл не удаётся открыть: %1";
constexpr char kCannotPlay[] = "Файл не удаётся воспроизвести: %1";
constexpr char kUnknownReason[] = "неизвестная ошибка";
constexpr char kNoOutput[] = "Нет устройства вывода звука";

// "m:ss", or "h:mm:ss" from an hour on.
QString Clock(qint64 ms) {
    const qint64 seconds = qMax<qint64>(ms, 0) / 1000;
    const QLatin1Char zero('0');
    if (seconds >= 3600) {
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, zero)
            .arg(seconds % 60, 2, 10, zero);
    }
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, zero);
}

// A theme icon where the desktop has one, the text where it has none; the text stays the tool
// tip and the accessible name either way.
QPushButton* MediaButton(QWidget* parent, const char* name, const char* iconName,
                         const QString& text) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    const QIcon icon = QIcon::fromTheme(QString::fromLatin1(iconName));
    if (icon.isNull()) {
        button->setText(text);
    } else {
        button->setIcon(icon);
    }
    button->setToolTip(text);
    button->setAccessibleName(text);
    return button;
}

// Where the samples of a RIFF/WAVE file end (the end of its data chunk), or -1 when the file
// is no such file or has no data chunk. Leaves the file's position anywhere.
qint64 SamplesEnd(QFile& file) {
    const auto chunkHeader = [&](qint64 at, QByteArray& id, quint32& size) {
        if (!file.seek(at)) {
            return false;
        }
        const QByteArray header = file.read(8);
        if (header.size() != 8) {
            return false;
        }
        id = header.left(4);
        size = qFromLittleEndian<quint32>(header.constData() + 4);
        return true;
    };
    QByteArray id;
    quint32 size = 0;
    if (!chunkHeader(0, id, size) || id != "RIFF" || file.read(4) != "WAVE") {
        return -1;
    }
    for (qint64 at = 12; chunkHeader(at, id, size);) {
        if (id == "data") {
            return at + 8 + qint64(size);
        }
        // Chunks start on even offsets: an odd-sized one is followed by a pad byte.
        at += 8 + qint64(size) + (size & 1);
    }
    return -1;
}

}  // namespace

struct CPlayerWindow::Impl {
    QString path;
    QMediaPlayer* player = nullptr;
    QAudioOutput* output = nullptr;
    QMediaDevices* devices = nullptr;
    QLabel* name = nullptr;
    QLabel* problem = nullptr;
    QLabel* mode = nullptr;
    QLabel* time = nullptr;
    QSlider* slider = nullptr;
    QPushButton* play = nullptr;
    QPushButton* pause = nullptr;
    QPushButton* stop = nullptr;
    // Why the file cannot be played; once set, it stays.
    QString fileProblem;
    // The file's bytes when the player cannot be given the file itself.
    QBuffer samples;
    bool noOutput = false;
    bool playWhenLoaded = false;

    bool Loaded() const {
        switch (player->mediaStatus()) {
            case QMediaPlayer::LoadedMedia:
            case QMediaPlayer::BufferingMedia:
            case QMediaPlayer::BufferedMedia:
            case QMediaPlayer::EndOfMedia:
                return true;
            default:
                return false;
        }
    }

    bool CanPlay() const { return fileProblem.isEmpty() && !noOutput && Loaded(); }

    QString Problem() const {
        if (!fileProblem.isEmpty()) {
            return fileProblem;
        }
        return noOutput ? Text(kNoOutput) : QString();
    }

    QString Mode() const {
        switch (player->playbackState()) {
            case QMediaPlayer::PlayingState:
                return Text(kPlaying);
            case QMediaPlayer::PausedState:
                return Text(kPaused);
            case QMediaPlayer::StoppedState:
                break;
        }
        return Text(kStopped);
    }

    QString Time() const {
        // While the knob is dragged the clock follows the knob, not the sound.
        const qint64 position = slider->isSliderDown() ? slider->value() : player->position();
        // The duration to the nearest second: 4.999 s of samples is a five-second message.
        return Clock(position) + QStringLiteral(" / ") + Clock(player->duration() + 500);
    }

    void FailFile(const char* format, const QString& reason) {
        if (!fileProblem.isEmpty()) {
            return;
        }
        fileProblem = Text(format).arg(reason.isEmpty() ? Text(kUnknownReason) : reason);
        playWhenLoaded = false;
    }

    void Refresh() {
        const QMediaPlayer::PlaybackState state = player->playbackState();
        play->setEnabled(CanPlay() && state != QMediaPlayer::PlayingState);
        pause->setEnabled(state == QMediaPlayer::PlayingState);
        stop->setEnabled(state != QMediaPlayer::StoppedState);
        slider->setEnabled(fileProblem.isEmpty() && Loaded() && player->isSeekable() &&
                           player->duration() > 0);
        mode->setText(Mode());
        time->setText(Time());
        const QString text = Problem();
        problem->setText(text);
        problem->setVisible(!text.isEmpty());
    }

    void StartIfWanted() {
        if (playWhenLoaded && CanPlay()) {
            playWhenLoaded = false;
            player->play();
        }
    }

    void OutputsChanged() {
        const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
        noOutput = outputs.isEmpty();
        // A device that went away is replaced by the desktop's default; one still there is kept,
        // so that a new default does not cut into a message being played.
        if (!noOutput && !outputs.contains(output->device())) {
            output->setDevice(QMediaDevices::defaultAudioOutput());
        }
        Refresh();
        StartIfWanted();
    }
};

CPlayerWindow* CPlayerWindow::Open(const QString& path) {
    auto* window = new CPlayerWindow(path);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->d->playWhenLoaded = true;
    window->d->StartIfWanted();
    window->show();
    return window;
}

CPlayerWindow::CPlayerWindow(const QString& path, QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>()) {
    d->path = path;
    setObjectName(QStringLiteral("CPlayerWindow"));
    setWindowFlag(Qt::Window);
    const QString fileName = QFileInfo(path).fileName();
    setWindowTitle(fileName);

    d->name = new QLabel(fileName, this);
    d->name->setObjectName(QStringLiteral("fileName"));
    d->name->setToolTip(path);
    d->name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    d->problem = new QLabel(this);
    d->problem->setObjectName(QStringLiteral("problem"));
    d->problem->setWordWrap(true);
    d->slider = new QSlider(Qt::Horizontal, this);
    d->slider->setObjectName(QStringLiteral("position"));
    d->play = MediaButton(this, "play", "media-playback-start", Text(kPlay));
    d->pause = MediaButton(this, "pause", "media-playback-pause", Text(kPaused));
    d->stop = MediaButton(this, "stop", "media-playback-stop", Text(kStop));
    d->mode = new QLabel(this);
    d->mode->setObjectName(QStringLiteral("mode"));
    d->time = new QLabel(this);
    d->time->setObjectName(QStringLiteral("time"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(d->play);
    buttons->addWidget(d->pause);
    buttons->addWidget(d->stop);
    buttons->addStretch();
    buttons->addWidget(d->mode);
    buttons->addSpacing(12);
    buttons->addWidget(d->time);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(d->name);
    layout->addWidget(d->problem);
    layout->addWidget(d->slider);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    d->player = new QMediaPlayer(this);
    d->output = new QAudioOutput(this);
    d->player->setAudioOutput(d->output);
    d->devices = new QMediaDevices(this);

    QMediaPlayer* player = d->player;
    QSlider* slider = d->slider;
    connect(player, &QMediaPlayer::playbackStateChanged, this, [this] { d->Refresh(); });
    connect(player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus s) {
        if (s == QMediaPlayer::InvalidMedia) {
            d->FailFile(kCannotPlay, d->player->errorString());
        }
        d->Refresh();
        d->StartIfWanted();
    });
    connect(player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error error, const QString& reason) {
                if (error == QMediaPlayer::NoError) {
                    return;
                }
                d->FailFile(error == QMediaPlayer::ResourceError ? kCannotOpen : kCannotPlay,
                            reason);
                d->Refresh();
            });
    connect(player, &QMediaPlayer::durationChanged, this, [this](qint64 duration) {
        const QSignalBlocker quiet(d->slider);
        d->slider->setRange(0, int(qMin<qint64>(duration, INT_MAX)));
        d->Refresh();
    });
    connect(player, &QMediaPlayer::seekableChanged, this, [this] { d->Refresh(); });
    connect(player, &QMediaPlayer::positionChanged, this, [this](qint64 position) {
        if (!d->slider->isSliderDown()) {
            const QSignalBlocker quiet(d->slider);
            d->slider->setValue(int(qMin<qint64>(position, INT_MAX)));
        }
        d->time->setText(d->Time());
    });
    // Only the user moves the knob with signals on: a click on the groove or a key seeks at
    // once, a drag when the knob is let go.
    connect(slider, &QSlider::valueChanged, this, [this](int value) {
        if (!d->slider->isSliderDown()) {
            d->player->setPosition(value);
        }
    });
    connect(slider, &QSlider::sliderMoved, this, [this] { d->time->setText(d->Time()); });
    connect(slider, &QSlider::sliderReleased, this,
            [this] { d->player->setPosition(d->slider->value()); });
    connect(d->play, &QPushButton::clicked, player, &QMediaPlayer::play);
    connect(d->pause, &QPushButton::clicked, player, &QMediaPlayer::pause);
    connect(d->stop, &QPushButton::clicked, player, &QMediaPlayer::stop);
    connect(d->devices, &QMediaDevices::audioOutputsChanged, this, [this] { d->OutputsChanged(); });

    d->noOutput = QMediaDevices::audioOutputs().isEmpty();
    // The file is tried here first: the player's own reasons for a missing or unreadable file
    // vary with the back end and are not always given.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        d->FailFile(kCannotOpen, file.errorString());
    } else {
        const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
        const qint64 end = SamplesEnd(file);
        if (end > 0 && end < file.size()) {
            // GStreamer's WAV reader finds no duration and plays nothing when anything follows
            // the samples, and a message with an odd number of samples is followed by its pad
            // byte: the player gets the file up to its last sample.
            file.seek(0);
            d->samples.setData(file.read(end));
            d->samples.open(QIODevice::ReadOnly);
            d->player->setSourceDevice(&d->samples, url);
        } else {
            d->player->setSource(url);
        }
    }
    d->Refresh();
}

CPlayerWindow::~CPlayerWindow() {
    // The player goes first, quietly: it may still be reading the buffer that goes with d.
    QMediaPlayer* player = std::exchange(d->player, nullptr);
    player->disconnect(this);
    delete player;
}

QString CPlayerWindow::FilePath() const {
    return d->path;
}

QString CPlayerWindow::TimeText() const {
    return d->Time();
}

QString CPlayerWindow::ModeText() const {
    return d->Mode();
}

QString CPlayerWindow::ProblemText() const {
    return d->Problem();
}

QMediaPlayer* CPlayerWindow::MediaPlayer() const {
    return d->player;
}

}  // namespace fonedesk
