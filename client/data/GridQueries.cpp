#include "client/data/GridQueries.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>

#include "client/data/Database.h"
#include "client/data/DbException.h"
#include "client/data/Recordset.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "platform/codepage/Utf8.h"
#include "platform/profile/FonedeskProfile.h"

namespace fonedesk {
namespace {

namespace st = statements;
namespace fp = platform::fonedesk_profile;

// The leading decimal number of a text, as atoi reads it (0 when there is none); values beyond
// the range of long long saturate instead of being undefined.
long long LeadingNumber(std::string_view text) {
    const std::string copy(text);
    return std::strtoll(copy.c_str(), nullptr, 10);
}

std::string FirstField(CDatabase& db, const std::string& sql, bool& found) {
    CRecordsetEx rs(db);
    rs.Open(sql);
    std::string value;
    found = !rs.IsEOF();
    if (found) {
        rs.GetFieldValue(0, value);
    }
    rs.CloseIfOpen();
    return value;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool ColumnNameLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(AsciiLower(x)) <
               static_cast<unsigned char>(AsciiLower(y));
    });
}

ColumnCaptions ParseColumnCaptions(std::string_view text) {
    ColumnCaptions captions;
    for (std::size_t bar = text.find('|'); bar != std::string_view::npos; bar = text.find('|')) {
        const std::string_view part = text.substr(0, bar);
        text.remove_prefix(bar + 1);
        const std::size_t equals = part.find('=');
        if (equals != std::string_view::npos && equals > 0) {
            captions.emplace(std::string(part.substr(0, equals)),
                             std::string(part.substr(equals + 1)));
        }
    }
    return captions;
}

std::string ColumnCaption(const ColumnCaptions& captions, std::string_view name) {
    const auto found = captions.find(name);
    return found != captions.end() ? found->second : std::string(name);
}

std::string_view AlphabetTabLetter(int index) {
    if (index < 0) {
        return {};
    }
    const std::string_view letters = st::kAlphabetTabs;
    std::size_t pos = 0;
    for (int i = 0; pos < letters.size(); ++i) {
        const std::size_t length = platform::DecodeUtf8(letters, pos).length;
        if (i == index) {
            return letters.substr(pos, length);
        }
        pos += length;
    }
    return {};
}

std::string PhoneBookStatement(std::string_view table, int tab, int sortColumn, bool ascending) {
    const std::string order = OrderClause(sortColumn + 1, ascending);
    if (tab <= 0 || tab >= kAlphabetTabCount) {
        return FormatStatement(st::kSelectPhoneBookOthers, {table, order});
    }
    return FormatStatement(st::kSelectPhoneBookByLetter, {table, AlphabetTabLetter(tab), order});
}

std::string CallLogStatement(std::string_view table, int sortColumn, bool ascending) {
    return FormatStatement(st::kSelectCallLog, {table, OrderClause(sortColumn + 1, ascending)});
}

std::string FilteredLogStatement(std::string_view table, std::string_view condition, int sortColumn,
                                 bool ascending) {
    return FormatStatement(st::kSelectFilteredCallLog,
                           {table, condition, OrderClause(sortColumn + 1, ascending)});
}

std::vector<std::string> DeleteStatements(std::string_view table,
                                          std::span<const std::int32_t> rids) {
    const std::string list = RidList(rids);
    if (list.empty()) {
        return {};
    }
    std::vector<std::string> statements;
    if (table == st::kPhoneBook) {
        for (const std::string_view log : {st::kIncomingCalls, st::kOutgoingCalls}) {
            statements.push_back(
                FormatStatement(st::kRestoreNumbersAsNames, {log, st::kPhoneBook, list}));
        }
    }
    statements.push_back(FormatStatement(st::kDeleteRows, {table, list}));
    return statements;
}

bool DeleteRows(CDatabase& db, std::string_view table, std::span<const std::int32_t> rids) {
    const std::vector<std::string> statements = DeleteStatements(table, rids);
    if (statements.empty()) {
        return false;
    }
    CRecordsetEx rs(db);
    for (const std::string& sql : statements) {
        rs.Open(sql);
        rs.CloseIfOpen();
    }
    return true;
}

std::uint16_t GetMessageHandle(CDatabase& db, std::string_view table, int rid) {
    try {
        bool found = false;
        const std::string value =
            FirstField(db, FormatStatement(st::kSelectMessageHandle, {table, rid}), found);
        return found ? static_cast<std::uint16_t>(LeadingNumber(value)) : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

std::string GetRowPhone(CDatabase& db, std::string_view table, int rid) {
    try {
        bool found = false;
        return FirstField(db, FormatStatement(st::kSelectRowPhone, {table, rid}), found);
    } catch (const std::exception&) {
        return {};
    }
}

std::vector<int> ReadColumnWidths(const platform::ProfileFile& profile, std::string_view table) {
    const std::string text = profile.GetString(fp::kColumnsLayout, fp::ColumnLayoutKey(table));
    std::vector<int> widths;
    if (text.empty()) {
        return widths;
    }
    std::string_view rest = text;
    while (true) {
        const std::size_t comma = rest.find(',');
        const long long value = LeadingNumber(rest.substr(0, comma));
        widths.push_back(static_cast<int>(((value % 65536) + 65536) % 65536));
        if (comma == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    return widths;
}

ColumnOrder ReadColumnOrder(const platform::ProfileFile& profile, std::string_view table) {
    const int value =
        profile.GetInt(fp::kColumnsLayout, fp::ColumnOrderKey(table), fp::kColumnOrderDefault);
    const long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
    return {static_cast<int>(std::min<long long>(magnitude, INT32_MAX)), value > 0};
}

bool SaveColumnLayout(platform::ProfileFile& profile, std::string_view table,
                      std::span<const int> widths, std::size_t rowCount, ColumnOrder order) {
    if (table.empty() || widths.empty() || rowCount == 0) {
        return false;
    }
    std::string text;
    for (const int width : widths) {
        if (!text.empty()) {
            text += ',';
        }
        text += std::to_string(width);
    }
    const bool layout = profile.WriteString(fp::kColumnsLayout, fp::ColumnLayoutKey(table), text);
    const bool sort = profile.WriteInt(fp::kColumnsLayout, fp::ColumnOrderKey(table),
                                       order.ascending ? order.sortColumn : -order.sortColumn);
    return layout && sort;
}

}  // namespace fonedesk
