#include "client/shell/SearchBoardView.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "client/shell/DataGridView.h"
#include "ui_SearchBoard.h"

namespace fonedesk {
namespace {

std::optional<std::chrono::year_month_day> PickedDay(const QCheckBox& box, const QDateEdit& edit) {
    const QDate date = edit.date();
    if (!box.isChecked() || !date.isValid()) {
        return std::nullopt;
    }
    return std::chrono::year_month_day{std::chrono::year{date.year()},
                                       std::chrono::month{static_cast<unsigned>(date.month())},
                                       std::chrono::day{static_cast<unsigned>(date.day())}};
}

}  // namespace

CSearchBoardView::CSearchBoardView(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::IDD_SEARCH_BOARD>()) {
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("CSearchBoardView"));

    const QDate today = QDate::currentDate();
    for (const auto& [box, edit] : {std::pair{m_ui->IDC_SEARCH_FROM_CHECK, m_ui->IDC_SEARCH_FROM},
                                    std::pair{m_ui->IDC_SEARCH_TO_CHECK, m_ui->IDC_SEARCH_TO}}) {
        edit->setDate(today);
        edit->setEnabled(box->isChecked());
        // An unticked day does not count; greyed, it does not look as if it did.
        connect(box, &QCheckBox::toggled, edit, &QWidget::setEnabled);
    }
    connect(m_ui->IDC_SEARCH_BUTTON, &QPushButton::clicked, this, &CSearchBoardView::Search);
    connect(m_ui->IDC_SEARCH_NUMBER, &QLineEdit::returnPressed, this, &CSearchBoardView::Search);
}

CSearchBoardView::~CSearchBoardView() = default;

void CSearchBoardView::SetGridView(CDataGridView* grid) {
    m_grid = grid;
}

CDataGridView* CSearchBoardView::GridView() const {
    return m_grid;
}

SearchRequest CSearchBoardView::Request() const {
    SearchRequest request;
    request.log = m_ui->IDC_SEARCH_OUTGOING->isChecked() ? SearchRequest::Log::Outgoing
                                                         : SearchRequest::Log::Incoming;
    request.by = m_ui->IDC_SEARCH_BY_NUMBER->isChecked() ? SearchRequest::By::Number
                                                         : SearchRequest::By::Date;
    request.number = m_ui->IDC_SEARCH_NUMBER->text().toStdString();
    request.firstDay = PickedDay(*m_ui->IDC_SEARCH_FROM_CHECK, *m_ui->IDC_SEARCH_FROM);
    request.lastDay = PickedDay(*m_ui->IDC_SEARCH_TO_CHECK, *m_ui->IDC_SEARCH_TO);
    return request;
}

void CSearchBoardView::Search() {
    if (m_grid == nullptr) {
        return;
    }
    const std::optional<SearchQuery> query = BuildSearch(Request());
    if (!query) {
        return;
    }
    m_grid->ShowFilteredLog(
        QString::fromUtf8(query->table.data(), static_cast<qsizetype>(query->table.size())),
        QString::fromStdString(query->condition), -1);
}

}  // namespace fonedesk
