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

// The two families of sets, where their registers' ranges differ; Any before the search.
enum class Family { Any, Zelta, Varkon };
Family FamilyOfType(unsigned devType);

// What is wrong with `text` as a value of `property` (a value PropertyValue took), or nullopt.
// The control clamps a register value to its range without a word, so a value outside it is
// refused here instead: with `Any` outside every family's range, with a family outside its own.
// The numbers of RedirectionNumber and DeviceBuffer are checked as dial numbers are.
std::optional<std::string> CheckPropertyValue(std::string_view property, std::string_view text,
                                              Family family, std::string_view caption = {});

}  // namespace fonerix::ctl
