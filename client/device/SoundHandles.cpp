#include "client/device/SoundHandles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "client/device/VoiceMessages.h"

namespace fonedesk {

SpecialMessageButtons SpecialButtons(const SpecialSoundHandles& handles, SpecialMessage row) {
    const bool message = handles.table[static_cast<int>(row)] != 0;
    SpecialMessageButtons buttons;
    buttons.read = message;
    buttons.remove = message;
    buttons.write = handles.count > 2;
    return buttons;
}

QString SpecialVoiceFile(const QString& folder, short handle, qint32 deviceId) {
    return folder + VoiceMessageFileName(0, static_cast<quint16>(handle), deviceId);
}

bool VoiceFileReady(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return false;
    }
    QFile file(path);
    return file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly);
}

QString VoiceFolderOf(const QString& voiceDir) {
    return voiceDir.isEmpty() ? DefaultVoiceFolder() : voiceDir;
}

QString VoiceDirValue(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString VoiceDirForDialog(const QString& voiceDir) {
    if (voiceDir.size() > 1 && voiceDir.endsWith(QLatin1Char('/'))) {
        return voiceDir.chopped(1);
    }
    return voiceDir;
}

bool PrepareVoiceFolder(const QString& folder) {
    if (QFileInfo(folder).isDir()) {
        return true;
    }
    return QDir::cleanPath(folder) == QDir::cleanPath(DefaultVoiceFolder()) &&
           QDir().mkpath(folder);
}

}  // namespace fonedesk
