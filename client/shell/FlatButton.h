#pragma once

#include <QColor>
#include <QIcon>
#include <QPushButton>
#include <QSize>

namespace fonedesk {

// The owner-drawn button of the keypad and the sound page: a face in its own colours with a
// centred image, flat (no frame until the mouse is over it) or with a raised frame, sunken and
// shifted by a pixel while pressed. A disabled button shows its image greyed and ignores the
// mouse. Push-like toggles (speaker, microphone) draw their checked state as pressed.
class CFlatButton : public QPushButton {
    Q_OBJECT
  public:
    enum ColorIndex { BackgroundIn, ForegroundIn, BackgroundOut, ForegroundOut };

    explicit CFlatButton(QWidget* parent = nullptr);
    explicit CFlatButton(const QString& text, QWidget* parent = nullptr);

    // Puts a flat button in the place of `button` (a push button of a form): same parent, layout
    // slot or geometry, object name, text, tool tip, checkable state and enabled state. The old
    // button is deleted, so connect to the returned one.
    static CFlatButton* Attach(QAbstractButton* button);

    // A bitmap drawn at its own size; an icon drawn at `size` (16 by 16 on the sound page).
    void SetBitmap(const QPixmap& bitmap);
    void SetBitmap(const QString& resourcePath);
    void SetIcon(const QIcon& icon, QSize size = QSize(16, 16));
    QIcon Image() const { return m_image; }
    QSize ImageSize() const { return m_imageSize; }

    // "In" is the hover state, "out" the normal one. An invalid colour restores the palette's
    // button face or button text.
    void SetColor(ColorIndex index, const QColor& color, bool repaint = true);
    QColor Color(ColorIndex index) const;

    // Cursor by resource id: IDC_HAND (147) is the pointing hand; any other id removes it.
    void SetCursorById(int id);

    // A tool tip given directly, or the string `id` of the string table (for a command string,
    // its status-bar prompt, which says more than the short tool-tip line).
    void SetTooltipText(const QString& text);
    void SetTooltipText(int id);

    bool IsHover() const { return m_hover; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void SetHover(bool hover);
    bool IsPressedLook() const;

    QIcon m_image;
    QSize m_imageSize;
    QColor m_colors[4];  // invalid: the palette's colour
    bool m_hover = false;
};

}  // namespace fonedesk
