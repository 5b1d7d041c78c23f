#pragma once

#include <optional>
#include <string>

namespace fonerix::ctl {

// What voice put says about a WAV file, through the control's own WAV reader, so that the
// answer is the one the control would give, only with the reason and the fix in words.

// Before the set is searched: a file that is no WAV file any set could read (not RIFF/WAVE,
// chunks cut off, no samples). Its format is for VoiceFileProblemForSet. nullopt when readable.
std::optional<std::string> VoiceFileProblem(const std::string& path);

// Once the set is found: what of the file's format this set does not take, and the sox command
// that converts it; nullopt when the set takes it, or when the type keeps no voice messages.
std::optional<std::string> VoiceFileProblemForSet(const std::string& path, unsigned devType);

}  // namespace fonerix::ctl
