#include "client/shell/ColorStatic.h"

#include <QEvent>

namespace fonedesk {

CColorStatic::CColorStatic(QWidget* parent) : CColorStatic(QString(), parent) {}

CColorStatic::CColorStatic(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAutoFillBackground(true);
    ApplyColors();
}

void CColorStatic::SetTextColor(const QColor& color) {
    m_text = color;
    ApplyColors();
}

void CColorStatic::SetBkColor(const QColor& color) {
    m_background = color;
    ApplyColors();
}

QColor CColorStatic::TextColor() const {
    return m_text.isValid() ? m_text : palette().color(QPalette::ButtonText);
}

QColor CColorStatic::BkColor() const {
    return m_background.isValid() ? m_background : palette().color(QPalette::Button);
}

void CColorStatic::changeEvent(QEvent* event) {
    // The defaults follow a new palette (a theme change, the parent's palette).
    if (event->type() == QEvent::PaletteChange && !m_applying) {
        ApplyColors();
    }
    QLabel::changeEvent(event);
}

void CColorStatic::ApplyColors() {
    m_applying = true;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, TextColor());
    pal.setColor(QPalette::Window, BkColor());
    setPalette(pal);
    m_applying = false;
    update();
}

}  // namespace fonedesk
