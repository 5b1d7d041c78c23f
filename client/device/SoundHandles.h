#pragma once

#include <QString>
#include <QtGlobal>

namespace fonedesk {

// The handles of the set's special messages as GetSoundHandles reports them with four entries:
// entry 0 the answering machine's greeting, entry 1 the alarm message, entries 2 and 3 (the
// free chain's head and a further handle) carried along unchanged when the table is written
// back whole. A handle of 0 names no message.
struct SpecialSoundHandles {
    static constexpr short kEntries = 4;
    short table[kEntries] = {};
    // What GetSoundHandles returned: the entries it filled, or -1 when the set did not answer.
    short count = -1;
};

// The two rows of the sound page, by their entry in the table.
enum class SpecialMessage { Greeting = 0, Alarm = 1 };

struct SpecialMessageButtons {
    bool read = false;
    bool write = false;
    bool remove = false;
};

// Read and delete need a message in the row; writing, in either row, needs a set that reported
// more than the two special entries.
SpecialMessageButtons SpecialButtons(const SpecialSoundHandles& handles, SpecialMessage row);

// The file special message `handle` is kept in: `folder` (ending with '/') and the name of
// record 0.
QString SpecialVoiceFile(const QString& folder, short handle, qint32 deviceId);

// Whether the voice file at `path` can be played: it exists and opens for reading and writing.
// A folder of that name, or a file the user may not change, is not one.
bool VoiceFileReady(const QString& path);

// The voice folder from the value of "VoiceDir"; the program's own folder while none is set,
// so that messages never land in whatever the working folder happens to be.
QString VoiceFolderOf(const QString& voiceDir);
// "VoiceDir" for a folder the user chose: the folder with a '/' at its end (only one).
QString VoiceDirValue(const QString& folder);
// The folder a file dialog opens in: "VoiceDir" without its final '/'; the root stays "/".
QString VoiceDirForDialog(const QString& voiceDir);
// Makes the program's own voice folder when it is missing; a folder the user chose is never
// made. Whether `folder` is there now.
bool PrepareVoiceFolder(const QString& folder);

}  // namespace fonedesk
