// The voice-message player on its own: message files as the control writes them, with their
// duration; files it cannot play and a machine without sound, said in the window; and, under
// playback_test.sh, the buttons and the sound that reaches a PulseAudio null sink.
#include <QApplication>
#include <QAudioDevice>
#include <QFile>
#include <QLabel>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <numbers>
#include <vector>

#include "client/shell/PlayerWindow.h"
#include "control/voice/WavFormat.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

using fonedesk::CPlayerWindow;

namespace {

// Loading, playing and the server's answers all go through GStreamer and the sound server: the
// waits are generous, and nothing is measured against them.
constexpr int kLongWait = 30000;
constexpr double kToneHz = 440;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A tone stored as the control stores a downloaded message: its 56-byte header (RIFF, fmt,
// fact, data), 8-bit unsigned mono samples and the pad byte of an odd data chunk.
void WriteTone(const QString& path, uint32_t rate, uint32_t samples) {
    std::vector<uint8_t> bytes(fonerix::kWavHeaderSize + samples + (samples & 1), 128);
    fonerix::BuildWavHeader(rate, samples, bytes.data());
    for (uint32_t i = 0; i < samples; ++i) {
        const double phase = 2 * std::numbers::pi * kToneHz * i / rate;
        bytes[fonerix::kWavHeaderSize + i] = uint8_t(std::lround(128 + 100 * std::sin(phase)));
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())),
             qint64(bytes.size()));
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QPushButton* Button(CPlayerWindow& window, const char* name) {
    return window.findChild<QPushButton*>(QString::fromLatin1(name));
}

QString LabelText(CPlayerWindow& window, const char* name) {
    auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    return label == nullptr ? QStringLiteral("<no label %1>").arg(QLatin1String(name))
                            : label->text();
}

bool Loaded(CPlayerWindow& window) {
    const QMediaPlayer::MediaStatus status = window.MediaPlayer()->mediaStatus();
    return status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia;
}

// Why a playback test cannot run here, or empty when a private sound server is up.
QString PlaybackUnavailable() {
    const QByteArray skip = qgetenv("FONEDESK_PLAYBACK_SKIP");
    if (!skip.isEmpty()) {
        return QString::fromLocal8Bit(skip);
    }
    if (qEnvironmentVariableIsEmpty("FONEDESK_PLAYBACK_SINK")) {
        return QStringLiteral("runs as client_player_playback_test, on a sound server of its own");
    }
    return {};
}

// The figures sox's "stat" gives for a recording, with the silence before and after cut off.
struct SoundFigures {
    double rms = 0;
    double frequency = 0;
    double seconds = 0;
    QString report;
};

SoundFigures Measure(const QString& recording) {
    QProcess sox;
    sox.setProcessChannelMode(QProcess::MergedChannels);
    sox.start(QStringLiteral("sox"),
              {recording, QStringLiteral("-n"), QStringLiteral("silence"), QStringLiteral("1"),
               QStringLiteral("0.02"), QStringLiteral("1%"), QStringLiteral("reverse"),
               QStringLiteral("silence"), QStringLiteral("1"), QStringLiteral("0.02"),
               QStringLiteral("1%"), QStringLiteral("reverse"), QStringLiteral("stat")});
    SoundFigures figures;
    if (!sox.waitForFinished(kLongWait)) {
        figures.report = QStringLiteral("sox did not finish");
        return figures;
    }
    figures.report = QString::fromLocal8Bit(sox.readAll());
    const auto figure = [&](const char* name) {
        const QRegularExpression line(QStringLiteral("%1:\\s*([-0-9.]+)").arg(QLatin1String(name)));
        const QRegularExpressionMatch match = line.match(figures.report);
        return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
    };
    figures.rms = figure("RMS\\s+amplitude");
    figures.frequency = figure("Rough\\s+frequency");
    figures.seconds = figure("Length\\s+\\(seconds\\)");
    return figures;
}

// How many recording streams the sound server has: parec is ready once it has one.
int RecordingStreams() {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"),
                                          QStringLiteral("source-outputs")});
    if (!pactl.waitForFinished(kLongWait) || pactl.exitCode() != 0) {
        return -1;
    }
    const QByteArray streams = pactl.readAllStandardOutput().trimmed();
    return streams.isEmpty() ? 0 : int(streams.count('\n')) + 1;
}

// The state of the test's sink ("RUNNING" while a stream plays into it).
QByteArray SinkState() {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"),
                {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sinks")});
    if (!pactl.waitForFinished(kLongWait) || pactl.exitCode() != 0) {
        return {};
    }
    for (const QByteArray& line : pactl.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 5 && fields.at(1) == qgetenv("FONEDESK_PLAYBACK_SINK")) {
            return fields.at(4).trimmed();
        }
    }
    return {};
}

}  // namespace

class PlayerWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void messageFilesLoadWithTheirDuration_data();
    void messageFilesLoadWithTheirDuration();
    void filesThatCannotBePlayedAreSaid_data();
    void filesThatCannotBePlayedAreSaid();
    void noAudioOutputIsSaid();
    void buttonsFollowTheMode();
    void openStartsPlayingByItself();
    void soundReachesTheSink();

  private:
    QString File(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};

void PlayerWindowTest::initTestCase() {
    QVERIFY(m_dir.isValid());
}

void PlayerWindowTest::messageFilesLoadWithTheirDuration_data() {
    QTest::addColumn<uint>("rate");
    QTest::addColumn<uint>("samples");
    QTest::addColumn<qint64>("milliseconds");
    QTest::addColumn<QString>("time");
    QTest::newRow("types 5 and 6: 11025 Hz, 5 s")
        << 11025u << 55125u << qint64(5000) << "0:00 / 0:05";
    QTest::newRow("type 7: 6400 Hz, 3 s") << 6400u << 19200u << qint64(3000) << "0:00 / 0:03";
    QTest::newRow("odd sample count, pad byte")
        << 11025u << 22051u << qint64(2000) << "0:00 / 0:02";
    QTest::newRow("a minute and a bit") << 6400u << 6400u * 61 << qint64(61000) << "0:00 / 1:01";
}

void PlayerWindowTest::messageFilesLoadWithTheirDuration() {
    QFETCH(uint, rate);
    QFETCH(uint, samples);
    QFETCH(qint64, milliseconds);
    QFETCH(QString, time);
    const QString path = File("RID0001_TRACK00028_DEV00050001.wav");
    WriteTone(path, rate, samples);
    CPlayerWindow window(path);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(Loaded(window), kLongWait);
    QTRY_VERIFY_WITH_TIMEOUT(window.MediaPlayer()->duration() > 0, kLongWait);
    QVERIFY2(qAbs(window.MediaPlayer()->duration() - milliseconds) <= 50,
             qPrintable(QString::number(window.MediaPlayer()->duration())));
    QCOMPARE(window.TimeText(), time);
    QCOMPARE(LabelText(window, "time"), time);
    QCOMPARE(window.windowTitle(), QStringLiteral("RID0001_TRACK00028_DEV00050001.wav"));
    QCOMPARE(LabelText(window, "fileName"), window.windowTitle());
    QCOMPARE(window.ModeText(), U("Остановлено"));
    QCOMPARE(LabelText(window, "mode"), U("Остановлено"));
    QVERIFY(window.ProblemText().isEmpty() ||
            window.ProblemText() == U("Нет устройства вывода звука"));
    QVERIFY(window.findChild<QSlider*>(QStringLiteral("position"))->isEnabled());
}

void PlayerWindowTest::filesThatCannotBePlayedAreSaid_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");  // null: no file at all
    QTest::addColumn<QString>("said");      // the whole text, the reason included
    QTest::newRow("missing") << "missing.wav" << QByteArray() << U("^Файл не удаётся открыть: .+");
    // What the decoder makes of the rest, and whether it calls it opening or playing, is its own.
    const QString either = U("^Файл не удаётся (открыть|воспроизвести): .+");
    QTest::newRow("text") << "text.wav" << QByteArray("RID0001 is not a sound\n") << either;
    QTest::newRow("empty") << "empty.wav" << QByteArray("", 0) << either;
    QTest::newRow("header cut off")
        << "cut.wav" << QByteArray("RIFF\x30\x00\x00\x00WAVEfmt ", 16) << either;
}

void PlayerWindowTest::filesThatCannotBePlayedAreSaid() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, said);
    const QString path = m_dir.filePath(name);
    if (!bytes.isNull()) {
        WriteBytes(path, bytes);
    }
    // Opened as a request is: it would start playing if it could.
    QPointer<CPlayerWindow> window = CPlayerWindow::Open(path);
    QVERIFY(window->isVisible());
    QCOMPARE(window->FilePath(), path);
    // A file's fault outranks a missing sound device, and the decoder may take its time.
    QTRY_VERIFY_WITH_TIMEOUT(window->ProblemText().startsWith(U("Файл")), kLongWait);
    QVERIFY2(QRegularExpression(said).match(window->ProblemText()).hasMatch(),
             qPrintable(window->ProblemText()));
    QCOMPARE(LabelText(*window, "problem"), window->ProblemText());
    QVERIFY(window->findChild<QLabel*>(QStringLiteral("problem"))->isVisible());
    QVERIFY(!Button(*window, "play")->isEnabled());
    QVERIFY(!window->findChild<QSlider*>(QStringLiteral("position"))->isEnabled());
    QCOMPARE(window->MediaPlayer()->playbackState(), QMediaPlayer::StoppedState);
    QCOMPARE(window->windowTitle(), name);
    window->close();
    QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kLongWait);
}

void PlayerWindowTest::noAudioOutputIsSaid() {
    if (!QMediaDevices::audioOutputs().isEmpty()) {
        QSKIP("an audio output is reachable; ctest points PULSE_SERVER at nothing for this test");
    }
    const QString path = File("silent-machine.wav");
    WriteTone(path, 11025, 11025);
    QPointer<CPlayerWindow> window = CPlayerWindow::Open(path);
    QCOMPARE(window->ProblemText(), U("Нет устройства вывода звука"));
    QCOMPARE(LabelText(*window, "problem"), U("Нет устройства вывода звука"));
    QTRY_VERIFY_WITH_TIMEOUT(Loaded(*window), kLongWait);
    // Loaded, yet nothing to play it on: play stays off and the request to play is not carried
    // out behind the user's back.
    QVERIFY(!Button(*window, "play")->isEnabled());
    QCOMPARE(window->MediaPlayer()->playbackState(), QMediaPlayer::StoppedState);
    QCOMPARE(window->ModeText(), U("Остановлено"));
    window->close();
    QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kLongWait);
}

void PlayerWindowTest::buttonsFollowTheMode() {
    const QString reason = PlaybackUnavailable();
    if (!reason.isEmpty()) {
        QSKIP(qPrintable(reason));
    }
    const QString path = File("buttons.wav");
    WriteTone(path, 11025, 11025 * 4);
    CPlayerWindow window(path);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(Loaded(window), kLongWait);
    QVERIFY(window.ProblemText().isEmpty());
    QVERIFY(!window.findChild<QLabel*>(QStringLiteral("problem"))->isVisible());
    // The window waits for the user.
    QCOMPARE(window.MediaPlayer()->playbackState(), QMediaPlayer::StoppedState);
    QVERIFY(Button(window, "play")->isEnabled());
    QVERIFY(!Button(window, "pause")->isEnabled());
    QVERIFY(!Button(window, "stop")->isEnabled());

    Button(window, "play")->click();
    QTRY_COMPARE_WITH_TIMEOUT(window.ModeText(), U("Воспроизведение"), kLongWait);
    QCOMPARE(LabelText(window, "mode"), U("Воспроизведение"));
    QVERIFY(!Button(window, "play")->isEnabled());
    QVERIFY(Button(window, "pause")->isEnabled());
    QVERIFY(Button(window, "stop")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(window.MediaPlayer()->position() > 0, kLongWait);

    Button(window, "pause")->click();
    QTRY_COMPARE_WITH_TIMEOUT(window.ModeText(), U("Пауза"), kLongWait);
    QVERIFY(Button(window, "play")->isEnabled());
    QVERIFY(!Button(window, "pause")->isEnabled());
    QVERIFY(Button(window, "stop")->isEnabled());

    // A click on the groove (or a key) moves the knob: the sound follows it.
    window.findChild<QSlider*>(QStringLiteral("position"))->setValue(3000);
    QTRY_COMPARE_WITH_TIMEOUT(window.TimeText(), QStringLiteral("0:03 / 0:04"), kLongWait);
    QCOMPARE(window.ModeText(), U("Пауза"));

    Button(window, "stop")->click();
    QTRY_COMPARE_WITH_TIMEOUT(window.ModeText(), U("Остановлено"), kLongWait);
    QTRY_COMPARE_WITH_TIMEOUT(window.TimeText(), QStringLiteral("0:00 / 0:04"), kLongWait);
    QVERIFY(Button(window, "play")->isEnabled());
    QVERIFY(!Button(window, "stop")->isEnabled());

    // A message heard to its end can be heard again.
    Button(window, "play")->click();
    QTRY_COMPARE_WITH_TIMEOUT(window.MediaPlayer()->mediaStatus(), QMediaPlayer::EndOfMedia,
                              kLongWait);
    QTRY_COMPARE_WITH_TIMEOUT(window.ModeText(), U("Остановлено"), kLongWait);
    QVERIFY(Button(window, "play")->isEnabled());
    Button(window, "play")->click();
    QTRY_COMPARE_WITH_TIMEOUT(window.ModeText(), U("Воспроизведение"), kLongWait);
    window.MediaPlayer()->stop();
}

void PlayerWindowTest::openStartsPlayingByItself() {
    const QString reason = PlaybackUnavailable();
    if (!reason.isEmpty()) {
        QSKIP(qPrintable(reason));
    }
    const QString path = File("open.wav");
    WriteTone(path, 11025, 11025 * 2);
    QPointer<CPlayerWindow> window = CPlayerWindow::Open(path);
    QTRY_COMPARE_WITH_TIMEOUT(window->ModeText(), U("Воспроизведение"), kLongWait);
    // Closing the window ends the sound with it.
    window->close();
    QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kLongWait);
}

void PlayerWindowTest::soundReachesTheSink() {
    const QString reason = PlaybackUnavailable();
    if (!reason.isEmpty()) {
        QSKIP(qPrintable(reason));
    }
    QVERIFY2(!QMediaDevices::audioOutputs().isEmpty(), "the test's sound server offers no output");
    const QString path = File("tone.wav");
    WriteTone(path, fonerix::kZeltaVoiceRate, fonerix::kZeltaVoiceRate * 3);
    const QString recording = File("recording.wav");

    QProcess parec;
    parec.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    parec.start(
        QStringLiteral("parec"),
        {QStringLiteral("--device=%1.monitor").arg(qEnvironmentVariable("FONEDESK_PLAYBACK_SINK")),
         QStringLiteral("--file-format=wav"), QStringLiteral("--channels=1"),
         QStringLiteral("--rate=44100"), QStringLiteral("--format=s16le"), recording});
    QVERIFY(parec.waitForStarted(kLongWait));
    // The first samples must not play before the recording has begun.
    QTRY_VERIFY_WITH_TIMEOUT(RecordingStreams() > 0, kLongWait);

    CPlayerWindow window(path);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(Loaded(window), kLongWait);
    Button(window, "play")->click();
    QTRY_COMPARE_WITH_TIMEOUT(window.MediaPlayer()->mediaStatus(), QMediaPlayer::EndOfMedia,
                              kLongWait);
    QTRY_VERIFY_WITH_TIMEOUT(SinkState() != "RUNNING", kLongWait);
    parec.terminate();
    QVERIFY(parec.waitForFinished(kLongWait));

    const SoundFigures figures = Measure(recording);
    QVERIFY2(figures.rms > 0.1, qPrintable(figures.report));
    QVERIFY2(qAbs(figures.frequency - kToneHz) < 20, qPrintable(figures.report));
    // Three seconds of tone, once. GStreamer under Qt 6.4 drops a few tenths of a second where
    // a stream starts and ends (0.2 to 0.4 s seen here); a message cut short beyond that, or
    // played twice, is a fault of ours.
    QVERIFY2(figures.seconds > 2.3 && figures.seconds < 3.1, qPrintable(figures.report));
}

int main(int argc, char** argv) {
    // The throwaway home first: GStreamer keeps its registry there.
    fonedesk::test::CClientTestEnvironment::Instance();
    QApplication app(argc, argv);
    PlayerWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PlayerWindowTest.moc"
