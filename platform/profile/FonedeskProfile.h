#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/ProfileFile.h"

// The sections and keys that Fonedesk keeps in its profile file, with their defaults.
namespace platform::fonedesk_profile {

inline constexpr std::string_view kWindowPosition = "Window position";
inline constexpr std::string_view kPosX = "PosX";
inline constexpr std::string_view kPosY = "PosY";
inline constexpr std::string_view kWidth = "Width";
inline constexpr std::string_view kHeight = "Height";
inline constexpr int kWindowPositionDefault = 0;

inline constexpr std::string_view kVoiceOptions = "Voice options";
inline constexpr std::string_view kVoiceDir = "VoiceDir";

inline constexpr std::string_view kProgramOptions = "Program options";
inline constexpr std::string_view kAutoData = "Auto Data";
inline constexpr int kAutoDataDefault = 0;
inline constexpr std::string_view kAutoTime = "Auto Time";
inline constexpr int kAutoTimeDefault = 0;
inline constexpr std::string_view kOncallPopup = "Oncall Popup";
inline constexpr int kOncallPopupDefault = 1;
inline constexpr std::string_view kDesktopNotify = "Desktop Notify";
inline constexpr int kDesktopNotifyDefault = 1;
inline constexpr std::string_view kFieldDelimiter = "Field Delimiter";
inline constexpr std::string_view kFieldDelimiterDefault = ",";
inline constexpr std::string_view kPhoneReference = "Phone Reference";
inline constexpr int kPhoneReferenceCount = 10;

inline constexpr std::string_view kColumnsLayout = "Columns layout";
inline constexpr int kColumnOrderDefault = 2;

// "%s%d" of "Phone Reference" and a digit 0 to 9.
std::string PhoneReferenceKey(int digit);
// table + "_layout" and table + "_order".
std::string ColumnLayoutKey(std::string_view table);
std::string ColumnOrderKey(std::string_view table);

// The first character of "Field Delimiter". An empty value gives the default ',' rather than a
// NUL delimiter that would split nothing.
char FieldDelimiter(const ProfileFile& profile);

// The reference files in order: keys 0, 1, 2 ... up to the first empty value or digit 9.
std::vector<std::string> PhoneReferences(const ProfileFile& profile);

// Rewrites the keys from the list and clears the key just past its end, so that a shorter list
// read back ends where it should. At most ten paths are kept.
bool WritePhoneReferences(ProfileFile& profile, const std::vector<std::string>& paths);

}  // namespace platform::fonedesk_profile
