#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/ctl/Session.h"

namespace fonerix::ctl {

// The commands, one function each, for the command table in CommandTable.cpp. Each runs
// against the set the session found, with operands that have passed its row's check, and
// returns the exit code. watch is declared in Watch.h.

// DeviceCommands.cpp: the set itself.
int Find(Session& s);  // find
int Info(Session& s);  // info
int Dial(Session& s);  // dial
int Key(Session& s);   // key

// PropertyCommands.cpp: the properties, the state registers, redirection and auto-dial.
int Get(Session& s);        // get
int Props(Session& s);      // props
int Set(Session& s);        // set
int SyncClock(Session& s);  // sync-clock
int State(Session& s);      // state
int Redirect(Session& s);   // redirect
int AutoDial(Session& s);   // autodial

// ListCommands.cpp: the call lists, the phone book and the call statistics.
enum class List { Incoming, Outgoing, Book };
int ReadList(Session& s, List which);  // incoming, outgoing, book
int Stats(Session& s);                 // stats

// CallerIdCommands.cpp: the caller-ID parameters.
int CallerId(Session& s);     // callerid
int CallerIdSet(Session& s);  // callerid set
// The operands of callerid set checked before the set is asked anything: the message, or
// nullopt when they are good.
std::optional<std::string> CheckCallerIdSet(const std::vector<std::string>& ops);

// VoiceCommands.cpp: the voice messages.
int VoiceGet(Session& s);      // voice get
int VoicePut(Session& s);      // voice put
int VoiceDel(Session& s);      // voice del
int VoiceHandles(Session& s);  // voice handles
int VoiceFree(Session& s);     // voice free

}  // namespace fonerix::ctl
