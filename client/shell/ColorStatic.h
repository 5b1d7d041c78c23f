#pragma once

#include <QColor>
#include <QLabel>

namespace fonedesk {

// A static text in its own text and background colours (the keypad's labels on white). The
// defaults are the palette's button text and button face, and follow the palette when it
// changes; an invalid colour (the -1 of the owner's call) restores the default.
class CColorStatic : public QLabel {
    Q_OBJECT
  public:
    explicit CColorStatic(QWidget* parent = nullptr);
    explicit CColorStatic(const QString& text, QWidget* parent = nullptr);

    void SetTextColor(const QColor& color);
    void SetBkColor(const QColor& color);
    // The colours painted now (the defaults resolved).
    QColor TextColor() const;
    QColor BkColor() const;

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void ApplyColors();

    QColor m_text;
    QColor m_background;
    bool m_applying = false;
};

}  // namespace fonedesk
