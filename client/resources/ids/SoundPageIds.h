#pragma once

// Resource identifiers of the page "Работа со звуком" (dialog 210); included by
// client/resources/resource.h. Ids repeat across dialogs, so every name carries the page's prefix.
namespace fonedesk {

inline constexpr int IDD_SOUND_CONF_PAGE = 210;
// The four images of the message buttons: read, write, delete, play.
inline constexpr int IDB_SOUND_BUTTONS = 211;

// The two special messages, four buttons a row.
inline constexpr int IDC_SOUND_GREETING_READ = 1103;
inline constexpr int IDC_SOUND_GREETING_WRITE = 1105;
inline constexpr int IDC_SOUND_GREETING_DELETE = 1107;
inline constexpr int IDC_SOUND_GREETING_PLAY = 1109;
inline constexpr int IDC_SOUND_ALARM_READ = 1104;
inline constexpr int IDC_SOUND_ALARM_WRITE = 1106;
inline constexpr int IDC_SOUND_ALARM_DELETE = 1108;
inline constexpr int IDC_SOUND_ALARM_PLAY = 1110;

inline constexpr int IDC_SOUND_RECORD_TIME = 1102;
inline constexpr int IDC_SOUND_FREE_SPACE = 1101;
inline constexpr int IDC_SOUND_VOICE_DIR = 1069;
inline constexpr int IDC_SOUND_CHOOSE_DIR = 1077;
inline constexpr int IDC_SOUND_VOLUME = 1018;

}  // namespace fonedesk
