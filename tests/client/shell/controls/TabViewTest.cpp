#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

#include "client/shell/TabView.h"
#include "tests/client/shell/controls/ControlTests.h"

namespace fonedesk::test {

class TabViewTest : public QObject {
    Q_OBJECT
  private slots:
    void imageStripSplitsIntoItsImages() {
        const QList<QIcon> images =
            CTabView::SplitStrip(QStringLiteral(":/icons/tab-images-136.svg"));
        QCOMPARE(images.size(), 2);
        QImage first = images[0].pixmap(QSize(16, 16), 1.0).toImage();
        QImage second = images[1].pixmap(QSize(16, 16), 1.0).toImage();
        QCOMPARE(first.size(), QSize(16, 16));
        const auto opaque = [](QRgb c) { return qAlpha(c) > 0; };
        QVERIFY(!BoundsOf(first, opaque).isNull());
        QVERIFY(!BoundsOf(second, opaque).isNull());
        QVERIFY(first != second);
        QVERIFY(CTabView::SplitStrip(QStringLiteral(":/icons/no-such-strip.svg")).isEmpty());
    }

    void secondViewAddedIsFirstAndCurrent() {
        CTabView tabs;
        tabs.resize(300, 400);
        const QList<QIcon> images{QIcon(QStringLiteral(":/icons/toolbar-cut.svg")),
                                  QIcon(QStringLiteral(":/icons/toolbar-copy.svg"))};
        tabs.SetImageList(images);
        QCOMPARE(tabs.tabPosition(), QTabWidget::South);
        tabs.show();

        auto* search = new QLineEdit;
        auto* keypad = new QLabel;
        QCOMPARE(tabs.AddView(QStringLiteral("Поиск"), search), search);
        QCOMPARE(tabs.currentIndex(), 0);
        tabs.AddView(QStringLiteral("Номеронабиратель"), keypad);

        QCOMPARE(tabs.count(), 2);
        QCOMPARE(tabs.currentIndex(), 0);
        QCOMPARE(tabs.currentWidget(), keypad);
        QCOMPARE(tabs.View(0), keypad);
        QCOMPARE(tabs.View(1), search);
        QVERIFY(tabs.View(2) == nullptr);
        QCOMPARE(tabs.tabText(0), QStringLiteral("Номеронабиратель"));
        QCOMPARE(tabs.tabText(1), QStringLiteral("Поиск"));
        QCOMPARE(tabs.tabToolTip(0), QStringLiteral("Номеронабиратель"));
        // Images by the number of views before: the search view has image 0, the keypad 1.
        QCOMPARE(tabs.tabIcon(1).cacheKey(), images[0].cacheKey());
        QCOMPARE(tabs.tabIcon(0).cacheKey(), images[1].cacheKey());
        QCOMPARE(keypad->parentWidget()->parentWidget(), &tabs);
        QVERIFY(keypad->isVisible());
        QVERIFY(!search->isVisible());
        QCOMPARE(tabs.FindView<QLineEdit>(), search);
        QCOMPARE(tabs.FindView<QLabel>(), keypad);

        // Choosing the other tab hides the current view and shows the chosen one, sized to the
        // display area.
        tabs.tabBar()->setCurrentIndex(1);
        QVERIFY(search->isVisible());
        QVERIFY(!keypad->isVisible());
        tabs.resize(320, 420);
        QTRY_COMPARE(search->size(), search->parentWidget()->size());
    }

    void longLabelIsCut() {
        CTabView tabs;
        const QString label(40, QLatin1Char('x'));
        tabs.AddView(label, new QLabel);
        QCOMPARE(tabs.tabText(0), label.left(CTabView::kMaxLabelLength));
        QVERIFY(tabs.tabIcon(0).isNull());  // no image list: no image
    }
};

namespace {
const RegisterControlTest registration([] { return new TabViewTest; });
}

}  // namespace fonedesk::test

#include "TabViewTest.moc"
