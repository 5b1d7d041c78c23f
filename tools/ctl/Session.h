#pragma once

#include <ostream>
#include <string>

#include "control/device/Records.h"
#include "tools/ctl/Arguments.h"
#include "tools/ctl/FonerixClient.h"

namespace fonerix::ctl {

// One run of a command against a found set.
struct Session {
    CFonerixClient& control;
    const Invocation& invocation;
    std::ostream& out;
    std::ostream& err;
    DEVICEINFO device{};  // as LookForDevice found it; Caption already freed
    std::string caption{};

    // The answer to a failed operation: exit 4 when the set has stopped answering (its identity
    // read comes back empty), else exit 1, with `what` on standard error either way.
    int Failed(const std::string& what);
    // Whether the set still gives its identity: a failed register read answers 255, which a
    // register may also hold, so an answer that may be a failure is checked this way.
    bool StillAnswers();
    // Exit 4 with the message that the set does not answer.
    int NotAnswering();
    // Prints a message on standard error as "fonerixctl: ..." and returns `code`.
    int Error(int code, const std::string& what);
};

// Keeps the set awake for a command and puts it back to sleep afterwards.
class CAwake {
  public:
    CAwake(CFonerixClient& control, bool writePermit);
    ~CAwake();
    CAwake(const CAwake&) = delete;
    CAwake& operator=(const CAwake&) = delete;
    bool Ok() const { return m_ok; }

  private:
    CFonerixClient& m_control;
    bool m_ok;
};

}  // namespace fonerix::ctl
