#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/ProfileFile.h"

namespace fonedesk {

class CDatabase;

// What the list of the main window asks of the database, free of widgets: the statements of
// the lists, the caption of a result column, deleting rows, single-row reads and the column
// layout kept per table in the profile.

// Orders column names without regard to ASCII case: PostgreSQL reports unquoted names in lower
// case, and a lower-case ABONENT is still ABONENT.
struct ColumnNameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

// Column name -> caption, from the caption string ("PHONE=Телефон|...|NAND_MESS=|"): the text is
// cut at every '|' (what follows the last one is ignored); a part with an '=' after its first
// character gives name = text before the first '=', caption = text after it.
using ColumnCaptions = std::map<std::string, std::string, ColumnNameLess>;
ColumnCaptions ParseColumnCaptions(std::string_view text);
// The caption of a column, or its own name when the map lacks it.
std::string ColumnCaption(const ColumnCaptions& captions, std::string_view name);

// The result column that holds a call's voice-message handle, shown as an icon.
inline constexpr std::string_view kMessageColumn = "NAND_MESS";

// The letter tabs of the phone book: 29 of them, tab 0 ("*") for every name that starts with
// none of the others' letters.
inline constexpr int kAlphabetTabCount = 29;
// The label of tab `index` (one character, UTF-8); empty outside 0..28.
std::string_view AlphabetTabLetter(int index);

// The statements of the lists. sortColumn is the 1-based displayed column; RID precedes the
// displayed columns, so the result column ordered by is sortColumn + 1.
std::string PhoneBookStatement(std::string_view table, int tab, int sortColumn, bool ascending);
std::string CallLogStatement(std::string_view table, int sortColumn, bool ascending);
std::string FilteredLogStatement(std::string_view table, std::string_view condition, int sortColumn,
                                 bool ascending);

// The statements that delete rows of `table` by RID, in order: for the phone book the two log
// updates that give the logs' rows of those numbers the number back as their name, then the
// delete. Empty when there is no RID.
std::vector<std::string> DeleteStatements(std::string_view table,
                                          std::span<const std::int32_t> rids);
// Runs them with one recordset. False when there is nothing to delete; throws CDBException
// when the database rejects a statement (what ran before it stays done).
bool DeleteRows(CDatabase& db, std::string_view table, std::span<const std::int32_t> rids);

// Single-row reads: the voice-message handle of a row cut to 16 bits (0 when there is no row or
// on any error) and its number (empty when there is no row or on any error).
std::uint16_t GetMessageHandle(CDatabase& db, std::string_view table, int rid);
std::string GetRowPhone(CDatabase& db, std::string_view table, int rid);

// The "Columns layout" of a table in the profile: table + "_layout" holds the widths in pixels
// in column-index order joined by ","; table + "_order" +sortColumn when ascending, -sortColumn
// when descending (default 2).
struct ColumnOrder {
    int sortColumn = 2;
    bool ascending = true;
};
// The saved widths, each taken modulo 65536; empty when none are saved.
std::vector<int> ReadColumnWidths(const platform::ProfileFile& profile, std::string_view table);
ColumnOrder ReadColumnOrder(const platform::ProfileFile& profile, std::string_view table);
// Writes both keys, but only for a named table whose list has columns and rows: the layout of
// an empty list would tell nothing about the widths its contents need. True when written.
bool SaveColumnLayout(platform::ProfileFile& profile, std::string_view table,
                      std::span<const int> widths, std::size_t rowCount, ColumnOrder order);

}  // namespace fonedesk
