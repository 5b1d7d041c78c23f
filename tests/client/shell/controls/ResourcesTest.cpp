#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QSvgRenderer>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

#include "tests/client/shell/controls/ControlTests.h"

namespace fonedesk::test {
namespace {

QStringList Files(const QString& folder, const QString& pattern) {
    QStringList names = QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
    return names;
}

QString Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

class ResourcesTest : public QObject {
    Q_OBJECT
  private slots:
    void everyPictureLoadsAtItsSize() {
        // The size each picture is drawn for, as the windows that show it expect it.
        const QHash<QString, QSize> expected{
            {QStringLiteral("program-128.svg"), {64, 64}},
            {QStringLiteral("ring-call-129.svg"), {64, 64}},
            {QStringLiteral("ring-off-153.svg"), {64, 64}},
            {QStringLiteral("ring-parallel-152.svg"), {64, 64}},
            {QStringLiteral("toolbar-incoming-32802.svg"), {16, 16}},
            {QStringLiteral("toolbar-outgoing-32803.svg"), {16, 16}},
            {QStringLiteral("toolbar-phonebook-32804.svg"), {16, 16}},
            {QStringLiteral("toolbar-cut.svg"), {16, 16}},
            {QStringLiteral("toolbar-copy.svg"), {16, 16}},
            {QStringLiteral("toolbar-paste.svg"), {16, 16}},
            {QStringLiteral("toolbar-delete-32825.svg"), {16, 16}},
            {QStringLiteral("toolbar-add-32827.svg"), {16, 16}},
            {QStringLiteral("toolbar-edit-32828.svg"), {16, 16}},
            {QStringLiteral("toolbar-dial-32841.svg"), {16, 16}},
            {QStringLiteral("toolbar-sound-32843.svg"), {16, 16}},
            {QStringLiteral("sort-ascending-140.svg"), {9, 9}},
            {QStringLiteral("sort-descending-141.svg"), {9, 9}},
            {QStringLiteral("voice-154.svg"), {64, 16}},
            {QStringLiteral("tab-images-136.svg"), {32, 16}},
            {QStringLiteral("sound-211-read.svg"), {16, 16}},
            {QStringLiteral("sound-211-write.svg"), {16, 16}},
            {QStringLiteral("sound-211-delete.svg"), {16, 16}},
            {QStringLiteral("sound-211-play.svg"), {16, 16}},
            {QStringLiteral("key-1000.svg"), {40, 28}},
            {QStringLiteral("key-1001.svg"), {40, 28}},
            {QStringLiteral("key-1002.svg"), {40, 28}},
            {QStringLiteral("key-1003.svg"), {40, 28}},
            {QStringLiteral("key-1004.svg"), {40, 28}},
            {QStringLiteral("key-1005.svg"), {40, 28}},
            {QStringLiteral("key-1006.svg"), {40, 28}},
            {QStringLiteral("key-1007.svg"), {40, 28}},
            {QStringLiteral("key-1008.svg"), {40, 28}},
            {QStringLiteral("key-1009.svg"), {40, 28}},
            {QStringLiteral("key-1010.svg"), {40, 28}},
            {QStringLiteral("key-1011.svg"), {40, 28}},
            {QStringLiteral("key-1015.svg"), {52, 18}},
            {QStringLiteral("key-1016.svg"), {26, 26}},
            {QStringLiteral("key-1017.svg"), {26, 26}},
            {QStringLiteral("key-1018.svg"), {52, 18}},
            {QStringLiteral("key-1019.svg"), {52, 18}},
            {QStringLiteral("key-173.svg"), {52, 18}},
            {QStringLiteral("key-174.svg"), {52, 18}},
            {QStringLiteral("key-175.svg"), {52, 18}},
            {QStringLiteral("key-176.svg"), {52, 18}},
            {QStringLiteral("key-177.svg"), {52, 18}},
            {QStringLiteral("key-178.svg"), {52, 18}},
        };
        const QStringList present = Files(QStringLiteral(":/icons"), QStringLiteral("*.svg"));
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            QVERIFY2(present.contains(it.key()), qPrintable(it.key() + " is not compiled in"));
        }
        for (const QString& name : present) {
            QVERIFY2(expected.contains(name), qPrintable(name + " has no size on record"));
            QSvgRenderer svg(QStringLiteral(":/icons/") + name);
            QVERIFY2(svg.isValid(), qPrintable(name));
            QCOMPARE(svg.defaultSize(), expected.value(name));
            QCOMPARE(svg.viewBoxF().size(), QSizeF(expected.value(name)));

            QImage image(svg.defaultSize(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            svg.render(&painter);
            painter.end();
            QVERIFY2(!BoundsOf(image, [](QRgb c) { return qAlpha(c) > 0; }).isNull(),
                     qPrintable(name + " draws nothing"));
        }
    }

    void voiceStripKeepsImageZeroEmpty() {
        QSvgRenderer svg(QStringLiteral(":/icons/voice-154.svg"));
        QImage image(svg.defaultSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter);
        painter.end();
        for (int i = 0; i < 4; ++i) {
            const QRect drawn =
                BoundsOf(image.copy(i * 16, 0, 16, 16), [](QRgb c) { return qAlpha(c) > 0; });
            QCOMPARE(drawn.isNull(), i == 0);
        }
    }

    void helpPagesLinkOnlyToWhatExists() {
        const QStringList pages = Files(QStringLiteral(":/help"), QStringLiteral("*.html"));
        QVERIFY(pages.contains(QStringLiteral("index.html")));
        QVERIFY(pages.size() >= 8);
        QVERIFY(QFile::exists(QStringLiteral(":/help/style.css")));

        const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
        const QRegularExpression anchor(QStringLiteral("(?:name|id)=\"([^\"]+)\""));
        QHash<QString, QSet<QString>> anchors;
        for (const QString& page : pages) {
            const QString html = Read(QStringLiteral(":/help/") + page);
            for (const auto& m : anchor.globalMatch(html)) {
                anchors[page].insert(m.captured(1));
            }
        }
        QSet<QString> linkedFromIndex;
        for (const QString& page : pages) {
            const QString html = Read(QStringLiteral(":/help/") + page);
            QVERIFY2(html.contains(QStringLiteral("<title>")), qPrintable(page));
            QVERIFY2(!html.contains(QStringLiteral("<script"), Qt::CaseInsensitive),
                     qPrintable(page));
            for (const auto& m : href.globalMatch(html)) {
                const QUrl link(m.captured(1));
                if (!link.scheme().isEmpty()) {
                    continue;  // mailto: and web addresses
                }
                const QString target = link.path().isEmpty() ? page : link.path();
                QVERIFY2(pages.contains(target) || target == QLatin1String("style.css"),
                         qPrintable(page + " links to " + m.captured(1)));
                if (link.hasFragment()) {
                    QVERIFY2(anchors.value(target).contains(link.fragment()),
                             qPrintable(page + " links to a missing anchor " + m.captured(1)));
                }
                if (page == QLatin1String("index.html")) {
                    linkedFromIndex.insert(target);
                }
            }
        }
        // The contents lead to every page.
        for (const QString& page : pages) {
            if (page != QLatin1String("index.html")) {
                QVERIFY2(linkedFromIndex.contains(page),
                         qPrintable(page + " is not in the contents"));
            }
        }
    }

    void helpPagesRenderInTheBrowser() {
        QTextBrowser browser;
        for (const QString& page : Files(QStringLiteral(":/help"), QStringLiteral("*.html"))) {
            browser.setSource(QUrl(QStringLiteral("qrc:/help/") + page));
            QVERIFY2(!browser.documentTitle().isEmpty(), qPrintable(page));
            QVERIFY2(browser.toPlainText().size() > 200, qPrintable(page));
        }
    }
};

namespace {
const RegisterControlTest registration([] { return new ResourcesTest; });
}

}  // namespace fonedesk::test

#include "ResourcesTest.moc"
