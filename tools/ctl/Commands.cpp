#include "tools/ctl/Commands.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <vector>

#include "control/automation/FonerixInterface.h"
#include "control/serial/PortPath.h"
#include "platform/automation/Registry.h"
#include "tools/ctl/ExitCodes.h"
#include "tools/ctl/Output.h"
#include "tools/ctl/Values.h"
#include "tools/ctl/Watch.h"
#include "tools/probe/PortDiagnosis.h"

#ifndef FONERIXCTL_VERSION
#define FONERIXCTL_VERSION "0"
#endif

namespace fonerix::ctl {

namespace {

// A list is read one step per call until the control says there is no more; a control that
// never says so must not keep us here for ever.
constexpr int kMaxListSteps = 100000;
constexpr int16_t kAutoDialDelimiter = ',';

// The control frees nothing it hands over: every string in a record is ours.
void FreeBstr(BSTR& s) {
    SysFreeString(s);
    s = nullptr;
}

bool IsPlainProperty(const MemberInfo& m) {
    return m.kind == MemberKind::PropertyGet && m.params.empty();
}

std::vector<const MemberInfo*> Properties() {
    std::vector<const MemberInfo*> list;
    for (const MemberInfo& m : FonerixDispatchInfo().members) {
        if (IsPlainProperty(m)) {
            list.push_back(&m);
        }
    }
    return list;
}

std::string PropertyNames() {
    std::string names;
    for (const MemberInfo* m : Properties()) {
        names += (names.empty() ? "" : ", ") + std::string(m->name);
    }
    return names;
}

const MemberInfo* FindProperty(std::string_view name) {
    const MemberInfo* m = FonerixDispatchInfo().FindByName(name, MemberKind::PropertyGet);
    return m != nullptr && IsPlainProperty(*m) ? m : nullptr;
}

bool IsPhoneNumber(std::string_view s) {
    return !s.empty() && s.size() <= 20 && std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == 'F' || c == 'J' || c == 'L' || c == 'P' || c == 'f' ||
               c == 'j' || c == 'l' || c == 'p' || c == '_';
    });
}

std::string Upper(std::string s) {
    for (char& c : s) {
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
    return s;
}

std::string DeviceColumnsPath(const DEVICEINFO& d) {
    return ComPortPath(d.Port);
}

Table DeviceTable(const DEVICEINFO& d, const std::string& caption) {
    Table t;
    t.columns = {"caption", "type", "device-version", "program-version",
                 "id",      "port", "path",           "baud"};
    t.rows.push_back({Cell::Text(caption), Cell::Number(d.devType), Cell::Number(d.devVer),
                      Cell::Number(d.prgVer), Cell::Number(d.IdZelta),
                      Cell::Text("COM" + std::to_string(d.Port)), Cell::Text(DeviceColumnsPath(d)),
                      Cell::Number(d.BaudRate)});
    return t;
}

// ---- the commands -------------------------------------------------------------------------

using Handler = std::function<int(Session&)>;

int Find(Session& s) {
    WriteRecord(s.out, DeviceTable(s.device, s.caption), s.invocation.format);
    return kExitOk;
}

int Info(Session& s) {
    DEVICEINFO d{};
    const bool ok = s.control.CallRecord("GetDeviceInfo", &d);
    const std::string caption = Utf8FromBstr(d.Caption);
    FreeBstr(d.Caption);
    if (!ok || d.inUse == 0) {
        return s.Error(kExitNotAnswering, "the set on COM" + std::to_string(s.device.Port) +
                                              " does not answer the identity read");
    }
    WriteRecord(s.out, DeviceTable(d, caption), s.invocation.format);
    return kExitOk;
}

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

int Get(Session& s) {
    const MemberInfo* m = FindProperty(s.invocation.operands[0]);
    std::string text;
    if (const int rc = ReadProperty(s, *m, text); rc != kExitOk) {
        return rc;
    }
    DEVICEINFO d{};
    s.control.CallRecord("GetDeviceInfo", &d);
    FreeBstr(d.Caption);
    if (d.inUse == 0) {
        return s.Error(kExitNotAnswering, "the set does not answer");
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
    DEVICEINFO d{};
    s.control.CallRecord("GetDeviceInfo", &d);
    FreeBstr(d.Caption);
    if (d.inUse == 0) {
        return s.Error(kExitNotAnswering, "the set does not answer");
    }
    WriteTable(s.out, t, s.invocation.format);
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
                        " (values outside a register's range are clamped; some models lack " +
                        "the setting)");
    }
    return kExitOk;
}

int Set(Session& s) {
    const MemberInfo* m = FindProperty(s.invocation.operands[0]);
    std::string error;
    const std::optional<CVariant> value =
        PropertyValue(m->name, m->result, s.invocation.operands[1], error);
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

int Dial(Session& s) {
    CAwake awake(s.control, true);
    if (!awake.Ok()) {
        return s.Failed("the set did not wake up for dialling");
    }
    BSTR number = BstrFromUtf8(Upper(s.invocation.operands[0]));
    const CVariant arg = CVariant::Ref(&number);
    const HRESULT hr = s.control.Call("DialNumber", std::span(&arg, 1));
    FreeBstr(number);
    if (FAILED(hr)) {
        return s.Error(kExitFailed, "DialNumber failed: " + DescribeResult(hr));
    }
    s.out << "dialling " << s.invocation.operands[0] << '\n';
    return kExitOk;
}

int Key(Session& s) {
    const long code = *ParseNumber(s.invocation.operands[0], 1, 64);
    CAwake awake(s.control, true);
    if (!awake.Ok()) {
        return s.Failed("the set did not wake up");
    }
    const CVariant arg(static_cast<int16_t>(code));
    if (!s.control.CallBool("KeyPress", std::span(&arg, 1))) {
        return s.Failed("the set did not take key " + std::to_string(code));
    }
    s.out << "key " << code << " sent\n";
    return kExitOk;
}

enum class List { Incoming, Outgoing, Book };

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
    if (t.rows.empty()) {
        // An empty list, or a set that stopped answering at the first read: ask it.
        DEVICEINFO d{};
        s.control.CallRecord("GetDeviceInfo", &d);
        FreeBstr(d.Caption);
        if (d.inUse == 0) {
            return s.Error(kExitNotAnswering, "the set does not answer");
        }
    }
    WriteTable(s.out, t, s.invocation.format);
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

struct AutodetField {
    const char* name;
    long min;
    long max;
};
constexpr AutodetField kAutodetFields[] = {{"query-time", 10, 250},
                                           {"query-form", 0, 255},
                                           {"resolution-time", 10, 990},
                                           {"first-delay", 10, 990},
                                           {"min-digits", 0, 5}};

long AutodetGet(const AUTODETPARAMS& p, std::string_view field) {
    if (field == "query-time")
        return p.queryTime;
    if (field == "query-form")
        return p.queryForm;
    if (field == "resolution-time")
        return p.resolTime;
    if (field == "first-delay")
        return p.firstDelay;
    return p.minDigits;
}

void AutodetSet(AUTODETPARAMS& p, std::string_view field, long v) {
    if (field == "query-time")
        p.queryTime = static_cast<uint16_t>(v);
    else if (field == "query-form")
        p.queryForm = static_cast<uint8_t>(v);
    else if (field == "resolution-time")
        p.resolTime = static_cast<uint16_t>(v);
    else if (field == "first-delay")
        p.firstDelay = static_cast<uint16_t>(v);
    else
        p.minDigits = static_cast<uint8_t>(v);
}

bool ReadAutodet(Session& s, AUTODETPARAMS& current, AUTODETPARAMS& parallel) {
    const std::array<CVariant, 2> args = {CVariant::RecordRef(&current),
                                          CVariant::RecordRef(&parallel)};
    return s.control.CallBool("GetAutodetParams", args);
}

Table AutodetTable(const AUTODETPARAMS& current, const AUTODETPARAMS& parallel) {
    Table t;
    t.columns = {"input"};
    for (const AutodetField& f : kAutodetFields) {
        t.columns.push_back(f.name);
    }
    for (const auto& [name, p] :
         {std::pair{"current", &current}, std::pair{"parallel", &parallel}}) {
        std::vector<Cell> row = {Cell::Text(name)};
        for (const AutodetField& f : kAutodetFields) {
            row.push_back(Cell::Number(AutodetGet(*p, f.name)));
        }
        t.rows.push_back(std::move(row));
    }
    return t;
}

int CallerId(Session& s) {
    AUTODETPARAMS current{}, parallel{};
    {
        CAwake awake(s.control, false);
        if (!awake.Ok() || !ReadAutodet(s, current, parallel)) {
            return s.Failed("the set gave no caller-ID parameters");
        }
    }
    WriteTable(s.out, AutodetTable(current, parallel), s.invocation.format);
    return kExitOk;
}

// "current|parallel NAME=VALUE..." checked before the set is asked anything.
std::optional<std::string> CheckCallerIdSet(const std::vector<std::string>& ops) {
    if (ops[0] != "current" && ops[0] != "parallel") {
        return "callerid set: the first operand is current or parallel, not \"" + ops[0] + "\"";
    }
    for (size_t i = 1; i < ops.size(); ++i) {
        const auto eq = ops[i].find('=');
        const std::string name = ops[i].substr(0, eq);
        const auto* f = std::find_if(std::begin(kAutodetFields), std::end(kAutodetFields),
                                     [&](const AutodetField& x) { return name == x.name; });
        if (eq == std::string::npos || f == std::end(kAutodetFields)) {
            return "callerid set: \"" + ops[i] +
                   "\" is not NAME=VALUE with NAME one of query-time, query-form, "
                   "resolution-time, first-delay, min-digits";
        }
        if (!ParseNumber(std::string_view(ops[i]).substr(eq + 1), f->min, f->max)) {
            return "callerid set: " + name + " takes " + std::to_string(f->min) + " to " +
                   std::to_string(f->max);
        }
    }
    return std::nullopt;
}

int CallerIdSet(Session& s) {
    const auto& ops = s.invocation.operands;
    CAwake awake(s.control, true);
    AUTODETPARAMS current{}, parallel{};
    if (!awake.Ok() || !ReadAutodet(s, current, parallel)) {
        return s.Failed("the set gave no caller-ID parameters");
    }
    AUTODETPARAMS& target = ops[0] == "current" ? current : parallel;
    for (size_t i = 1; i < ops.size(); ++i) {
        const auto eq = ops[i].find('=');
        AutodetSet(target, ops[i].substr(0, eq),
                   *ParseNumber(std::string_view(ops[i]).substr(eq + 1), 0, 990));
    }
    const AUTODETPARAMS wanted = target;
    const std::array<CVariant, 2> args = {CVariant::RecordRef(&current),
                                          CVariant::RecordRef(&parallel)};
    if (!s.control.CallBool("SetAutodetParams", args)) {
        return s.Failed("the set did not take the caller-ID parameters");
    }
    AUTODETPARAMS c2{}, p2{};
    if (!ReadAutodet(s, c2, p2)) {
        return s.Failed("the set gave no caller-ID parameters after writing them");
    }
    WriteTable(s.out, AutodetTable(c2, p2), OutputFormat::Table);
    const AUTODETPARAMS& now = ops[0] == "current" ? c2 : p2;
    for (size_t i = 1; i < ops.size(); ++i) {
        const std::string name = ops[i].substr(0, ops[i].find('='));
        if (AutodetGet(now, name) != AutodetGet(wanted, name)) {
            return s.Failed("the set keeps " + name + " = " +
                            std::to_string(AutodetGet(now, name)) +
                            " (the set keeps times in steps of 2 or 10 ms)");
        }
    }
    return kExitOk;
}

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

const std::map<std::string, Handler, std::less<>>& Handlers() {
    static const std::map<std::string, Handler, std::less<>> handlers = {
        {"find", Find},
        {"info", Info},
        {"get", Get},
        {"set", Set},
        {"props", Props},
        {"sync-clock", SyncClock},
        {"dial", Dial},
        {"key", Key},
        {"incoming", [](Session& s) { return ReadList(s, List::Incoming); }},
        {"outgoing", [](Session& s) { return ReadList(s, List::Outgoing); }},
        {"book", [](Session& s) { return ReadList(s, List::Book); }},
        {"stats", Stats},
        {"callerid", CallerId},
        {"callerid set", CallerIdSet},
        {"voice get", VoiceGet},
        {"voice put", VoicePut},
        {"voice del", VoiceDel},
        {"voice handles", VoiceHandles},
        {"voice free", VoiceFree},
        {"redirect", Redirect},
        {"autodial", AutoDial},
        {"state", State},
        {"watch", Watch},
    };
    return handlers;
}

// Checks what can be checked without the set, so that a typo never waits for a port search.
std::optional<std::string> CheckOperands(const Invocation& inv) {
    const std::string name = inv.command->name;
    const auto& ops = inv.operands;
    auto number = [&](size_t i, long min, long max,
                      const char* what) -> std::optional<std::string> {
        if (!ParseNumber(ops[i], min, max)) {
            return name + ": " + what + " is a number from " + std::to_string(min) + " to " +
                   std::to_string(max) + ", not \"" + ops[i] + "\"";
        }
        return std::nullopt;
    };
    if (name == "get" || name == "set") {
        const MemberInfo* m = FindProperty(ops[0]);
        if (m == nullptr) {
            return "no property \"" + ops[0] + "\"; the properties are " + PropertyNames();
        }
        if (name == "set") {
            std::string error;
            if (!PropertyValue(m->name, m->result, ops[1], error)) {
                return error;
            }
        }
    } else if (name == "dial") {
        if (!IsPhoneNumber(ops[0])) {
            return "dial: a number is 1 to 20 of 0-9, F, J, L, P, _; not \"" + ops[0] + "\"";
        }
    } else if (name == "key") {
        const std::optional<long> code = ParseNumber(ops[0], 1, 64);
        if (!code || (*code > 35 && *code != 64)) {
            return "key: a key code is 1 to 35 or 64, not \"" + ops[0] + "\"";
        }
    } else if (name == "callerid set") {
        return CheckCallerIdSet(ops);
    } else if (name == "voice get" || name == "voice del") {
        return number(0, 0, 32767, "the handle");
    } else if (name == "voice put") {
        if (!std::filesystem::is_regular_file(ops[0])) {
            return "voice put: no file " + ops[0];
        }
    } else if (name == "redirect" && !ops.empty()) {
        if (!IsPhoneNumber(ops[0])) {
            return "redirect: a number is 1 to 20 of 0-9, F, J, L, P, _; not \"" + ops[0] + "\"";
        }
    } else if (name == "autodial" && !ops.empty()) {
        size_t start = 0;
        const std::string& list = ops[0];
        while (start <= list.size() && !list.empty()) {
            const size_t comma = std::min(list.find(',', start), list.size());
            if (!IsPhoneNumber(std::string_view(list).substr(start, comma - start))) {
                return "autodial: the list is numbers separated by commas, not \"" + list + "\"";
            }
            start = comma + 1;
        }
    } else if (name == "state") {
        if (auto e = number(0, 0, 3, "the register")) {
            return e;
        }
        if (ops.size() == 2) {
            return number(1, 0, 255, "the value");
        }
    }
    return std::nullopt;
}

void ExplainNoSet(std::ostream& err) {
    err << "fonerixctl: no telephone set found on COM1 to COM4:\n";
    for (unsigned port = 1; port <= 4; ++port) {
        const PortDiagnosis d = DiagnosePort(port);
        err << "  COM" << port << " (" << d.path << "): " << d.reason << '\n';
    }
}

}  // namespace

int Session::Error(int code, const std::string& what) {
    err << "fonerixctl: " << what << '\n';
    return code;
}

int Session::Failed(const std::string& what) {
    DEVICEINFO d{};
    control.CallRecord("GetDeviceInfo", &d);
    FreeBstr(d.Caption);
    if (d.inUse == 0) {
        return Error(kExitNotAnswering, what + ": the set on COM" + std::to_string(device.Port) +
                                            " does not answer any more");
    }
    return Error(kExitFailed, what);
}

CAwake::CAwake(CFonerixClient& control, bool writePermit) : control_(control) {
    const CVariant permit(writePermit);
    ok_ = control_.CallBool("WakeupDevice", std::span(&permit, 1));
}

CAwake::~CAwake() {
    control_.CallBool("SleepDevice");
}

int RunCommand(const Invocation& inv, std::ostream& out, std::ostream& err) {
    if (const std::optional<std::string> problem = CheckOperands(inv)) {
        err << "fonerixctl: " << *problem << '\n';
        return kExitUsage;
    }
    CreateFailure failure;
    std::optional<CFonerixClient> control = CFonerixClient::Create(failure);
    if (!control) {
        err << "fonerixctl: cannot create the control " << kFonerixCtrlProgId << ": "
            << failure.message << '\n';
        if (failure.step == CreateStep::Lookup) {
            err << "fonerixctl: register it first: fonerix-regsvr /path/to/libfonerix.so (it "
                   "writes "
                << UserRegistryPath().string() << ")\n";
        }
        return kExitNoControl;
    }

    // Each run is a new process with a new control: it has to find the set again.
    Session session{*control, inv, out, err, {}, {}};
    const bool found = control->CallRecord("LookForDevice", &session.device);
    session.caption = Utf8FromBstr(session.device.Caption);
    FreeBstr(session.device.Caption);
    if (!found || session.device.inUse == 0) {
        ExplainNoSet(err);
        return kExitNoSet;
    }
    const int rc = Handlers().at(inv.command->name)(session);
    out.flush();
    return rc;
}

int PrintVersion(std::ostream& out) {
    out << "fonerixctl " << FONERIXCTL_VERSION << '\n';
    const std::vector<std::filesystem::path> files = RegistrySearchPath();
    const std::optional<CLSID> clsid = FindProgId(kFonerixCtrlProgId, files);
    const std::optional<RegisteredClass> entry =
        clsid ? FindRegisteredClass(*clsid, files) : std::nullopt;
    if (!entry) {
        out << "control " << kFonerixCtrlProgId << ": not registered\n";
        return kExitOk;
    }
    out << "control " << kFonerixCtrlProgId << ": " << entry->library << " (registered in "
        << entry->file.string() << ")\n";
    for (const std::filesystem::path& f : files) {
        CRegistryFile reg(f);
        if (!reg.Load()) {
            continue;
        }
        if (const auto version = reg.Get(TypeLibSection(kFonerixLibid), "Version")) {
            out << "type library " << FonerixTypeLibrary().name << " " << *version << '\n';
            break;
        }
    }
    return kExitOk;
}

}  // namespace fonerix::ctl
