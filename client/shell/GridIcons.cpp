#include "client/shell/GridIcons.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

namespace fonedesk::grid_icons {
namespace {

constexpr char kVoiceStrip[] = ":/icons/voice-154.svg";
constexpr char kSortAscending[] = ":/icons/sort-ascending-140.svg";
constexpr char kSortDescending[] = ":/icons/sort-descending-141.svg";
constexpr int kVoiceImages = 4;

QSvgRenderer& Renderer(const char* path) {
    static QHash<QString, QSvgRenderer*> renderers;  // kept for the life of the program
    QSvgRenderer*& renderer = renderers[QString::fromLatin1(path)];
    if (renderer == nullptr) {
        renderer = new QSvgRenderer(QString::fromLatin1(path));
    }
    return *renderer;
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
    static QHash<int, QPixmap> cache;
    if (!cache.contains(index)) {
        cache.insert(
            index, Render(kVoiceStrip, VoiceSource(index), QSize(kVoiceIconSize, kVoiceIconSize)));
    }
    return cache.value(index);
}

QPixmap SortMark(bool ascending) {
    static const QPixmap up = [] {
        return Render(kSortAscending, Renderer(kSortAscending).viewBoxF(),
                      QSize(kSortMarkSize, kSortMarkSize));
    }();
    static const QPixmap down = [] {
        return Render(kSortDescending, Renderer(kSortDescending).viewBoxF(),
                      QSize(kSortMarkSize, kSortMarkSize));
    }();
    return ascending ? up : down;
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
