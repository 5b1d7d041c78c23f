#pragma once

#include <string_view>

namespace fonedesk {

// How long work (reading the set, importing, exporting) tells the user how far it is. The wait
// window implements it; tests implement it to see the steps.
class IProgress {
  public:
    virtual ~IProgress() = default;
    // The text shown, e.g. the record being read (UTF-8).
    virtual void SetProgressText(std::string_view text) = 0;
    // A progress bar from 0 to `total` (shown from the first call); `done` of it so far.
    virtual void SetProgressRange(int total) = 0;
    virtual void SetProgressPosition(int done) = 0;
    // Called after each record or line: the window handles at most one pending event, so that
    // it keeps painting while the work runs on its thread.
    virtual void ProcessOneEvent() = 0;
};

}  // namespace fonedesk
