#include "client/shell/GridIcons.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <QSvgRenderer>
#include <functional>

namespace fonedesk::grid_icons {
namespace {

constexpr char kVoiceStrip[] = ":/icons/voice-154.svg";
constexpr char kSortAscending[] = ":/icons/sort-ascending-140.svg";
constexpr char kSortDescending[] = ":/icons/sort-descending-141.svg";
constexpr int kVoiceImages = 4;

// One renderer a picture, owned by the application so that it goes with it (a test program may
// make another application later, which gets renderers of its own).
QSvgRenderer& Renderer(const char* path) {
    static QHash<QString, QPointer<QSvgRenderer>> renderers;
    QPointer<QSvgRenderer>& renderer = renderers[QString::fromLatin1(path)];
    if (renderer == nullptr) {
        renderer = new QSvgRenderer(QString::fromLatin1(path), qApp);
    }
    return *renderer;
}

// The pixmaps live in Qt's pixmap cache, which the application empties when it goes.
QPixmap Cached(const QString& key, const std::function<QPixmap()>& render) {
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = render();
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

// Part `source` of an SVG (in its own units), rendered into target.
void PaintPart(QPainter& painter, const char* path, const QRectF& source, const QRectF& target) {
    QSvgRenderer& renderer = Renderer(path);
    if (!renderer.isValid()) {
        return;
    }
    const QRectF whole = renderer.viewBoxF();
    renderer.setViewBox(source);
    renderer.render(&painter, target);
    renderer.setViewBox(whole);
}

QPixmap Render(const char* path, const QRectF& source, QSize size) {
    QSvgRenderer& renderer = Renderer(path);
    if (!renderer.isValid()) {
        return {};
    }
    const qreal ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    PaintPart(painter, path, source, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

// Image `index` of the strip in the SVG's own units (the strip is four equal images wide).
QRectF VoiceSource(int index) {
    const QRectF whole = Renderer(kVoiceStrip).viewBoxF();
    const qreal width = whole.width() / kVoiceImages;
    return {whole.left() + width * index, whole.top(), width, whole.height()};
}

}  // namespace

QPixmap VoiceIcon(int index) {
    if (index < 0 || index >= kVoiceImages) {
        return {};
    }
    return Cached(QStringLiteral("fonedesk-voice-%1").arg(index), [index] {
        return Render(kVoiceStrip, VoiceSource(index), QSize(kVoiceIconSize, kVoiceIconSize));
    });
}

QPixmap SortMark(bool ascending) {
    const char* path = ascending ? kSortAscending : kSortDescending;
    return Cached(QString::fromLatin1(path), [path] {
        return Render(path, Renderer(path).viewBoxF(), QSize(kSortMarkSize, kSortMarkSize));
    });
}

QPixmap SortMarkAndVoiceIcon(bool ascending) {
    const QPixmap mark = SortMark(ascending);
    const QPixmap voice = VoiceIcon(1);
    if (mark.isNull() || voice.isNull()) {
        return mark.isNull() ? voice : mark;
    }
    constexpr int kGap = 2;
    const qreal ratio = voice.devicePixelRatio();
    QPixmap both(QSize(kSortMarkSize + kGap + kVoiceIconSize, kVoiceIconSize) * ratio);
    both.setDevicePixelRatio(ratio);
    both.fill(Qt::transparent);
    QPainter painter(&both);
    painter.drawPixmap(QPointF(0, (kVoiceIconSize - kSortMarkSize) / 2.0), mark);
    painter.drawPixmap(QPointF(kSortMarkSize + kGap, 0), voice);
    return both;
}

void PaintVoiceIcon(QPainter& painter, const QRectF& target, int index) {
    if (index < 0 || index >= kVoiceImages || !Renderer(kVoiceStrip).isValid()) {
        return;
    }
    PaintPart(painter, kVoiceStrip, VoiceSource(index), target);
}

}  // namespace fonedesk::grid_icons
