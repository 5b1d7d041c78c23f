#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "client/data/SearchCondition.h"

namespace Ui {
class IDD_SEARCH_BOARD;
}

namespace fonedesk {

class CDataGridView;

// The "Поиск" tab (dialog 102): one of the two call logs searched for a number or for a range of
// call days, the result shown by the list as a filtered log. The form only builds the condition;
// the list runs the query. It starts on the outgoing calls, by number; both days start ticked at
// today, as a date picker with a check box does.
class CSearchBoardView : public QWidget {
    Q_OBJECT
  public:
    explicit CSearchBoardView(QWidget* parent = nullptr);
    ~CSearchBoardView() override;

    // The list the search shows its result in; the main frame sets it once its panes exist.
    void SetGridView(CDataGridView* grid);
    // Null before SetGridView and once the list is gone.
    CDataGridView* GridView() const;

    // The search as the fields ask for it now.
    SearchRequest Request() const;

    // The button "ПОИСК" (and Enter in the number field): the list shows the filtered log.
    // Nothing happens without a list or without anything to look for.
    void Search();

  private:
    std::unique_ptr<Ui::IDD_SEARCH_BOARD> m_ui;
    QPointer<CDataGridView> m_grid;
};

}  // namespace fonedesk
