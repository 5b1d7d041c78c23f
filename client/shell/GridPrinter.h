#pragma once

#include <QRect>
#include <QString>
#include <vector>

class QHeaderView;
class QPainter;
class QPrinter;

namespace fonedesk {

class CGridModel;

// Prints the list page by page straight from its model: a margin of 10 mm on every side,
// "Times New Roman" at 16 points, an inverted header row on every page, the cells' texts centred
// in columns as wide as the list's (in the order the user arranged them, scaled to the paper),
// the voice icon in the icon column, lines between cells and rows.
class CGridPrinter {
  public:
    CGridPrinter(const CGridModel& model, const QHeaderView& header);

    // The pages the rows need on this printer's paper (at least one, for the header).
    int PageCount(QPrinter& printer) const;
    // Prints every page, or the range the print dialog chose.
    void Print(QPrinter& printer) const;

  private:
    struct Column {
        int logical = 0;
        int width = 0;
    };
    struct PageLayout {
        QRect area;  // the printable rectangle less the margins, in device pixels
        int rowHeight = 0;
        int rowsPerPage = 1;
        std::vector<int> edges;  // left edge of each column, then the right edge of the last
    };

    PageLayout Layout(QPrinter& printer) const;
    void PaintPage(QPainter& painter, const PageLayout& layout, int firstRow) const;

    const CGridModel& m_model;
    std::vector<Column> m_columns;  // visual order
};

}  // namespace fonedesk
