#include "client/shell/SearchBoardView.h"

#include "client/shell/DataGridView.h"

namespace fonedesk {

CSearchBoardView::CSearchBoardView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CSearchBoardView"));
}

}  // namespace fonedesk
