#include "client/shell/GridPrinter.h"

#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "client/shell/GridIcons.h"
#include "client/shell/GridModel.h"

namespace fonedesk {
namespace {

constexpr double kMarginMm = 10.0;
constexpr int kFontPoints = 16;

QFont PrintFont() {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(kFontPoints);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace

CGridPrinter::CGridPrinter(const CGridModel& model, const QHeaderView& header) : m_model(model) {
    for (int visual = 0; visual < header.count(); ++visual) {
        const int logical = header.logicalIndex(visual);
        if (logical < 0 || logical >= model.columnCount() || header.isSectionHidden(logical)) {
            continue;
        }
        m_columns.push_back({logical, header.sectionSize(logical)});
    }
}

CGridPrinter::PageLayout CGridPrinter::Layout(QPrinter& printer) const {
    PageLayout layout;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int margin = static_cast<int>(std::lround(kMarginMm * printer.resolution() / 25.4));
    // The painter's origin is the top left corner of the paintable rectangle.
    layout.area =
        QRect(0, 0, page.width(), page.height()).adjusted(margin, margin, -margin, -margin);
    layout.rowHeight = QFontMetrics(PrintFont(), &printer).height();
    // The header row and one row of room; a paper too small for that still gets a row a page,
    // so that printing ends.
    layout.rowsPerPage = std::max(1, layout.area.height() / (layout.rowHeight + 1) - 2);

    // Column edges scaled from the list's widths. The scale is kept as a fraction: a whole
    // number would make every column zero wide whenever the list is wider than the paper.
    long long total = 0;
    for (const Column& column : m_columns) {
        total += column.width;
    }
    const double scale = total > 0 ? static_cast<double>(layout.area.width()) / total : 0.0;
    long long sum = 0;
    layout.edges.push_back(layout.area.left());
    for (const Column& column : m_columns) {
        sum += column.width;
        layout.edges.push_back(layout.area.left() + static_cast<int>(std::lround(sum * scale)));
    }
    return layout;
}

int CGridPrinter::PageCount(QPrinter& printer) const {
    const PageLayout layout = Layout(printer);
    const int rows = m_model.rowCount();
    return std::max(1, (rows + layout.rowsPerPage - 1) / layout.rowsPerPage);
}

void CGridPrinter::Print(QPrinter& printer) const {
    const PageLayout layout = Layout(printer);
    const int pages = PageCount(printer);
    int from = 1;
    int to = pages;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage();
        to = std::min(pages, std::max(from, printer.toPage()));
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        return;
    }
    painter.setFont(PrintFont());
    painter.setBackgroundMode(Qt::TransparentMode);
    for (int page = from; page <= to; ++page) {
        if (page > from) {
            printer.newPage();
        }
        PaintPage(painter, layout, (page - 1) * layout.rowsPerPage);
    }
    painter.end();
}

void CGridPrinter::PaintPage(QPainter& painter, const PageLayout& layout, int firstRow) const {
    const int rows = std::clamp(m_model.rowCount() - firstRow, 0, layout.rowsPerPage);
    const int left = layout.edges.front();
    const int right = layout.edges.back();
    const int pitch = layout.rowHeight + 1;
    const int top = layout.area.top();
    const auto cell = [&](std::size_t c, int slot) {
        return QRect(layout.edges[c], top + slot * pitch, layout.edges[c + 1] - layout.edges[c],
                     layout.rowHeight);
    };
    // An icon as tall as the row, centred in its cell.
    const auto iconRect = [&](const QRect& r) {
        const int side = std::min(r.width(), r.height());
        return QRectF(r.center().x() - side / 2.0 + 0.5, r.top() + (r.height() - side) / 2.0, side,
                      side);
    };

    // The header, inverted.
    painter.fillRect(QRect(left, top, right - left, layout.rowHeight), Qt::black);
    painter.setPen(Qt::white);
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        const GridColumn& column =
            m_model.Columns()[static_cast<std::size_t>(m_columns[c].logical)];
        const QRect r = cell(c, 0);
        if (column.icon) {
            grid_icons::PaintVoiceIcon(painter, iconRect(r), 1);
        } else {
            painter.drawText(r, Qt::AlignCenter, column.caption);
        }
    }

    painter.setPen(Qt::black);
    for (int k = 0; k < rows; ++k) {
        const int row = firstRow + k;
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            const int logical = m_columns[c].logical;
            const QRect r = cell(c, k + 1);
            if (m_model.Columns()[static_cast<std::size_t>(logical)].icon) {
                const int icon = m_model.IconIndex(row);
                if (icon != 0) {
                    grid_icons::PaintVoiceIcon(painter, iconRect(r), icon);
                }
            } else {
                painter.drawText(r, Qt::AlignCenter, m_model.Text(row, logical));
            }
        }
    }

    // Lines between the rows and between the cells.
    const int bottom = top + (rows + 1) * pitch - 1;
    painter.setPen(QPen(Qt::black, 0));
    for (int slot = 0; slot <= rows; ++slot) {
        const int y = top + slot * pitch + layout.rowHeight;
        painter.drawLine(left, y, right, y);
    }
    for (const int x : layout.edges) {
        painter.drawLine(x, top, x, bottom);
    }
}

}  // namespace fonedesk
