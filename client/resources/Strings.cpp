#include "client/resources/Strings.h"

#include <QHash>

namespace fonedesk {
namespace {

struct StringEntry {
    int id;
    const char* text;  // UTF-8
};

// Command strings are "prompt\ntool tip", as the frame's fly-by help reads them.
constexpr StringEntry kStringTable[] = {
    {IDR_MAINFRAME, "Звоникс\n\nFonede\n\n\nFonedesk.Document\nFonede Document"},
    {AFX_IDS_APP_TITLE, "Звоникс"},
    {AFX_IDS_IDLEMESSAGE, " "},

    {ID_DEVICE_SETTINGS, "Программные и аппаратные настройки\nПараметры устройства"},
    {ID_VIEW_INCOMING, "Входящие звонки...\nВходящие звонки"},
    {ID_VIEW_OUTGOING, "Исходящие звонки...\nИсходящие звонки"},
    {ID_VIEW_PHONEBOOK, "Телефонная книжка...\nТелефонная книга"},
    {ID_READ_PHONEBOOK, "Читать записную книжку из устройства...\nЧитать записную книжку"},
    {ID_READ_DEVICE, "Читать данные из устройства...\nЧитать из устройства"},
    {ID_DELETE_RECORDS, "Удалить запись...\nУдалить записи"},
    {ID_ADD_RECORD, "Добавить запись...\nДобавить запись"},
    {ID_EDIT_RECORD, "Редактировать запись...\nРедактировать запись"},
    {ID_EXPORT_PHONEBOOK, "Экспорт телефонной книжки в текстовый файл...\nЭкспорт"},
    {ID_IMPORT_PHONEBOOK, "Импорт телефонной книжки из текстового файла...\nИмпорт"},
    {ID_DIAL_RECORD, "Набрать телефонной номер из выделенной записи в списке...\nНабрать абонента"},
    {ID_READ_SOUND,
     "Считать звуковое сообщение из выделенной записи в списке...\nЧитать звукозапись"},

    // The standard commands, in the program's language.
    {ID_FILE_PRINT, "Печать списка\nПечать"},
    {ID_FILE_PRINT_PREVIEW, "Просмотр списка в том виде, в каком он будет напечатан\nПросмотр"},
    {ID_FILE_PAGE_SETUP, "Изменение параметров страницы\nПараметры страницы"},
    {ID_APP_EXIT, "Выход из программы\nВыход"},
    {ID_EDIT_CUT, "Вырезать выделенный текст в буфер обмена\nВырезать"},
    {ID_EDIT_COPY, "Копировать выделенное в буфер обмена\nКопировать"},
    {ID_EDIT_PASTE, "Вставить содержимое буфера обмена\nВставить"},
    {ID_VIEW_TOOLBAR, "Показать или скрыть панель инструментов\nПанель инструментов"},
    {ID_VIEW_STATUS_BAR, "Показать или скрыть строку состояния\nСтрока состояния"},
    {ID_HELP, "Руководство пользователя\nПомощь"},
    {ID_APP_ABOUT, "Сведения о программе и её версии\nО программе"},

    {IDS_TAB_DIALER, "Номеронабиратель"},
    {IDS_TAB_SEARCH, "Поиск"},
    {IDS_RECORD_ADD, "Добавление новой записи..."},
    {IDS_RECORD_EDIT, "Редактирование записи..."},
    {IDS_RECORD_POPUP, "Входящий вызов..."},
    {IDS_COLUMN_CAPTIONS,
     "PHONE=Телефон|COMMENT=Комментарий|DT_CALL=Дата звонка|DELAY=Длительность|ABONENT=Абонент|"
     "NAND_MESS=|"},
    {IDS_DATASOURCE_SETUP_HINT,
     "Источник данных FNDB не найден или недоступен. Создайте его программой fndb-setup, "
     "запустив её в терминале:\n"
     "  fndb-setup - база данных SQLite на этом компьютере;\n"
     "  fndb-setup --postgres --pg-database БАЗА [--pg-host СЕРВЕР] [--pg-user ПОЛЬЗОВАТЕЛЬ] - "
     "общая база данных PostgreSQL для нескольких компьютеров.\n"
     "Затем запустите программу снова."},
    {IDS_NO_DEFAULT_PRINTER,
     "Принтер по умолчанию не найден. Выберите принтер командой \"Печать...\"."},
    {IDS_DATASOURCE_CREATE_PROMPT,
     "Источник данных FNDB ещё не создан.\n\n"
     "Создать его сейчас? Телефонная книга и журналы звонков будут храниться в базе данных "
     "SQLite на этом компьютере, в файле\n%1\n\n"
     "Общую базу данных PostgreSQL для нескольких компьютеров создаёт команда "
     "fndb-setup --postgres (подробнее: man fndb-setup)."},
    {IDS_DATASOURCE_FILE_KEPT, "Этот файл уже есть: записи в нём сохранятся."},
};

const QHash<int, QString>& Table() {
    static const QHash<int, QString> table = [] {
        QHash<int, QString> t;
        for (const StringEntry& e : kStringTable) {
            t.insert(e.id, QString::fromUtf8(e.text));
        }
        return t;
    }();
    return table;
}

}  // namespace

QString LoadString(int id) {
    return Table().value(id);
}

QString CommandPrompt(int id) {
    return LoadString(id).section(QLatin1Char('\n'), 0, 0);
}

QString CommandToolTip(int id) {
    const QString text = LoadString(id);
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    if (newline >= 0) {
        return text.mid(newline + 1);
    }
    QString tip = text;
    while (tip.endsWith(QLatin1Char('.'))) {
        tip.chop(1);
    }
    return tip;
}

}  // namespace fonedesk
