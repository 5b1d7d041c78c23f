#include "client/data/PhoneBookText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

#include "client/data/BulkWriter.h"
#include "client/data/DbException.h"
#include "client/data/Progress.h"
#include "client/data/Recordset.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "platform/codepage/Cp1251.h"
#include "platform/codepage/Utf8.h"

// Files are Windows-1251 and everything inside the program is UTF-8. Byte 0x98, which the code
// page leaves undefined, is read as U+0098 like every other byte is read as its own character:
// a line holding it is stored with that character and exported as 0x98 again, so a file reads
// back unchanged instead of losing the byte or the line.

namespace fonedesk {
namespace {

namespace st = statements;

constexpr std::size_t kStatementsPerCommit = 50'000;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string SystemError(const std::string& what, const std::string& path, int error) {
    return what + " \"" + path + "\": " + std::strerror(error);
}

// An export is written beside its file and takes the file's place only once complete, so that a
// failed export (a database error, a full disk) leaves an earlier file as it was.
class ReplacingFile {
  public:
    explicit ReplacingFile(std::string path)
        : m_path(std::move(path)), m_partial(m_path + ".part") {
        // A file the user may not write stays refused, as writing it in place would be.
        if (access(m_path.c_str(), F_OK) == 0 && access(m_path.c_str(), W_OK) != 0) {
            throw CFileError(SystemError("Не удалось создать файл", m_path, errno));
        }
        const int fd = open(m_partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0 || (m_file = fdopen(fd, "wb")) == nullptr) {
            const int error = errno;
            if (fd >= 0) {
                close(fd);
                unlink(m_partial.c_str());
            }
            throw CFileError(SystemError("Не удалось создать файл", m_path, error));
        }
    }
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile() {
        if (m_file != nullptr) {
            std::fclose(m_file);
            unlink(m_partial.c_str());
        }
    }

    void Write(const std::string& bytes) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
            throw CFileError(SystemError("Ошибка записи в файл", m_path, errno));
        }
    }

    // Buffered bytes that cannot be written (a full disk) show up only at the close.
    void Commit() {
        const int closed = std::fclose(std::exchange(m_file, nullptr));
        const int error = errno;
        if (closed != 0 || std::rename(m_partial.c_str(), m_path.c_str()) != 0) {
            const int reason = closed != 0 ? error : errno;
            unlink(m_partial.c_str());
            throw CFileError(SystemError("Ошибка записи в файл", m_path, reason));
        }
    }

  private:
    std::string m_path;
    std::string m_partial;
    std::FILE* m_file = nullptr;
};

void RequireAsciiDelimiter(char delimiter) {
    if (static_cast<unsigned char>(delimiter) >= 0x80 || delimiter == '\0' || delimiter == '\n' ||
        delimiter == '\r') {
        throw std::invalid_argument("the field delimiter must be a printable ASCII character");
    }
}

template <typename... Args>
std::string Printf(const char* format, Args... args) {
    const int size = std::snprintf(nullptr, 0, format, args...);
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, args...);
    text.resize(static_cast<std::size_t>(size));
    return text;
}

// One line of a problem list: a database's text may hold several records on several lines.
std::string OneLine(const std::string& text) {
    std::string line = ClipErrorText(text, 300);
    for (char& c : line) {
        if (c == '\n' || c == '\r' || c == '\t') {
            c = ' ';
        }
    }
    return line;
}

// A field as the file holds it; false when a character had to be replaced.
bool AppendField(std::string& line, const std::string& utf8) {
    bool exact = true;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const platform::Utf8Step step = platform::DecodeUtf8(utf8, pos);
        pos += step.length;
        unsigned char byte = 0;
        if (step.valid && platform::UnicodeToCp1251(step.codePoint, byte)) {
            line += static_cast<char>(byte);
        } else {
            line += '?';
            exact = false;
        }
    }
    return exact;
}

void AppendList(std::string& message, const char* title, const std::vector<std::string>& items) {
    if (items.empty()) {
        return;
    }
    message += "\n\n";
    message += title;
    message += " (" + std::to_string(items.size()) + "):";
    for (const std::string& item : items) {
        message += "\n" + item;
    }
}

}  // namespace

PhoneBookImport ImportPhoneBook(CDatabase& db, const std::string& path, char delimiter,
                                IProgress& progress) {
    RequireAsciiDelimiter(delimiter);
    progress.SetProgressText("Импорт данных...");
    progress.SetProgressRange(100);
    const File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        throw CFileError(SystemError("Не удалось открыть файл", path, errno));
    }
    struct stat info {};
    const long long length =
        fstat(fileno(file.get()), &info) == 0 ? static_cast<long long>(info.st_size) : 0;

    PhoneBookImport import;
    // A line is up to three statements; each commit costs the disk a few syncs, so commits come
    // from the writer's time limit (a second) rather than every few hundred lines, and a shared
    // database still never sees its locks held for longer than that.
    CBulkWriter writer(db, kStatementsPerCommit);
    char* buffer = nullptr;
    std::size_t capacity = 0;
    const std::unique_ptr<char*, void (*)(char**)> freeBuffer(&buffer,
                                                              [](char** b) { std::free(*b); });
    int position = 0;
    for (;;) {
        errno = 0;
        const ssize_t read = getline(&buffer, &capacity, file.get());
        if (read < 0) {
            if (std::ferror(file.get())) {
                throw CFileError(SystemError("Ошибка чтения файла", path, errno));
            }
            break;
        }
        std::string_view bytes(buffer, static_cast<std::size_t>(read));
        if (!bytes.empty() && bytes.back() == '\n') {
            bytes.remove_suffix(1);
            if (!bytes.empty() && bytes.back() == '\r') {
                bytes.remove_suffix(1);
            }
        }
        ++import.count;
        const PhoneBookLineOutcome outcome =
            InsertPhoneBookLine(writer, platform::Cp1251ToUtf8(bytes), delimiter);
        if (!outcome.accepted) {
            ++import.failed;
        }
        if (outcome.result != PhoneBookLineResult::kInserted) {
            import.notStored.push_back({import.count, outcome.result, outcome.error});
        }
        const long long offset = std::ftell(file.get());
        if (length > 0 && offset >= 0) {
            position = static_cast<int>(std::min<long long>(offset, length) * 100 / length);
        }
        progress.SetProgressPosition(position);
        progress.ProcessOneEvent();
    }
    writer.Commit();
    if (position != 100) {
        progress.SetProgressPosition(100);  // an empty file, or one that grew while read
    }
    return import;
}

std::string ImportMessage(const PhoneBookImport& import, const std::string& path) {
    std::string message = Printf("Импортировано %d номеров из %d записей (%s)",
                                 import.count - import.failed, import.count, path.c_str());
    if (!import.notStored.empty()) {
        message += "\n\nСтроки, из которых ничего не сохранено (" +
                   std::to_string(import.notStored.size()) + "):";
        for (const ImportedLine& line : import.notStored) {
            message += "\nстрока " + std::to_string(line.lineNumber) + ": ";
            message += DescribeLineResult(line.result);
            if (!line.error.empty()) {
                message += ": " + OneLine(line.error);
            }
        }
    }
    return message;
}

PhoneBookExport ExportPhoneBook(CDatabase& db, const std::string& path, char delimiter,
                                IProgress& progress) {
    RequireAsciiDelimiter(delimiter);
    progress.SetProgressRange(100);
    ReplacingFile file(path);

    // The count comes first so that the bar shows a true share of the rows.
    long long total = 0;
    {
        CRecordsetEx count(db);
        count.Open("SELECT COUNT(*) FROM " + std::string(st::kPhoneBook));
        std::string value;
        if (!count.IsEOF()) {
            count.GetFieldValue(0, value);
            total = std::atoll(value.c_str());
        }
    }

    PhoneBookExport exported;
    CRecordsetEx rs(db);
    rs.Open(FormatStatement(st::kSelectPhoneBookForExport, {st::kPhoneBook}));
    std::string fields[3];
    std::string line;
    const std::string breaking{delimiter, '\r', '\n'};
    while (!rs.IsEOF()) {
        for (short i = 0; i < 3; ++i) {
            rs.GetFieldValue(static_cast<short>(i + 1), fields[i]);
        }
        line.clear();
        bool exact = true;
        bool readableBack = true;
        for (int i = 0; i < 3; ++i) {
            if (!line.empty()) {
                line += delimiter;
            }
            exact = AppendField(line, fields[i]) && exact;
            if (i > 0 && fields[i].find_first_of(breaking) != std::string::npos) {
                readableBack = false;
            }
        }
        if (!exact) {
            exported.unencodable.push_back(fields[0]);
        }
        if (!readableBack) {
            exported.notReadableBack.push_back(fields[0]);
        }
        if (!line.empty()) {
            line += "\r\n";
            file.Write(line);
        }
        ++exported.rows;
        rs.MoveNext();
        progress.SetProgressPosition(
            total > 0 ? static_cast<int>(std::min<long long>(exported.rows, total) * 100 / total)
                      : 100);
        progress.ProcessOneEvent();
    }
    rs.Close();
    file.Commit();
    progress.SetProgressPosition(100);
    return exported;
}

std::string ExportMessage(const PhoneBookExport& exported, const std::string& path) {
    std::string message = Printf("Экспортировано %d номеров (%s)", exported.rows, path.c_str());
    AppendList(message,
               "Символы, которых нет в кодировке Windows-1251, записаны как «?» в строках номеров",
               exported.unencodable);
    AppendList(message,
               "Имя или комментарий содержат разделитель полей или перевод строки и не будут "
               "прочитаны обратно как есть, номера",
               exported.notReadableBack);
    return message;
}

}  // namespace fonedesk
