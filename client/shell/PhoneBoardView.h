#pragma once

#include <QWidget>

namespace fonedesk {

// The "Номеронабиратель" tab: the keypad that mirrors the set's own. Its buttons and display come
// with the keypad's own change; until then the tab is an empty page of the keypad's width, so
// that the splitter already gives the left pane its final size.
class CPhoneBoardView : public QWidget {
    Q_OBJECT
  public:
    explicit CPhoneBoardView(QWidget* parent = nullptr);

    // The width the view needs without a horizontal scroll bar.
    int ScrollWidth() const;
};

}  // namespace fonedesk
