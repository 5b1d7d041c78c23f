#include "tools/ctl/CommandSupport.h"

#include <algorithm>

#include "control/automation/FonerixInterface.h"

namespace fonerix::ctl {

namespace {

bool IsPlainProperty(const MemberInfo& m) {
    return m.kind == MemberKind::PropertyGet && m.params.empty();
}

}  // namespace

void FreeBstr(BSTR& s) {
    SysFreeString(s);
    s = nullptr;
}

std::string Upper(std::string s) {
    for (char& c : s) {
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
    return s;
}

bool IsPhoneNumber(std::string_view s) {
    return !s.empty() && s.size() <= 20 && std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == 'F' || c == 'J' || c == 'L' || c == 'P' || c == 'f' ||
               c == 'j' || c == 'l' || c == 'p' || c == '_';
    });
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

}  // namespace fonerix::ctl
