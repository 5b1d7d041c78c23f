#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "client/data/GridQueries.h"
#include "client/data/QueryWorker.h"

namespace fonedesk {

// A displayed column of the list, as the result set describes it (RID is never one).
struct GridColumn {
    std::string name;
    QString caption;
    short sqlType = 0;
    bool icon = false;       // the voice-message handle: an icon, no text
    bool timestamp = false;  // shown without its seconds
};

// The displayed columns of a result: every result column after RID, captioned from the map.
std::vector<GridColumn> GridColumnsOf(const std::vector<CODBCFieldInfo>& fields,
                                      const ColumnCaptions& captions);

// Rows of the list packed for a long result: per row its RID and where its texts start, and the
// texts of all rows in one buffer, each preceded by its length. A call-log row takes about 50
// bytes this way, against several hundred with a QVariant or QString per cell.
class CGridRowBlock {
  public:
    // Packs a batch of result rows (RID first, then the displayed columns in order): timestamps
    // lose their seconds, the voice-message column becomes an image index.
    static CGridRowBlock FromBatch(const RowBatch& batch, const std::vector<GridColumn>& columns);

    int RowCount() const { return static_cast<int>(m_rows.size()); }
    std::int32_t Rid(int row) const { return m_rows[static_cast<std::size_t>(row)].rid; }
    // 0 no voice message, 1 a message; 0 as well when the list has no icon column.
    int IconIndex(int row) const;
    // Text number `textColumn` of a row, counting only the columns that have a text.
    std::string_view Text(int row, int textColumn) const;

    void RemoveRows(int first, int count);
    // New texts for a row, one per text column; the old ones stay in the buffer unused.
    void SetTexts(int row, const std::vector<std::string>& texts);

  private:
    struct Row {
        std::int32_t rid;
        std::uint32_t text;  // offset into m_text
    };
    std::vector<Row> m_rows;
    std::vector<std::uint8_t> m_icons;  // one per row when there is an icon column
    std::string m_text;
};

// The model of the list: the columns of the current result and its rows, appended a block at a
// time as the query worker delivers them. Read-only; the RID of a row is its RidRole.
class CGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Role { RidRole = Qt::UserRole, IconIndexRole };

    explicit CGridModel(QObject* parent = nullptr);

    // A new result: its columns, no rows. Clear leaves neither columns nor rows.
    void SetColumns(std::vector<GridColumn> columns);
    void Clear();
    void AppendRows(CGridRowBlock block);
    // Removes the given rows (any order, duplicates allowed).
    void RemoveRows(std::vector<int> rows);
    // An edited row shows its new texts (UTF-8, one per column with a text) without a reload.
    void SetRowTexts(int row, const std::vector<std::string>& texts);

    // The sort mark shown left of a header caption; column -1 shows none.
    void SetSortMark(int column, bool ascending);
    int SortMarkColumn() const { return m_sortColumn; }

    const std::vector<GridColumn>& Columns() const { return m_columns; }
    // A row's RID, icon index and texts; 0 or an empty text outside the list.
    std::int32_t Rid(int row) const;
    int IconIndex(int row) const;
    // The text of a cell (empty for the icon column).
    QString Text(int row, int column) const;
    bool HasIconColumn() const { return m_hasIcon; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    // The block holding a row and the row's place in it; null outside the list.
    std::pair<const CGridRowBlock*, int> Locate(int row) const;
    void RebuildStarts();

    std::vector<GridColumn> m_columns;
    std::vector<int> m_textColumn;  // per column its text number, -1 for the icon column
    bool m_hasIcon = false;
    std::vector<CGridRowBlock> m_blocks;
    std::vector<int> m_starts;  // first row of each block
    int m_rowCount = 0;
    int m_sortColumn = -1;
    bool m_ascending = true;
};

}  // namespace fonedesk
