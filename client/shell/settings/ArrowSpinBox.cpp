#include "client/shell/settings/ArrowSpinBox.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>

namespace fonedesk {

CArrowSpinBox::CArrowSpinBox(QWidget* parent) : QSpinBox(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAlignment(Qt::AlignCenter);
    lineEdit()->setReadOnly(true);
    setRange(m_low, m_high);
}

void CArrowSpinBox::SetLimits(int low, int high) {
    m_low = low;
    m_high = high;
    setRange(low, high);
}

void CArrowSpinBox::ShowValue(int value) {
    const QSignalBlocker quiet(this);  // a value read is no change to write back
    setRange(std::min(value, m_low), std::max(value, m_high));
    setValue(value);
}

void CArrowSpinBox::stepBy(int steps) {
    const int old = value();
    const int next = std::clamp(old + steps, m_low, m_high);
    if (old < m_low || old > m_high) {
        const QSignalBlocker quiet(this);
        setRange(m_low, m_high);  // clamps the shown value to `next`'s side without a signal
    }
    if (next == old) {
        return;
    }
    if (value() == next) {
        emit valueChanged(next);
        emit textChanged(text());
    } else {
        setValue(next);
    }
}

QAbstractSpinBox::StepEnabled CArrowSpinBox::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value() < m_high) {
        enabled |= StepUpEnabled;
    }
    if (value() > m_low) {
        enabled |= StepDownEnabled;
    }
    return enabled;
}

void CArrowSpinBox::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QSpinBox::wheelEvent(event);
}

}  // namespace fonedesk
