#include <algorithm>
#include <array>
#include <filesystem>
#include <span>
#include <string>

#include "tools/ctl/CommandHandlers.h"
#include "tools/ctl/CommandSupport.h"
#include "tools/ctl/ExitCodes.h"
#include "tools/ctl/Values.h"
#include "tools/ctl/VoiceFile.h"

namespace fonerix::ctl {

int VoiceGet(Session& s) {
    const long handle = *ParseNumber(s.invocation.operands[0], 0, 32767);
    const std::string file = std::filesystem::absolute(s.invocation.operands[1]).string();
    CAwake awake(s.control, false);
    BSTR name = BstrFromUtf8(file);
    const std::array<CVariant, 2> args = {CVariant(static_cast<int16_t>(handle)),
                                          CVariant::Ref(&name)};
    const bool ok = awake.Ok() && s.control.CallBool("GetSoundMessage", args);
    FreeBstr(name);
    if (!ok) {
        return s.Failed("voice message " + std::to_string(handle) + " could not be saved to " +
                        file + " (no such message, a model without voice messages, or the file " +
                        "cannot be written)");
    }
    s.out << "voice message " << handle << " saved to " << file << '\n';
    return kExitOk;
}

int VoicePut(Session& s) {
    // The format this set takes is known now; the set is asked nothing before the file fits.
    if (const auto problem = VoiceFileProblemForSet(s.invocation.operands[0], s.device.devType)) {
        return s.Error(kExitUsage, "voice put: " + *problem);
    }
    const std::string file = std::filesystem::absolute(s.invocation.operands[0]).string();
    CAwake awake(s.control, true);
    BSTR name = BstrFromUtf8(file);
    int16_t handle = 0;
    const std::array<CVariant, 2> args = {CVariant::Ref(&handle), CVariant::Ref(&name)};
    const bool ok = awake.Ok() && s.control.CallBool("SetSoundMessage", args);
    FreeBstr(name);
    if (!ok) {
        return s.Failed("the set did not store " + file +
                        " (not a WAV file the set takes, no room, or a model without voice "
                        "messages)");
    }
    s.out << handle << '\n';
    return kExitOk;
}

int VoiceDel(Session& s) {
    const long handle = *ParseNumber(s.invocation.operands[0], 0, 32767);
    CAwake awake(s.control, true);
    const CVariant arg(static_cast<int16_t>(handle));
    if (!awake.Ok() || !s.control.CallBool("DelSoundMessage", std::span(&arg, 1))) {
        return s.Failed("voice message " + std::to_string(handle) + " was not deleted");
    }
    s.out << "voice message " << handle << " deleted\n";
    return kExitOk;
}

int VoiceHandles(Session& s) {
    std::array<int16_t, 4> table{};
    CAwake awake(s.control, false);
    const std::array<CVariant, 2> args = {CVariant::Ref(table.data()),
                                          CVariant(static_cast<int16_t>(table.size()))};
    CVariant result;
    if (!awake.Ok() || FAILED(s.control.Call("GetSoundHandles", args, &result)) ||
        AsInteger(result) < 0) {
        return s.Failed("the set gave no voice-message handles");
    }
    const long long n = std::min<long long>(AsInteger(result), table.size());
    for (long long i = 0; i < n; ++i) {
        s.out << table[static_cast<size_t>(i)] << '\n';
    }
    return kExitOk;
}

int VoiceFree(Session& s) {
    CAwake awake(s.control, false);
    CVariant result;
    if (!awake.Ok() || FAILED(s.control.Call("GetFreeSoundSpace", {}, &result))) {
        return s.Failed("the set gave no free space");
    }
    s.out << AsInteger(result) << '\n';
    return kExitOk;
}

}  // namespace fonerix::ctl
