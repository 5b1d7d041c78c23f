#pragma once

// Resource identifiers of the pages "Специальные" (dialogs 208 and 107) and "Программные"
// (dialog 149); included by client/resources/resource.h.
namespace fonedesk {

// "Специальные", second family (dialog 208) and first family (dialog 107): the configuration
// register's boxes, box id - 1023 = bit number.
inline constexpr int IDD_SPECIAL_CONF = 208;
inline constexpr int IDD_SPECIAL_MODE_CONF = 107;
inline constexpr int IDC_SPECIAL_CONFIG_BIT1 = 1024;
inline constexpr int IDC_SPECIAL_CONFIG_BIT2 = 1025;
inline constexpr int IDC_SPECIAL_CONFIG_BIT3 = 1026;
inline constexpr int IDC_SPECIAL_CONFIG_BIT4 = 1027;
inline constexpr int IDC_SPECIAL_CONFIG_BIT5 = 1028;
inline constexpr int IDC_SPECIAL_CONFIG_BIT6 = 1029;
inline constexpr int IDC_SPECIAL_CONFIG_BIT7 = 1030;

// Dialog 107 only: the working mode, the redirection number and the auto-dial list.
inline constexpr int IDC_SPECIAL_MODE_NORMAL = 1051;
inline constexpr int IDC_SPECIAL_MODE_REDIRECTION = 1052;
inline constexpr int IDC_SPECIAL_MODE_ANSWERING = 1053;
inline constexpr int IDC_SPECIAL_MODE_RECORDER = 1054;
inline constexpr int IDC_SPECIAL_REDIRECTION_NUMBER = 1098;
inline constexpr int IDC_SPECIAL_AUTODIAL_LIST = 1099;
inline constexpr int IDC_SPECIAL_AUTODIAL_ADD = 1100;
inline constexpr int IDC_SPECIAL_AUTODIAL_DELETE = 1101;
inline constexpr int IDC_SPECIAL_AUTODIAL_NUMBER = 1102;

// "Программные" (dialog 149).
inline constexpr int IDD_PROGRAM_CONF = 149;
inline constexpr int IDC_PROGRAM_AUTO_DATA = 1070;
inline constexpr int IDC_PROGRAM_AUTO_TIME = 1071;
inline constexpr int IDC_PROGRAM_ONCALL_POPUP = 1072;
// The desktop notification of a call, which this program adds to the pop-up.
inline constexpr int IDC_PROGRAM_DESKTOP_NOTIFY = 1073;
inline constexpr int IDC_PROGRAM_FIELD_DELIMITER = 1117;
inline constexpr int IDC_PROGRAM_REFERENCES = 1122;
inline constexpr int IDC_PROGRAM_REFERENCE_ADD = 1100;
inline constexpr int IDC_PROGRAM_REFERENCE_DELETE = 1101;

}  // namespace fonedesk
