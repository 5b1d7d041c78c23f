#include <QTest>

#include "client/shell/ColorStatic.h"
#include "tests/client/shell/controls/ControlTests.h"

namespace fonedesk::test {

class ColorStaticTest : public QObject {
    Q_OBJECT
  private slots:
    void backgroundSetAndRestored() {
        QWidget parent;
        CColorStatic label(QStringLiteral("Flash"), &parent);
        label.resize(60, 20);
        const auto corner = [&] { return QColor(label.grab().toImage().pixel(1, 1)); };

        label.SetBkColor(Qt::white);
        label.SetTextColor(QColor(0x80, 0, 0));
        QCOMPARE(corner(), QColor(Qt::white));
        QCOMPARE(label.palette().color(QPalette::WindowText), QColor(0x80, 0, 0));

        // The -1 of the owner: back to the button face, which follows the palette.
        label.SetBkColor(QColor());
        QCOMPARE(corner(), parent.palette().color(QPalette::Button));
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Button, QColor(0x12, 0x34, 0x56));
        parent.setPalette(pal);
        QCOMPARE(label.BkColor(), QColor(0x12, 0x34, 0x56));
        QCOMPARE(corner(), QColor(0x12, 0x34, 0x56));
        QCOMPARE(label.TextColor(), QColor(0x80, 0, 0));
    }
};

namespace {
const RegisterControlTest registration([] { return new ColorStaticTest; });
}

}  // namespace fonedesk::test

#include "ColorStaticTest.moc"
