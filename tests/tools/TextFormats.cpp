#include "tests/tools/TextFormats.h"

#include <cstdlib>

namespace fonerix::test {

namespace {

class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : m_s(text) {}

    std::optional<JsonValue> Document() {
        std::optional<JsonValue> v = Value();
        Blanks();
        if (!v || m_pos != m_s.size()) {
            return std::nullopt;
        }
        return v;
    }

  private:
    void Blanks() {
        while (m_pos < m_s.size() && (m_s[m_pos] == ' ' || m_s[m_pos] == '\n' ||
                                      m_s[m_pos] == '\r' || m_s[m_pos] == '\t')) {
            ++m_pos;
        }
    }
    bool Eat(char c) {
        Blanks();
        if (m_pos < m_s.size() && m_s[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool Word(std::string_view w) {
        if (m_s.substr(m_pos, w.size()) == w) {
            m_pos += w.size();
            return true;
        }
        return false;
    }

    std::optional<JsonValue> Value() {
        Blanks();
        if (m_pos >= m_s.size()) {
            return std::nullopt;
        }
        const char c = m_s[m_pos];
        if (c == '{') {
            return ObjectValue();
        }
        if (c == '[') {
            return ArrayValue();
        }
        if (c == '"') {
            std::optional<std::string> str = String();
            return str ? std::optional(JsonValue{*str}) : std::nullopt;
        }
        if (Word("true")) {
            return JsonValue{true};
        }
        if (Word("false")) {
            return JsonValue{false};
        }
        if (Word("null")) {
            return JsonValue{nullptr};
        }
        return NumberValue();
    }

    std::optional<JsonValue> NumberValue() {
        const size_t start = m_pos;
        if (m_pos < m_s.size() && m_s[m_pos] == '-') {
            ++m_pos;
        }
        const size_t digits = m_pos;
        while (m_pos < m_s.size() &&
               ((m_s[m_pos] >= '0' && m_s[m_pos] <= '9') || m_s[m_pos] == '.' ||
                m_s[m_pos] == 'e' || m_s[m_pos] == 'E' || m_s[m_pos] == '+' || m_s[m_pos] == '-')) {
            ++m_pos;
        }
        if (m_pos == digits ||
            (m_s[digits] == '0' && m_pos > digits + 1 && m_s[digits + 1] != '.')) {
            return std::nullopt;  // nothing, or a leading zero
        }
        const std::string text(m_s.substr(start, m_pos - start));
        char* end = nullptr;
        const double d = std::strtod(text.c_str(), &end);
        if (end != text.c_str() + text.size()) {
            return std::nullopt;
        }
        return JsonValue{d};
    }

    static void Utf8(std::string& out, uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    std::optional<uint32_t> Hex4() {
        if (m_pos + 4 > m_s.size()) {
            return std::nullopt;
        }
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_s[m_pos++];
            v <<= 4;
            if (c >= '0' && c <= '9') {
                v |= static_cast<uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                v |= static_cast<uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                v |= static_cast<uint32_t>(c - 'A' + 10);
            } else {
                return std::nullopt;
            }
        }
        return v;
    }

    std::optional<std::string> String() {
        if (!Eat('"')) {
            return std::nullopt;
        }
        std::string out;
        while (m_pos < m_s.size()) {
            const char c = m_s[m_pos++];
            if (c == '"') {
                return out;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return std::nullopt;  // control characters must be escaped
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_s.size()) {
                return std::nullopt;
            }
            const char e = m_s[m_pos++];
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    std::optional<uint32_t> cp = Hex4();
                    if (!cp) {
                        return std::nullopt;
                    }
                    if (*cp >= 0xD800 && *cp < 0xDC00) {
                        if (!Word("\\u")) {
                            return std::nullopt;
                        }
                        const std::optional<uint32_t> low = Hex4();
                        if (!low || *low < 0xDC00 || *low >= 0xE000) {
                            return std::nullopt;
                        }
                        *cp = 0x10000 + ((*cp - 0xD800) << 10) + (*low - 0xDC00);
                    } else if (*cp >= 0xDC00 && *cp < 0xE000) {
                        return std::nullopt;
                    }
                    Utf8(out, *cp);
                    break;
                }
                default:
                    return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::optional<JsonValue> ArrayValue() {
        Eat('[');
        JsonValue::Array items;
        if (Eat(']')) {
            return JsonValue{items};
        }
        do {
            std::optional<JsonValue> v = Value();
            if (!v) {
                return std::nullopt;
            }
            items.push_back(std::move(*v));
        } while (Eat(','));
        return Eat(']') ? std::optional(JsonValue{items}) : std::nullopt;
    }

    std::optional<JsonValue> ObjectValue() {
        Eat('{');
        JsonValue::Object members;
        if (Eat('}')) {
            return JsonValue{members};
        }
        do {
            Blanks();
            std::optional<std::string> key = String();
            if (!key || !Eat(':')) {
                return std::nullopt;
            }
            std::optional<JsonValue> v = Value();
            if (!v || !members.emplace(*key, std::move(*v)).second) {
                return std::nullopt;  // duplicate keys are a writer's fault too
            }
        } while (Eat(','));
        return Eat('}') ? std::optional(JsonValue{members}) : std::nullopt;
    }

    std::string_view m_s;
    size_t m_pos = 0;
};

}  // namespace

std::optional<JsonValue> ParseJson(std::string_view text) {
    return JsonReader(text).Document();
}

std::optional<std::vector<std::vector<std::string>>> ParseCsv(std::string_view text) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    size_t i = 0;
    bool fieldStarted = false;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"' && !fieldStarted) {
            ++i;
            for (;;) {
                if (i >= text.size()) {
                    return std::nullopt;
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
            fieldStarted = true;
            if (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                return std::nullopt;
            }
            continue;
        }
        if (c == '"') {
            return std::nullopt;
        }
        if (c == ',') {
            record.push_back(std::move(field));
            field.clear();
            fieldStarted = false;
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            record.push_back(std::move(field));
            field.clear();
            fieldStarted = false;
            records.push_back(std::move(record));
            record.clear();
            continue;
        }
        field += c;
        fieldStarted = true;
        ++i;
    }
    if (fieldStarted || !record.empty()) {
        record.push_back(std::move(field));
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace fonerix::test
