#include "client/shell/TabView.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QTabBar>
#include <cmath>

namespace fonedesk {

CTabView::CTabView(QWidget* parent) : QTabWidget(parent) {
    setTabPosition(QTabWidget::South);
    // The system's message font, as the desktop's dialogs use it.
    setFont(QApplication::font("QMessageBox"));
    setIconSize(QSize(kImageSize, kImageSize));
    // Every tab stays reachable at a glance in a narrow pane: labels are shortened rather than
    // scrolled out of sight.
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideRight);
}

void CTabView::SetImageList(const QString& stripPath) {
    SetImageList(SplitStrip(stripPath));
}

void CTabView::SetImageList(const QList<QIcon>& images) {
    m_images = images;
}

QWidget* CTabView::AddView(const QString& label, QWidget* view) {
    if (view == nullptr) {
        return nullptr;
    }
    // Image by the number of views before this one; the new view takes the first position.
    const int image = count();
    const QString text = label.left(kMaxLabelLength);
    const QIcon icon = image < m_images.size() ? m_images.at(image) : QIcon();
    if (QWidget* previous = currentWidget()) {
        previous->hide();
    }
    insertTab(0, view, icon, text);
    setTabToolTip(0, text);
    setCurrentIndex(0);
    return view;
}

QList<QIcon> CTabView::SplitStrip(const QString& stripPath, int size) {
    QList<QIcon> images;
    if (size <= 0) {
        return images;
    }
    QSvgRenderer svg;
    const bool isSvg = stripPath.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive) &&
                       svg.load(stripPath) && svg.isValid();
    const QImage raster = isSvg ? QImage() : QImage(stripPath);
    const QSize stripSize = isSvg ? svg.defaultSize() : raster.size();
    const int n = stripSize.height() > 0 ? stripSize.width() / size : 0;
    if (n <= 0) {
        return images;
    }

    // Ratios 1 and 2 and the screen's own, so that the tabs stay sharp on every screen.
    QList<qreal> ratios{1.0, 2.0};
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        if (!ratios.contains(screen->devicePixelRatio())) {
            ratios.append(screen->devicePixelRatio());
        }
    }
    for (int i = 0; i < n; ++i) {
        images.append(QIcon());
    }
    for (const qreal ratio : ratios) {
        const int pixels = static_cast<int>(std::lround(size * ratio));
        QImage strip;
        if (isSvg) {
            strip = QImage(pixels * n, static_cast<int>(std::lround(stripSize.height() * ratio)),
                           QImage::Format_ARGB32_Premultiplied);
            strip.fill(Qt::transparent);
            QPainter painter(&strip);
            svg.render(&painter, QRectF(0, 0, strip.width(), strip.height()));
        } else if (ratio == 1.0) {
            strip = raster.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        } else {
            continue;
        }
        for (int i = 0; i < n; ++i) {
            QPixmap image = QPixmap::fromImage(strip.copy(i * pixels, 0, pixels, pixels));
            image.setDevicePixelRatio(ratio);
            images[i].addPixmap(image);
        }
    }
    return images;
}

}  // namespace fonedesk
