#pragma once

// Resource identifiers of the settings sheet's pages "Общие" (dialog 106), "Стандартные"
// (dialog 146) and "АОН" (dialog 207); included by client/resources/resource.h. Control numbers
// repeat across dialogs, so each name carries its page.
namespace fonedesk {

inline constexpr int IDD_GENERAL_CONF_PAGE = 106;
inline constexpr int IDC_GENERAL_CAPTION = 1045;
inline constexpr int IDC_GENERAL_IDENTIFIER = 1046;
inline constexpr int IDC_GENERAL_VERSION = 1047;
inline constexpr int IDC_GENERAL_PORT = 1048;
inline constexpr int IDC_GENERAL_BAUD_RATE = 1049;
inline constexpr int IDC_GENERAL_BILL_MONTH = 1082;
inline constexpr int IDC_GENERAL_CURRENT_LOCAL = 1083;
inline constexpr int IDC_GENERAL_CURRENT_LONG = 1084;
inline constexpr int IDC_GENERAL_PREVIOUS_LOCAL = 1085;
inline constexpr int IDC_GENERAL_PREVIOUS_LONG = 1086;

inline constexpr int IDD_STANDARD_CONF_PAGE = 146;
inline constexpr int IDC_STANDARD_DATE = 1050;
inline constexpr int IDC_STANDARD_TIME = 1055;
inline constexpr int IDC_STANDARD_SYNCHRONIZE = 1056;
inline constexpr int IDC_STANDARD_BELL_VOLUME = 1019;
inline constexpr int IDC_STANDARD_MELODY = 1069;
inline constexpr int IDC_STANDARD_NUM_LENGTH = 1090;
inline constexpr int IDC_STANDARD_ALARM_TIME = 1031;
inline constexpr int IDC_STANDARD_ALARM_ACTIVE = 1044;
inline constexpr int IDC_STANDARD_MONDAY = 1036;  // 1036 to 1042: Monday to Sunday
inline constexpr int IDC_STANDARD_TUESDAY = 1037;
inline constexpr int IDC_STANDARD_WEDNESDAY = 1038;
inline constexpr int IDC_STANDARD_THURSDAY = 1039;
inline constexpr int IDC_STANDARD_FRIDAY = 1040;
inline constexpr int IDC_STANDARD_SATURDAY = 1041;
inline constexpr int IDC_STANDARD_SUNDAY = 1042;

inline constexpr int IDD_AUTODET_CONF_PAGE = 207;
inline constexpr int IDC_AUTODET_QUERY_TIME = 1069;
inline constexpr int IDC_AUTODET_QUERY_COUNT = 1070;
inline constexpr int IDC_AUTODET_FIRST_DELAY = 1071;
inline constexpr int IDC_AUTODET_MIN_DIGITS = 1072;
inline constexpr int IDC_AUTODET_RESOLUTION_TIME = 1073;
inline constexpr int IDC_AUTODET_WAVEFORM_1 = 1090;  // 1090 to 1093: the four queries' flags
inline constexpr int IDC_AUTODET_WAVEFORM_2 = 1091;
inline constexpr int IDC_AUTODET_WAVEFORM_3 = 1092;
inline constexpr int IDC_AUTODET_WAVEFORM_4 = 1093;
inline constexpr int IDC_AUTODET_SAVE = 1094;
inline constexpr int IDC_AUTODET_RESTORE = 1095;
inline constexpr int IDC_AUTODET_PARALLEL = 1097;
inline constexpr int IDC_AUTODET_SKIP_BELLS = 1074;
inline constexpr int IDC_AUTODET_UT_CALLUP = 1021;
inline constexpr int IDC_AUTODET_UT_LINE_FREE = 1022;

}  // namespace fonedesk
