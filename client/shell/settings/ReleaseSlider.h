#pragma once

#include <QSlider>

namespace fonedesk {

// A slider that reports its position only when the left mouse button is released on it (the end
// of a click on the groove or of a drag). Keyboard changes report nothing, and the mouse wheel
// moves it only while it has the focus: each report is written to the set at once, so a stray
// scroll must not rewrite a setting.
class CReleaseSlider : public QSlider {
    Q_OBJECT
  public:
    explicit CReleaseSlider(QWidget* parent = nullptr);

  signals:
    void released(int position);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

}  // namespace fonedesk
