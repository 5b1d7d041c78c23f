#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/Variant.h"

namespace fonerix::ctl {

// Property values as text: dates "YYYY-MM-DD HH:MM:SS", the alarm "HH:MM" (its date part is the
// automation epoch), numbers in decimal, strings as they are.
std::string FormatDateTime(DATE date);
std::string FormatAlarm(DATE date);
std::optional<DATE> ParseDateTime(std::string_view text);
std::optional<DATE> ParseAlarm(std::string_view text);
// A decimal number within [min, max]; also "0x" hexadecimal, for the flag registers.
std::optional<long> ParseNumber(std::string_view text, long min, long max);

// True for the property whose DATE carries only a time of day.
bool IsTimeOfDay(std::string_view property);

// The value of property `property` (of variant type `vt`) as text.
std::string PropertyText(std::string_view property, const CVariant& value);
// The variant to put into property `property` of type `vt`, or nullopt with `error` set.
std::optional<CVariant> PropertyValue(std::string_view property, VARTYPE vt, std::string_view text,
                                      std::string& error);

}  // namespace fonerix::ctl
