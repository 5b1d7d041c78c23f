#pragma once

#include <QString>

#include "client/resources/resource.h"

namespace fonedesk {

// The string table: the text of string resource `id`, or an empty text for an id it lacks.
QString LoadString(int id);

// A command's status-bar prompt (the first line of its string) and its tool tip (the second
// line, or the prompt without its trailing dots when there is none).
QString CommandPrompt(int id);
QString CommandToolTip(int id);

// Texts the program shows that have no string id of their own.
namespace texts {
inline constexpr char kWait[] = "Ждите...";
inline constexpr char kLoading[] = "Загрузка программы...";
inline constexpr char kSearchingDevice[] = "Поиск устройств...";
inline constexpr char kDeviceFound[] = "Найдено: ";
inline constexpr char kControlLoadFailed[] = "Ошибка загрузки библиотеки Fonerix.ocx!";
inline constexpr char kInitFailed[] = "Ошибка при инициализации приложения!";
inline constexpr char kEmptyDocumentFailed[] = "Failed to create empty document.";
inline constexpr char kHyperlinkFailed[] = "Unable to open hyperlink:\n\n";
// Why a hyperlink did not open, by the shell's result code (see CHyperLink::ShellErrorText).
inline constexpr char kShellOutOfResources[] =
    "The operating system is out\nof memory or resources.";
inline constexpr char kShellFileNotFound[] = "The specified file was not found.";
inline constexpr char kShellPathNotFound[] = "The specified path was not found.";
inline constexpr char kShellBadFormat[] =
    "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
inline constexpr char kShellAccessDenied[] =
    "The operating system denied\naccess to the specified file.";
inline constexpr char kShellAssocIncomplete[] =
    "The filename association is\nincomplete or invalid.";
inline constexpr char kShellDdeBusy[] =
    "The DDE transaction could not\nbe completed because other DDE transactions\nwere being "
    "processed.";
inline constexpr char kShellDdeFail[] = "The DDE transaction failed.";
inline constexpr char kShellDdeTimeout[] =
    "The DDE transaction could not\nbe completed because the request timed out.";
inline constexpr char kShellDllNotFound[] = "The specified dynamic-link library was not found.";
inline constexpr char kShellNoAssociation[] =
    "There is no application associated\nwith the given filename extension.";
inline constexpr char kShellOutOfMemory[] =
    "There was not enough memory to complete the operation.";
inline constexpr char kShellSharingViolation[] = "A sharing violation occurred. ";
inline constexpr char kShellUnknownError[] = "Unknown Error (%d) occurred.";
// The about box's version line, followed by the version number.
inline constexpr char kAboutVersion[] = "Версия ";
// The phone book and the call logs.
inline constexpr char kRecordExists[] = "Ошибка! Запись с таким номером уже существует!";
inline constexpr char kReadingCalls[] =
    "Подождите, идет считывание данных о звонках из устройства...";
inline constexpr char kImporting[] = "Импорт данных...";
// The set's events in the status bar (the second text has two blanks after its first word).
inline constexpr char kParallDialing[] = "Набор номера на // аппарате";
inline constexpr char kComingCall[] = "Входящий вызов";
inline constexpr char kFinishTalking[] = "Окончание разговора";
inline constexpr char kSuccessLinking[] = "Установление  связи при автодозвоне";
inline constexpr char kFailedLinking[] = "Отсутствие связи при автодозвоне";
inline constexpr char kBusyLinking[] = "Обнаружение тона ~занято~ при автодозвоне";
inline constexpr char kTubeUp[] = "Снятие трубки";
inline constexpr char kTubeDown[] = "Укладывание трубки";
inline constexpr char kParallTubeUp[] = "Снятие трубки на // аппарате";
// A call whose number the line did not give, in the desktop notification.
inline constexpr char kNumberUnknown[] = "Номер не определён";
// Playing a record's voice message.
inline constexpr char kSoundReadFailed[] = "Ошибка в процессе чтения звукового сообщения";
// The settings without a set, and below it why a set on the desk may not have been found.
inline constexpr char kNoDevice[] = "Нет подключенного устройства!";
inline constexpr char kNoDeviceHint[] =
    "Аппарат ищется на портах COM1–COM4 при запуске программы. Если он подключён:\n"
    "- открывать порты могут только члены группы dialout: sudo usermod -aG dialout $USER, "
    "затем выйдите из системы и войдите снова;\n"
    "- переходник USB обычно называется /dev/ttyUSB0; строка COM1=/dev/ttyUSB0 в файле "
    "~/.config/fonerix/ports.conf делает его портом COM1;\n"
    "- команда fonerix-probe в терминале покажет, что найдено на каждом порту.\n"
    "Затем запустите программу снова.";
}  // namespace texts

}  // namespace fonedesk
