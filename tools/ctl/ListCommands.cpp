#include <cstdio>
#include <string>

#include "tools/ctl/CommandHandlers.h"
#include "tools/ctl/CommandSupport.h"
#include "tools/ctl/ExitCodes.h"
#include "tools/ctl/Output.h"

namespace fonerix::ctl {

namespace {

// A list is read one step per call until the control says there is no more; a control that
// never says so must not keep us here for ever.
constexpr int kMaxListSteps = 100000;

}  // namespace

int ReadList(Session& s, List which) {
    const char* method = which == List::Incoming   ? "GetIncomeBook"
                         : which == List::Outgoing ? "GetOutcomeBook"
                                                   : "GetPhoneBook";
    Table t;
    if (which == List::Book) {
        t.columns = {"position", "number", "rank", "voice", "address"};
    } else {
        t.columns = {"date", "time", "number", "duration", "parallel", "flop", "voice", "address"};
    }
    CAwake awake(s.control, false);
    if (!awake.Ok()) {
        return s.Failed("the set did not wake up");
    }
    int steps = 0;
    for (;; ++steps) {
        if (steps == kMaxListSteps) {
            return s.Error(kExitFailed, std::string(method) + " did not come to an end after " +
                                            std::to_string(kMaxListSteps) + " steps");
        }
        PHBOOKRECORD r{};
        const bool more = s.control.CallRecord(method, &r);
        const std::string number = Utf8FromBstr(r.Phone);
        FreeBstr(r.Phone);  // also after an empty step: whatever the control put there is ours
        if (!more) {
            break;
        }
        if (r.inUse == 0) {
            continue;  // an empty slot or one of another kind
        }
        if (which == List::Book) {
            t.rows.push_back({Cell::Number(r.posInBook), Cell::Text(number), Cell::Number(r.Rang),
                              Cell::Number(r.nandMessg), Cell::Number(r.nandAdress)});
        } else {
            char date[16];
            char time[8];
            std::snprintf(date, sizeof date, "%04d-%02d-%02d", 2000 + r.Year % 100, r.Month % 100,
                          r.Date % 100);
            std::snprintf(time, sizeof time, "%02d:%02d", r.Hour % 100, r.Min % 100);
            t.rows.push_back({Cell::Text(date), Cell::Text(time), Cell::Text(number),
                              Cell::Number(r.Delay), Cell::Number(r.isParall),
                              Cell::Number(r.isFlop), Cell::Number(r.nandMessg),
                              Cell::Number(r.nandAdress)});
        }
    }
    // The control ends a list the same way when the set stops answering part of the way: only
    // asking the set afterwards tells a whole list from a cut-off one. What was read is printed
    // either way, and the exit code says whether it is all.
    const bool answers = s.StillAnswers();
    WriteTable(s.out, t, s.invocation.format);
    if (!answers) {
        const size_t n = t.rows.size();
        return s.Error(kExitNotAnswering, "the set stopped answering after " + std::to_string(n) +
                                              (n == 1 ? " entry" : " entries") +
                                              "; the list is incomplete");
    }
    return kExitOk;
}

int Stats(Session& s) {
    CALLSTATISTIC st{};
    {
        CAwake awake(s.control, false);
        if (!awake.Ok() || !s.control.CallRecord("GetCallsStatistic", &st)) {
            return s.Failed("the set gave no call statistics");
        }
    }
    Table t;
    t.columns = {"billing-month", "local", "long-distance", "previous-local",
                 "previous-long-distance"};
    t.rows.push_back({Cell::Number(st.billMonth), Cell::Number(st.curLocal),
                      Cell::Number(st.curLong), Cell::Number(st.prevLocal),
                      Cell::Number(st.prevLong)});
    WriteRecord(s.out, t, s.invocation.format);
    return kExitOk;
}

}  // namespace fonerix::ctl
