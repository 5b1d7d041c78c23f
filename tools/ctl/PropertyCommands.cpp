#include <algorithm>
#include <array>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tools/ctl/CommandHandlers.h"
#include "tools/ctl/CommandSupport.h"
#include "tools/ctl/ExitCodes.h"
#include "tools/ctl/Output.h"
#include "tools/ctl/Values.h"

namespace fonerix::ctl {

namespace {

constexpr int16_t kAutoDialDelimiter = ',';

// Reads a property; a register read that failed answers 255 (or -1, 0), which is also a value
// a register may hold, so only an identity read tells a silent set from a real 255.
int ReadProperty(Session& s, const MemberInfo& m, std::string& text) {
    CVariant v;
    const HRESULT hr = s.control.Get(m.name, v);
    if (FAILED(hr)) {
        return s.Error(kExitFailed,
                       std::string("reading ") + m.name + " failed: " + DescribeResult(hr));
    }
    text = PropertyText(m.name, v);
    return kExitOk;
}

// Writes a property while the set is awake with write permission and reads it back: register
// writes are clamped or refused silently, so the read-back is the only word on what happened.
int WriteProperty(Session& s, const MemberInfo& m, const CVariant& value, bool compare) {
    CAwake awake(s.control, true);
    if (!awake.Ok()) {
        return s.Failed("the set did not wake up for writing");
    }
    if (const HRESULT hr = s.control.Put(m.name, value); FAILED(hr)) {
        return s.Error(kExitFailed,
                       std::string("writing ") + m.name + " failed: " + DescribeResult(hr));
    }
    std::string now;
    if (const int rc = ReadProperty(s, m, now); rc != kExitOk) {
        return rc;
    }
    const std::string asked = PropertyText(m.name, value);
    s.out << m.name << " = " << now << '\n';
    if (compare && now != asked) {
        return s.Failed(std::string("the set keeps ") + m.name + " = " + now + ", not " + asked +
                        " (some models lack the setting)");
    }
    return kExitOk;
}

}  // namespace

int Get(Session& s) {
    const MemberInfo* m = FindProperty(s.invocation.operands[0]);
    std::string text;
    if (const int rc = ReadProperty(s, *m, text); rc != kExitOk) {
        return rc;
    }
    if (!s.StillAnswers()) {
        return s.NotAnswering();
    }
    s.out << text << '\n';
    return kExitOk;
}

int Props(Session& s) {
    Table t;
    t.columns = {"property", "value"};
    for (const MemberInfo* m : Properties()) {
        std::string text;
        if (const int rc = ReadProperty(s, *m, text); rc != kExitOk) {
            return rc;
        }
        t.rows.push_back({Cell::Text(m->name), Cell::Text(text)});
    }
    if (!s.StillAnswers()) {
        return s.NotAnswering();
    }
    WriteTable(s.out, t, s.invocation.format);
    return kExitOk;
}

int Set(Session& s) {
    const MemberInfo* m = FindProperty(s.invocation.operands[0]);
    const std::string& text = s.invocation.operands[1];
    // Now that the family is known, its own range, still before anything is written.
    if (const auto problem =
            CheckPropertyValue(m->name, text, FamilyOfType(s.device.devType), s.caption)) {
        return s.Error(kExitUsage, *problem);
    }
    std::string error;
    // Numbers go to the set in upper case, as dial and redirect send them.
    const std::optional<CVariant> value =
        PropertyValue(m->name, m->result, m->result == VT_BSTR ? Upper(text) : text, error);
    // DeviceTime runs on while we read it back; every other value must come back as written.
    const bool compare = std::string_view(m->name) != "DeviceTime";
    return WriteProperty(s, *m, *value, compare);
}

int SyncClock(Session& s) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    DateParts p;
    p.year = local.tm_year + 1900;
    p.month = local.tm_mon + 1;
    p.day = local.tm_mday;
    p.hour = local.tm_hour;
    p.minute = local.tm_min;
    p.second = std::min(local.tm_sec, 59);
    p.dayOfWeek = local.tm_wday;
    DATE date = 0;
    MakeDate(p, date);
    return WriteProperty(s, *FindProperty("DeviceTime"), CVariant::FromDate(date), false);
}

int State(Session& s) {
    const long reg = *ParseNumber(s.invocation.operands[0], 0, 3);
    const CVariant index(static_cast<int16_t>(reg));
    if (s.invocation.operands.size() == 2) {
        const long value = *ParseNumber(s.invocation.operands[1], 0, 255);
        CAwake awake(s.control, true);
        if (!awake.Ok()) {
            return s.Failed("the set did not wake up for writing");
        }
        if (const HRESULT hr = s.control.Put("StateRegister", CVariant(static_cast<int16_t>(value)),
                                             std::span(&index, 1));
            FAILED(hr)) {
            return s.Error(kExitFailed, "writing StateRegister failed: " + DescribeResult(hr));
        }
    }
    CVariant v;
    if (const HRESULT hr = s.control.Get("StateRegister", v, std::span(&index, 1)); FAILED(hr)) {
        return s.Error(kExitFailed, "reading StateRegister failed: " + DescribeResult(hr));
    }
    s.out << AsInteger(v) << '\n';
    return kExitOk;
}

int Redirect(Session& s) {
    const MemberInfo* m = FindProperty("RedirectionNumber");
    if (s.invocation.operands.empty()) {
        std::string text;
        if (const int rc = ReadProperty(s, *m, text); rc != kExitOk) {
            return rc;
        }
        s.out << text << '\n';
        return kExitOk;
    }
    return WriteProperty(s, *m, CVariant::FromUtf8(Upper(s.invocation.operands[0])), true);
}

int AutoDial(Session& s) {
    if (s.invocation.operands.empty()) {
        CAwake awake(s.control, false);
        const CVariant arg(kAutoDialDelimiter);
        CVariant result;
        if (!awake.Ok() || FAILED(s.control.Call("GetAutoDialList", std::span(&arg, 1), &result))) {
            return s.Failed("the set gave no auto-dial list");
        }
        s.out << AsText(result) << '\n';
        return kExitOk;
    }
    CAwake awake(s.control, true);
    BSTR list = BstrFromUtf8(Upper(s.invocation.operands[0]));
    const std::array<CVariant, 2> args = {CVariant::Ref(&list), CVariant(kAutoDialDelimiter)};
    const bool ok = awake.Ok() && s.control.CallBool("SetAutoDialList", args);
    FreeBstr(list);
    if (!ok) {
        return s.Failed(
            "the set did not take the auto-dial list (only type 7 and 8 sets keep one)");
    }
    s.out << "auto-dial list stored\n";
    return kExitOk;
}

}  // namespace fonerix::ctl
