#include <algorithm>
#include <array>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

#include "tools/ctl/CommandHandlers.h"
#include "tools/ctl/ExitCodes.h"
#include "tools/ctl/Output.h"
#include "tools/ctl/Values.h"

namespace fonerix::ctl {

namespace {

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

}  // namespace

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

}  // namespace fonerix::ctl
