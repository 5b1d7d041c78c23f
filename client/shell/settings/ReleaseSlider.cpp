#include "client/shell/settings/ReleaseSlider.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace fonedesk {

CReleaseSlider::CReleaseSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setFocusPolicy(Qt::StrongFocus);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
    setPageStep(1);
}

void CReleaseSlider::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit released(value());
    }
}

void CReleaseSlider::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QSlider::wheelEvent(event);
}

}  // namespace fonedesk
