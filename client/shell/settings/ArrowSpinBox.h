#pragma once

#include <QSpinBox>

namespace fonedesk {

// A numeric field whose value changes only with its arrows (buttons or arrow keys): the text
// cannot be typed, and the mouse wheel moves it only while it has the focus, since each change
// may be written to the set at once.
class CArrowSpinBox : public QSpinBox {
    Q_OBJECT
  public:
    explicit CArrowSpinBox(QWidget* parent = nullptr);

    // The values the arrows choose from.
    void SetLimits(int low, int high);
    // A value read from the set, shown as it is even outside the limits (a failed read gives
    // 255 or -1, which must not pass for a real setting); the first arrow brings it back inside.
    void ShowValue(int value);

    void stepBy(int steps) override;

  protected:
    StepEnabled stepEnabled() const override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    int m_low = 0;
    int m_high = 99;
};

}  // namespace fonedesk
