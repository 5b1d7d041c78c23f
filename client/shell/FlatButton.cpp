#include "client/shell/FlatButton.h"

#include <qdrawutil.h>
#include <QEnterEvent>
#include <QImageReader>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "client/resources/Strings.h"
#include "client/resources/resource.h"

namespace fonedesk {
namespace {

constexpr int kMargin = 4;       // between the frame and the image
constexpr int kTextSpacing = 4;  // between an image and a text beside it

}  // namespace

CFlatButton::CFlatButton(QWidget* parent) : CFlatButton(QString(), parent) {}

CFlatButton::CFlatButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    // Moves inside the button re-arm the hover that a lost focus cleared.
    setMouseTracking(true);
}

CFlatButton* CFlatButton::Attach(QAbstractButton* button) {
    QWidget* parent = button->parentWidget();
    auto* flat = new CFlatButton(button->text(), parent);
    flat->setObjectName(button->objectName());
    flat->setToolTip(button->toolTip());
    flat->setStatusTip(button->statusTip());
    flat->setCheckable(button->isCheckable());
    flat->setChecked(button->isChecked());
    flat->setAutoExclusive(button->autoExclusive());
    flat->setShortcut(button->shortcut());
    // Disabled by its own flag only: a button inside a disabled page is enabled itself.
    flat->setEnabled(!button->testAttribute(Qt::WA_ForceDisabled));
    flat->setSizePolicy(button->sizePolicy());
    flat->setMinimumSize(button->minimumSize());
    flat->setMaximumSize(button->maximumSize());
    flat->setFocusPolicy(button->focusPolicy());
    flat->setFont(button->font());
    flat->setGeometry(button->geometry());
    if (const auto* push = qobject_cast<QPushButton*>(button)) {
        flat->setFlat(push->isFlat());
        flat->setDefault(push->isDefault());
        flat->setAutoDefault(push->autoDefault());
    }
    if (!button->icon().isNull()) {
        flat->SetIcon(button->icon(), button->iconSize());
    }
    if (QLayout* layout = parent != nullptr ? parent->layout() : nullptr) {
        delete layout->replaceWidget(button, flat);
    }
    if (parent != nullptr) {
        flat->stackUnder(button);
        QWidget::setTabOrder(button, flat);
    }
    flat->setHidden(button->isHidden());
    delete button;
    return flat;
}

void CFlatButton::SetBitmap(const QPixmap& bitmap) {
    SetIcon(QIcon(bitmap), bitmap.deviceIndependentSize().toSize());
}

void CFlatButton::SetBitmap(const QString& resourcePath) {
    // Through QIcon, so that an SVG is drawn sharp at any pixel ratio; its size is the picture's.
    SetIcon(QIcon(resourcePath), QImageReader(resourcePath).size());
}

void CFlatButton::SetIcon(const QIcon& icon, QSize size) {
    m_image = icon;
    m_imageSize = size;
    updateGeometry();
    update();
}

void CFlatButton::SetColor(ColorIndex index, const QColor& color, bool repaint) {
    m_colors[index] = color;
    if (repaint) {
        update();
    }
}

QColor CFlatButton::Color(ColorIndex index) const {
    if (m_colors[index].isValid()) {
        return m_colors[index];
    }
    const bool background = index == BackgroundIn || index == BackgroundOut;
    return palette().color(background ? QPalette::Button : QPalette::ButtonText);
}

void CFlatButton::SetCursorById(int id) {
    if (id == IDC_HAND) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
}

void CFlatButton::SetTooltipText(const QString& text) {
    setToolTip(text);
}

void CFlatButton::SetTooltipText(int id) {
    setToolTip(CommandPrompt(id));
}

QSize CFlatButton::sizeHint() const {
    QSize content = m_image.isNull() ? QSize(0, 0) : m_imageSize;
    if (!text().isEmpty()) {
        const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
        const int spacing = content.width() > 0 ? kTextSpacing : 0;
        content = QSize(content.width() + spacing + textSize.width(),
                        qMax(content.height(), textSize.height()));
    }
    return content + QSize(2 * kMargin, 2 * kMargin);
}

bool CFlatButton::IsPressedLook() const {
    return isDown() || (isCheckable() && isChecked());
}

void CFlatButton::SetHover(bool hover) {
    if (m_hover != hover) {
        m_hover = hover;
        update();
    }
}

void CFlatButton::enterEvent(QEnterEvent* event) {
    if (isEnabled()) {
        SetHover(true);
    }
    QPushButton::enterEvent(event);
}

void CFlatButton::leaveEvent(QEvent* event) {
    SetHover(false);
    QPushButton::leaveEvent(event);
}

void CFlatButton::mouseMoveEvent(QMouseEvent* event) {
    if (!m_hover && isEnabled() && rect().contains(event->position().toPoint())) {
        SetHover(true);
    }
    QPushButton::mouseMoveEvent(event);
}

void CFlatButton::focusOutEvent(QFocusEvent* event) {
    SetHover(false);
    QPushButton::focusOutEvent(event);
}

void CFlatButton::hideEvent(QHideEvent* event) {
    SetHover(false);
    QPushButton::hideEvent(event);
}

void CFlatButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        SetHover(false);
    }
    QPushButton::changeEvent(event);
}

void CFlatButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect face = rect();
    const bool pressed = IsPressedLook();
    const bool hover = m_hover && isEnabled();
    painter.fillRect(face, (hover || pressed) ? Color(BackgroundIn) : Color(BackgroundOut));

    const QPalette& pal = palette();
    if (!isFlat()) {
        // Highlight, light, shadow and dark-shadow lines: raised, or sunken while pressed.
        qDrawWinButton(&painter, face, pal, pressed, nullptr);
    } else if (pressed) {
        qDrawShadeRect(&painter, face, pal, true, 1);
    } else if (hover) {
        qDrawShadeRect(&painter, face, pal, false, 1);
    }

    const QPoint shift = pressed ? QPoint(1, 1) : QPoint(0, 0);
    const bool hasImage = !m_image.isNull() && m_imageSize.isValid();
    const QString label = text();
    const int textWidth = label.isEmpty() ? 0 : fontMetrics().horizontalAdvance(label);
    const int imageWidth = hasImage ? m_imageSize.width() : 0;
    const int spacing = hasImage && textWidth > 0 ? kTextSpacing : 0;
    int left = face.left() + (face.width() - imageWidth - spacing - textWidth) / 2;
    if (hasImage) {
        QRect target(QPoint(0, 0), m_imageSize);
        target.moveCenter(face.center());
        if (textWidth > 0) {
            target.moveLeft(left);
        }
        const QPixmap image = m_image.pixmap(m_imageSize, devicePixelRatioF(),
                                             isEnabled() ? QIcon::Normal : QIcon::Disabled,
                                             isChecked() ? QIcon::On : QIcon::Off);
        painter.drawPixmap(target.translated(shift), image);
        left += imageWidth + spacing;
    }
    if (textWidth > 0) {
        QRect textRect = face;
        if (hasImage) {
            textRect.setLeft(left);
        }
        if (isEnabled()) {
            painter.setPen((hover || pressed) ? Color(ForegroundIn) : Color(ForegroundOut));
        } else {
            painter.setPen(pal.color(QPalette::Disabled, QPalette::ButtonText));
        }
        const int align =
            Qt::TextShowMnemonic | Qt::AlignVCenter | (hasImage ? Qt::AlignLeft : Qt::AlignHCenter);
        painter.drawText(textRect.translated(shift), align, label);
    }

    if (hasFocus() && !isFlat()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = face.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

}  // namespace fonedesk
