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
}  // namespace texts

}  // namespace fonedesk
