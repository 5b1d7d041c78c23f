#include <QEnterEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "client/shell/FlatButton.h"
#include "tests/client/shell/controls/ControlTests.h"

namespace fonedesk::test {
namespace {

const QColor kFace(Qt::white);
const QColor kHoverFace(0xFF, 0xFF, 0x00);

bool IsRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

// A flat 40 by 40 button with a pure red 16 by 16 image, a white face and a yellow hover face.
std::unique_ptr<CFlatButton> MakeButton() {
    auto button = std::make_unique<CFlatButton>();
    QPixmap red(16, 16);
    red.fill(Qt::red);
    button->SetBitmap(red);
    button->SetColor(CFlatButton::BackgroundOut, kFace);
    button->SetColor(CFlatButton::BackgroundIn, kHoverFace);
    button->setFlat(true);
    button->resize(40, 40);
    button->show();
    return button;
}

void Enter(QWidget& w) {
    QEnterEvent enter(QPointF(20, 20), QPointF(20, 20), w.mapToGlobal(QPointF(20, 20)));
    QCoreApplication::sendEvent(&w, &enter);
}

void Leave(QWidget& w) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&w, &leave);
}

QImage Picture(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class FlatButtonTest : public QObject {
    Q_OBJECT
  private slots:
    void disabledDrawsGreyedAndIgnoresHover() {
        const auto button = MakeButton();
        const QImage enabled = Picture(*button);
        QVERIFY(IsRed(enabled.pixel(20, 20)));

        button->setEnabled(false);
        Enter(*button);
        QVERIFY(!button->IsHover());
        const QImage disabled = Picture(*button);
        // The image is still there, in grey: no red pixel is left, and the centre is not the face.
        QVERIFY(BoundsOf(disabled, IsRed).isNull());
        const QRgb centre = disabled.pixel(20, 20);
        QVERIFY(qAbs(qRed(centre) - qGreen(centre)) < 40 &&
                qAbs(qRed(centre) - qBlue(centre)) < 40);
        QVERIFY(QColor(centre) != kFace);
        // The face stays the normal one and no hover frame is drawn.
        QCOMPARE(QColor(disabled.pixel(5, 5)), kFace);
        QCOMPARE(QColor(disabled.pixel(0, 0)), kFace);
    }

    void hoverOnEnterOffOnLeave() {
        const auto button = MakeButton();
        QCOMPARE(QColor(Picture(*button).pixel(0, 0)), kFace);  // flat: no frame

        Enter(*button);
        QVERIFY(button->IsHover());
        QImage picture = Picture(*button);
        QCOMPARE(QColor(picture.pixel(5, 5)), kHoverFace);
        QVERIFY(QColor(picture.pixel(0, 0)) != kHoverFace);  // the thin frame while hovered

        Leave(*button);
        QVERIFY(!button->IsHover());
        picture = Picture(*button);
        QCOMPARE(QColor(picture.pixel(5, 5)), kFace);
        QCOMPARE(QColor(picture.pixel(0, 0)), kFace);

        // Losing the focus while hovered clears the hover too; a move inside brings it back.
        Enter(*button);
        QFocusEvent focusOut(QEvent::FocusOut);
        QCoreApplication::sendEvent(button.get(), &focusOut);
        QVERIFY(!button->IsHover());
        QMouseEvent move(QEvent::MouseMove, QPointF(21, 21), button->mapToGlobal(QPointF(21, 21)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button.get(), &move);
        QVERIFY(button->IsHover());
    }

    void pressedSinksAndShiftsTheImage() {
        const auto button = MakeButton();
        const QRect normal = BoundsOf(Picture(*button), IsRed);
        QCOMPARE(normal.size(), QSize(16, 16));
        QCOMPARE(normal.center(), QRect(0, 0, 40, 40).center());

        button->setDown(true);
        const QImage pressed = Picture(*button);
        QCOMPARE(BoundsOf(pressed, IsRed), normal.translated(1, 1));
        QCOMPARE(QColor(pressed.pixel(5, 5)), kHoverFace);   // the pressed face
        QVERIFY(QColor(pressed.pixel(0, 0)) != kHoverFace);  // and its frame
        button->setDown(false);

        // A push-like toggle looks pressed while it is checked.
        button->setCheckable(true);
        button->setChecked(true);
        QCOMPARE(BoundsOf(Picture(*button), IsRed), normal.translated(1, 1));
    }

    void attachTakesThePlaceOfAFormButton() {
        QWidget page;
        auto* layout = new QHBoxLayout(&page);
        auto* before = new QPushButton(QStringLiteral("<"), &page);
        QPointer<QPushButton> original = new QPushButton(QStringLiteral("_"), &page);
        auto* after = new QPushButton(QStringLiteral(">"), &page);
        layout->addWidget(before);
        layout->addWidget(original);
        layout->addWidget(after);
        original->setObjectName(QStringLiteral("IDC_SOUND_FREE"));
        original->setToolTip(QStringLiteral("tip"));
        original->setCheckable(true);
        original->setEnabled(false);
        page.setEnabled(false);  // a disabled page: the button's own state is what counts

        CFlatButton* flat = CFlatButton::Attach(original);
        QVERIFY(original.isNull());
        QCOMPARE(layout->indexOf(flat), 1);
        QCOMPARE(page.findChild<QPushButton*>(QStringLiteral("IDC_SOUND_FREE")), flat);
        QCOMPARE(flat->text(), QStringLiteral("_"));
        QCOMPARE(flat->toolTip(), QStringLiteral("tip"));
        QVERIFY(flat->isCheckable());
        page.setEnabled(true);
        QVERIFY(!flat->isEnabled());
        QVERIFY(before->isEnabled() && after->isEnabled());
    }
};

namespace {
const RegisterControlTest registration([] { return new FlatButtonTest; });
}

}  // namespace fonedesk::test

#include "FlatButtonTest.moc"
