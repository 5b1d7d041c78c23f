#include "client/device/VoiceMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace fonedesk {

QString VoiceMessageFileName(int rid, quint16 handle, qint32 deviceId) {
    return QString::asprintf("RID%.4X_TRACK%.5X_DEV%.8X.wav", static_cast<unsigned>(rid),
                             static_cast<unsigned>(handle), static_cast<unsigned>(deviceId));
}

QString DefaultVoiceFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("fonedesk/voice/"));
}

VoiceFetch FetchVoiceMessage(quint16 handle, const QString& path,
                             const std::function<bool(quint16, const QString&)>& read) {
    QFile existing(path);
    // An empty file is what an interrupted transfer leaves; it is read again.
    if (existing.size() > 0 && existing.open(QIODevice::ReadWrite)) {
        existing.close();
        return VoiceFetch::InFolder;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (QDir::cleanPath(folder) != QDir::cleanPath(DefaultVoiceFolder()) ||
            !QDir().mkpath(folder)) {
            return VoiceFetch::NoFolder;
        }
    }
    return read(handle, path) ? VoiceFetch::ReadFromSet : VoiceFetch::ReadFailed;
}

}  // namespace fonedesk
