#include <QDesktopServices>
#include <QDir>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include "client/resources/Strings.h"
#include "client/shell/HyperLink.h"
#include "tests/client/shell/controls/ControlTests.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

namespace fonedesk::test {

// Stands in for the desktop's handler of a scheme.
class UrlReceiver : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class HyperLinkTest : public QObject {
    Q_OBJECT
  private slots:
    void looksLikeALink() {
        QWidget parent;
        CHyperLink link(QString(), QStringLiteral("https://fonerix.example.org"), &parent);
        QCOMPARE(link.text(), QStringLiteral("https://fonerix.example.org"));
        QCOMPARE(link.toolTip(), QStringLiteral("https://fonerix.example.org"));
        QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(link.font().underline());
        QCOMPARE(link.CurrentColor(), CHyperLink::kLinkColor);
        QCOMPARE(link.size(), link.sizeHint());

        link.SetText(QStringLiteral("a considerably longer text for the same link"));
        QCOMPARE(link.size(), link.sizeHint());

        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(&link, &enter);
        QCOMPARE(link.CurrentColor(), link.palette().color(QPalette::Highlight));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&link, &leave);
        QCOMPARE(link.CurrentColor(), CHyperLink::kLinkColor);
        link.SetVisited();
        QCOMPARE(link.CurrentColor(), CHyperLink::kVisitedColor);
        QCOMPARE(link.palette().color(QPalette::WindowText), CHyperLink::kVisitedColor);
    }

    void failureSaysWhy_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("needsOffscreen");
        const QString folder = m_folder.path();
        QTest::newRow("missing file") << folder + QStringLiteral("/missing.html")
                                      << QString::fromUtf8(texts::kShellFileNotFound) << false;
        QTest::newRow("missing file URL")
            << QUrl::fromLocalFile(folder + QStringLiteral("/missing.html")).toString()
            << QString::fromUtf8(texts::kShellFileNotFound) << false;
        QTest::newRow("missing folder") << folder + QStringLiteral("/no/such/page.html")
                                        << QString::fromUtf8(texts::kShellPathNotFound) << false;
        // The offscreen platform opens nothing itself: a scheme without a handler of ours.
        QTest::newRow("scheme without handler")
            << QStringLiteral("fonedesk-unhandled:thing")
            << QString::fromUtf8(texts::kShellNoAssociation) << true;
        QTest::newRow("existing file the desktop refuses")
            << folder + QStringLiteral("/present.txt")
            << QStringLiteral("Unknown Error (1) occurred.") << true;
    }

    void failureSaysWhy() {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        QFETCH(bool, needsOffscreen);
        if (needsOffscreen && QGuiApplication::platformName() != QLatin1String("offscreen")) {
            QSKIP("only the offscreen platform refuses every URL");
        }
        CPromptRecorder prompts;
        CHyperLink link(QStringLiteral("link"), target);
        link.resize(link.sizeHint());
        QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(prompts.messages,
                 QStringList{QString::fromUtf8(texts::kHyperlinkFailed) + reason});
        QCOMPARE(prompts.icons, QList<QMessageBox::Icon>{QMessageBox::Warning});
        QVERIFY(!link.IsVisited());
    }

    void openedTargetIsVisited() {
        const QString file = m_folder.path() + QStringLiteral("/present.txt");
        UrlReceiver receiver;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &receiver, "open");
        CPromptRecorder prompts;
        CHyperLink link(QStringLiteral("manual"), file);
        link.resize(link.sizeHint());
        QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(2, 2));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

        QCOMPARE(receiver.urls, QList<QUrl>{QUrl::fromLocalFile(file)});
        QVERIFY(prompts.messages.isEmpty());
        QVERIFY(link.IsVisited());
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&link, &leave);
        QCOMPARE(link.CurrentColor(), CHyperLink::kVisitedColor);
    }

    void initTestCase() {
        QVERIFY(m_folder.isValid());
        QFile present(m_folder.path() + QStringLiteral("/present.txt"));
        QVERIFY(present.open(QIODevice::WriteOnly));
        present.write("text\n");
    }

  private:
    QTemporaryDir m_folder;
};

namespace {
const RegisterControlTest registration([] { return new HyperLinkTest; });
}

}  // namespace fonedesk::test

#include "HyperLinkTest.moc"
