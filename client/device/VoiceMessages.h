#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

namespace fonedesk {

// The file a voice message of the set is kept in: "RID%.4X_TRACK%.5X_DEV%.8X.wav" of the record,
// the message's 16-bit handle and the set's composite identifier. The call logs and the sound
// page name it alike, so that a message read once is found in the folder later.
QString VoiceMessageFileName(int rid, quint16 handle, qint32 deviceId);

// The program's own voice folder, under the user's data folder, ending with '/'.
QString DefaultVoiceFolder();

// Where a message came from, or why it is not there.
enum class VoiceFetch {
    InFolder,     // the file was there already: nothing was read from the set
    ReadFromSet,  // copied from the set into the file
    NoFolder,     // the folder does not exist (one the user chose is never created)
    ReadFailed,   // the set did not give the message
};

// The message `handle` in the file `path`: a file that is there and can be opened for reading
// and writing is used as it is; otherwise `read(handle, path)` copies it from the set. The
// program's own folder is made when it is first needed.
VoiceFetch FetchVoiceMessage(quint16 handle, const QString& path,
                             const std::function<bool(quint16, const QString&)>& read);

}  // namespace fonedesk
