// Placeholder until the grid view lands: compiles and shows an empty list.
#include "client/shell/DataGridView.h"

#include "client/data/Database.h"

namespace fonedesk {

struct CDataGridView::Impl {
    CDatabase db;
};

CDataGridView::CDataGridView(QWidget* parent) : QWidget(parent), d(std::make_unique<Impl>()) {}
CDataGridView::~CDataGridView() = default;
bool CDataGridView::OpenDataSource() {
    return false;
}
CDatabase& CDataGridView::Database() {
    return d->db;
}
void CDataGridView::ShowPhoneBook(const QString&, int) {}
void CDataGridView::ShowCallLog(const QString&, int) {}
void CDataGridView::ShowFilteredLog(const QString&, const QString&, int) {}
QString CDataGridView::CurrentTable() const {
    return {};
}
bool CDataGridView::IsQueryRunning() const {
    return false;
}
void CDataGridView::CancelQuery() {}
quint16 CDataGridView::GetMessageHandle(int) {
    return 0;
}
QString CDataGridView::GetRowPhone(int) {
    return {};
}
bool CDataGridView::IsCommandEnabled(int) const {
    return false;
}
void CDataGridView::OnCommand(int) {}
void CDataGridView::PrintPages(QPrinter*) {}

}  // namespace fonedesk
