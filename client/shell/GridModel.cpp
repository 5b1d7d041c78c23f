#include "client/shell/GridModel.h"

#include <algorithm>
#include <cstdlib>

#include "client/data/LetterCase.h"
#include "client/data/Recordset.h"
#include "client/shell/GridIcons.h"

namespace fonedesk {
namespace {

// Texts are preceded by their length, seven bits a byte, so that a short text costs one byte.
void AppendLength(std::string& out, std::size_t length) {
    while (length >= 0x80) {
        out += static_cast<char>(0x80 | (length & 0x7F));
        length >>= 7;
    }
    out += static_cast<char>(length);
}

std::size_t ReadLength(const char*& p) {
    std::size_t length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*p++);
        length |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            return length;
        }
    }
}

// An empty (null) handle is no message either: there is nothing to play.
std::uint8_t IconOfHandle(const std::string& text) {
    return std::strtoll(text.c_str(), nullptr, 10) != 0 ? 1 : 0;
}

}  // namespace

std::vector<GridColumn> GridColumnsOf(const std::vector<CODBCFieldInfo>& fields,
                                      const ColumnCaptions& captions) {
    std::vector<GridColumn> columns;
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const CODBCFieldInfo& field = fields[i];
        GridColumn column;
        column.name = field.m_strName;
        column.sqlType = field.m_nSQLType;
        column.icon = SameColumnName(field.m_strName, kMessageColumn);
        column.timestamp = IsTimestampType(field.m_nSQLType);
        column.caption = QString::fromStdString(ColumnCaption(captions, field.m_strName));
        columns.push_back(std::move(column));
    }
    return columns;
}

CGridRowBlock CGridRowBlock::FromBatch(const RowBatch& batch,
                                       const std::vector<GridColumn>& columns) {
    CGridRowBlock block;
    const std::size_t rows = batch.RowCount();
    const bool hasIcon =
        std::any_of(columns.begin(), columns.end(), [](const GridColumn& c) { return c.icon; });
    block.m_rows.reserve(rows);
    if (hasIcon) {
        block.m_icons.reserve(rows);
    }
    std::size_t textBytes = 0;
    for (const std::string& field : batch.fields) {
        textBytes += field.size() + 1;
    }
    block.m_text.reserve(textBytes);
    const std::size_t shown =
        batch.columnCount == 0 ? 0 : std::min(columns.size(), batch.columnCount - 1);
    for (std::size_t r = 0; r < rows; ++r) {
        const std::string& rid = batch.Field(r, 0);
        block.m_rows.push_back({static_cast<std::int32_t>(std::strtol(rid.c_str(), nullptr, 10)),
                                static_cast<std::uint32_t>(block.m_text.size())});
        for (std::size_t c = 0; c < shown; ++c) {
            const std::string& field = batch.Field(r, c + 1);
            if (columns[c].icon) {
                block.m_icons.push_back(IconOfHandle(field));
                continue;
            }
            std::string_view text = field;
            if (columns[c].timestamp) {
                text.remove_suffix(std::min<std::size_t>(3, text.size()));
            }
            AppendLength(block.m_text, text.size());
            block.m_text.append(text);
        }
        for (std::size_t c = shown; c < columns.size(); ++c) {  // a batch short of columns
            if (columns[c].icon) {
                block.m_icons.push_back(0);
            } else {
                AppendLength(block.m_text, 0);
            }
        }
    }
    block.m_text.shrink_to_fit();
    return block;
}

int CGridRowBlock::IconIndex(int row) const {
    return m_icons.empty() ? 0 : m_icons[static_cast<std::size_t>(row)];
}

std::string_view CGridRowBlock::Text(int row, int textColumn) const {
    const char* p = m_text.data() + m_rows[static_cast<std::size_t>(row)].text;
    for (int c = 0;; ++c) {
        const std::size_t length = ReadLength(p);
        if (c == textColumn) {
            return {p, length};
        }
        p += length;
    }
}

void CGridRowBlock::RemoveRows(int first, int count) {
    // The texts stay in the buffer; they go when the list is emptied.
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + first + count);
    if (!m_icons.empty()) {
        m_icons.erase(m_icons.begin() + first, m_icons.begin() + first + count);
    }
}

void CGridRowBlock::SetTexts(int row, const std::vector<std::string>& texts) {
    m_rows[static_cast<std::size_t>(row)].text = static_cast<std::uint32_t>(m_text.size());
    for (const std::string& text : texts) {
        AppendLength(m_text, text.size());
        m_text.append(text);
    }
}

CGridModel::CGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void CGridModel::SetColumns(std::vector<GridColumn> columns) {
    beginResetModel();
    m_blocks.clear();
    m_starts.clear();
    m_rowCount = 0;
    m_columns = std::move(columns);
    m_textColumn.clear();
    m_hasIcon = false;
    int texts = 0;
    for (const GridColumn& column : m_columns) {
        m_textColumn.push_back(column.icon ? -1 : texts++);
        m_hasIcon = m_hasIcon || column.icon;
    }
    m_sortColumn = -1;
    endResetModel();
}

void CGridModel::Clear() {
    SetColumns({});
}

void CGridModel::AppendRows(CGridRowBlock block) {
    if (block.RowCount() == 0 || m_columns.empty()) {
        return;
    }
    beginInsertRows({}, m_rowCount, m_rowCount + block.RowCount() - 1);
    m_starts.push_back(m_rowCount);
    m_rowCount += block.RowCount();
    m_blocks.push_back(std::move(block));
    endInsertRows();
}

void CGridModel::RemoveRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [this](int r) { return r < 0 || r >= m_rowCount; }),
               rows.end());
    // Runs of consecutive rows, from the bottom up so that the rows above keep their numbers.
    std::size_t end = rows.size();
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && rows[begin - 1] == rows[begin] - 1) {
            --begin;
        }
        const int first = rows[begin];
        const int last = rows[end - 1];
        beginRemoveRows({}, first, last);
        for (int b = static_cast<int>(m_blocks.size()) - 1; b >= 0; --b) {
            const int start = m_starts[static_cast<std::size_t>(b)];
            const int stop = start + m_blocks[static_cast<std::size_t>(b)].RowCount() - 1;
            const int from = std::max(first, start);
            const int to = std::min(last, stop);
            if (from <= to) {
                m_blocks[static_cast<std::size_t>(b)].RemoveRows(from - start, to - from + 1);
            }
        }
        m_blocks.erase(std::remove_if(m_blocks.begin(), m_blocks.end(),
                                      [](const CGridRowBlock& b) { return b.RowCount() == 0; }),
                       m_blocks.end());
        RebuildStarts();
        endRemoveRows();
        end = begin;
    }
}

void CGridModel::RebuildStarts() {
    m_starts.clear();
    m_rowCount = 0;
    for (const CGridRowBlock& block : m_blocks) {
        m_starts.push_back(m_rowCount);
        m_rowCount += block.RowCount();
    }
}

void CGridModel::SetSortMark(int column, bool ascending) {
    const int old = m_sortColumn;
    m_sortColumn = column >= 0 && column < columnCount() ? column : -1;
    m_ascending = ascending;
    for (const int section : {old, m_sortColumn}) {
        if (section >= 0 && section < columnCount()) {
            emit headerDataChanged(Qt::Horizontal, section, section);
        }
    }
}

void CGridModel::SetRowTexts(int row, const std::vector<std::string>& texts) {
    if (row < 0 || row >= m_rowCount) {
        return;
    }
    const auto next = std::upper_bound(m_starts.begin(), m_starts.end(), row);
    const auto b = static_cast<std::size_t>(next - m_starts.begin() - 1);
    std::vector<std::string> all = texts;
    // A row holds exactly one text for each column that has one.
    all.resize(static_cast<std::size_t>(
        std::count_if(m_textColumn.begin(), m_textColumn.end(), [](int t) { return t >= 0; })));
    m_blocks[b].SetTexts(row - m_starts[b], all);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

std::pair<const CGridRowBlock*, int> CGridModel::Locate(int row) const {
    if (row < 0 || row >= m_rowCount) {
        return {nullptr, 0};
    }
    const auto next = std::upper_bound(m_starts.begin(), m_starts.end(), row);
    const auto b = static_cast<std::size_t>(next - m_starts.begin() - 1);
    return {&m_blocks[b], row - m_starts[b]};
}

std::int32_t CGridModel::Rid(int row) const {
    const auto [block, local] = Locate(row);
    return block != nullptr ? block->Rid(local) : 0;
}

int CGridModel::IconIndex(int row) const {
    const auto [block, local] = Locate(row);
    return block != nullptr ? block->IconIndex(local) : 0;
}

QString CGridModel::Text(int row, int column) const {
    if (column < 0 || column >= columnCount()) {
        return {};
    }
    const int text = m_textColumn[static_cast<std::size_t>(column)];
    const auto [block, local] = Locate(row);
    if (text < 0 || block == nullptr) {
        return {};
    }
    const std::string_view value = block->Text(local, text);
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

int CGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int CGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant CGridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const int row = index.row();
    const int column = index.column();
    const bool icon = m_columns[static_cast<std::size_t>(column)].icon;
    switch (role) {
        case Qt::DisplayRole:
            return icon ? QVariant() : QVariant(Text(row, column));
        case Qt::DecorationRole:
            if (icon && IconIndex(row) != 0) {
                return grid_icons::VoiceIcon(IconIndex(row));
            }
            return {};
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        case RidRole:
            return Rid(row);
        case IconIndexRole:
            return m_hasIcon ? QVariant(IconIndex(row)) : QVariant();
        default:
            return {};
    }
}

QVariant CGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    const GridColumn& column = m_columns[static_cast<std::size_t>(section)];
    switch (role) {
        case Qt::DisplayRole:
            return column.caption;
        case Qt::DecorationRole: {
            // The sort mark goes left of the caption; the icon column's header shows a voice
            // icon of its own, after the mark when it is the sorted one.
            const bool sorted = section == m_sortColumn;
            QPixmap pixmap;
            if (column.icon) {
                pixmap = sorted ? grid_icons::SortMarkAndVoiceIcon(m_ascending)
                                : grid_icons::VoiceIcon(1);
            } else if (sorted) {
                pixmap = grid_icons::SortMark(m_ascending);
            }
            return pixmap.isNull() ? QVariant() : QVariant(pixmap);
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        default:
            return {};
    }
}

Qt::ItemFlags CGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace fonedesk
