#include "tools/ctl/Output.h"

#include <algorithm>
#include <cstdio>

namespace fonerix::ctl {

namespace {

// Width on a terminal: UTF-8 continuation bytes take no column.
size_t DisplayWidth(std::string_view s) {
    return static_cast<size_t>(std::count_if(
        s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void Pad(std::ostream& out, std::string_view s, size_t width) {
    out << s;
    for (size_t w = DisplayWidth(s); w < width; ++w) {
        out << ' ';
    }
}

void WriteCsv(std::ostream& out, const Table& table) {
    for (size_t i = 0; i < table.columns.size(); ++i) {
        out << (i != 0 ? "," : "") << CsvField(table.columns[i]);
    }
    out << "\r\n";
    for (const auto& row : table.rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            out << (i != 0 ? "," : "") << CsvField(row[i].text);
        }
        out << "\r\n";
    }
}

void WriteJsonObject(std::ostream& out, const Table& table, const std::vector<Cell>& row) {
    out << "{";
    for (size_t i = 0; i < row.size() && i < table.columns.size(); ++i) {
        out << (i != 0 ? ", " : "") << JsonString(table.columns[i]) << ": "
            << (row[i].number ? row[i].text : JsonString(row[i].text));
    }
    out << "}";
}

void WriteJsonArray(std::ostream& out, const Table& table) {
    out << "[";
    for (size_t r = 0; r < table.rows.size(); ++r) {
        out << (r != 0 ? ",\n  " : "\n  ");
        WriteJsonObject(out, table, table.rows[r]);
    }
    out << (table.rows.empty() ? "]\n" : "\n]\n");
}

}  // namespace

std::string CsvField(std::string_view text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) {
        return std::string(text);
    }
    std::string s = "\"";
    for (const char c : text) {
        if (c == '"') {
            s += '"';
        }
        s += c;
    }
    return s + "\"";
}

std::string JsonString(std::string_view text) {
    std::string s = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                s += "\\\"";
                break;
            case '\\':
                s += "\\\\";
                break;
            case '\n':
                s += "\\n";
                break;
            case '\r':
                s += "\\r";
                break;
            case '\t':
                s += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
                    s += buf;
                } else {
                    s += c;
                }
        }
    }
    return s + "\"";
}

void WriteTable(std::ostream& out, const Table& table, OutputFormat format) {
    if (format == OutputFormat::Csv) {
        WriteCsv(out, table);
        return;
    }
    if (format == OutputFormat::Json) {
        WriteJsonArray(out, table);
        return;
    }
    std::vector<size_t> width(table.columns.size());
    for (size_t i = 0; i < table.columns.size(); ++i) {
        width[i] = DisplayWidth(table.columns[i]);
        for (const auto& row : table.rows) {
            if (i < row.size()) {
                width[i] = std::max(width[i], DisplayWidth(row[i].text));
            }
        }
    }
    auto line = [&](auto text) {
        for (size_t i = 0; i < table.columns.size(); ++i) {
            if (i + 1 == table.columns.size()) {
                out << text(i);  // no trailing blanks
            } else {
                Pad(out, text(i), width[i]);
                out << "  ";
            }
        }
        out << '\n';
    };
    line([&](size_t i) -> std::string_view { return table.columns[i]; });
    for (const auto& row : table.rows) {
        line([&](size_t i) -> std::string_view {
            return i < row.size() ? std::string_view(row[i].text) : std::string_view();
        });
    }
}

void WriteRecord(std::ostream& out, const Table& table, OutputFormat format) {
    if (format == OutputFormat::Csv) {
        WriteCsv(out, table);
        return;
    }
    if (format == OutputFormat::Json) {
        if (table.rows.size() == 1) {
            WriteJsonObject(out, table, table.rows[0]);
            out << '\n';
        } else {
            WriteJsonArray(out, table);
        }
        return;
    }
    size_t width = 0;
    for (const std::string& c : table.columns) {
        width = std::max(width, DisplayWidth(c) + 1);
    }
    for (size_t r = 0; r < table.rows.size(); ++r) {
        if (r != 0) {
            out << '\n';
        }
        for (size_t i = 0; i < table.columns.size() && i < table.rows[r].size(); ++i) {
            Pad(out, table.columns[i] + ":", width + 1);
            out << table.rows[r][i].text << '\n';
        }
    }
}

}  // namespace fonerix::ctl
