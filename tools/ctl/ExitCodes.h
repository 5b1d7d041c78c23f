#pragma once

namespace fonerix::ctl {

// fonerixctl's exit codes; scripts rely on them, so they never change meaning.
enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,        // the set answered no, or an operation did not do what was asked
    kExitUsage = 2,         // bad arguments
    kExitNoSet = 3,         // no set on COM1 to COM4
    kExitNotAnswering = 4,  // a set was found but stopped answering
    kExitNoControl = 5,     // the control is not registered or cannot be created
};

}  // namespace fonerix::ctl
