#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/Bstr.h"
#include "platform/automation/Dispatch.h"

namespace fonerix::ctl {

// Small helpers that several groups of commands share.

// The control frees nothing it hands over: every string in a record is ours.
void FreeBstr(BSTR& s);

// Numbers and lists go to the set in upper case (f, j, l, p become F, J, L, P).
std::string Upper(std::string s);

// The control's plain properties (a get without parameters), in the order of its type table.
std::vector<const MemberInfo*> Properties();
// Their names, separated by commas, for messages.
std::string PropertyNames();
// The plain property `name` (compared without regard to case), or null.
const MemberInfo* FindProperty(std::string_view name);

}  // namespace fonerix::ctl
