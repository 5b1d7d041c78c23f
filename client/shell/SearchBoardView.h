#pragma once

#include <QPointer>
#include <QWidget>

namespace fonedesk {

class CDataGridView;

// The "Поиск" tab: the search form over the call logs. Its fields and the search itself come
// with the search form's own change; until then the tab is an empty page that already knows the
// list it will query.
class CSearchBoardView : public QWidget {
    Q_OBJECT
  public:
    explicit CSearchBoardView(QWidget* parent = nullptr);

    void SetGridView(CDataGridView* grid) { m_grid = grid; }
    CDataGridView* GridView() const { return m_grid; }

  private:
    QPointer<CDataGridView> m_grid;
};

}  // namespace fonedesk
