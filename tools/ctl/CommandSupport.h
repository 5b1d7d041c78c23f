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

// A telephone number as the set takes one: 1 to 20 of 0-9, F, J, L, P, _ (either case).
bool IsPhoneNumber(std::string_view s);
inline constexpr const char* kPhoneNumberRule = "a number is 1 to 20 of 0-9, F, J, L, P, _";

// The control's plain properties (a get without parameters), in the order of its type table.
std::vector<const MemberInfo*> Properties();
// Their names, separated by commas, for messages.
std::string PropertyNames();
// The plain property `name` (compared without regard to case), or null.
const MemberInfo* FindProperty(std::string_view name);

}  // namespace fonerix::ctl
