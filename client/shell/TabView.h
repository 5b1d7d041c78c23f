#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QTabWidget>

namespace fonedesk {

// The left pane of the main window: the views (keypad, search) as tabs along the bottom edge.
// Every view added becomes the first tab and the current one, with the next image of the image
// list, so views added in the order search, keypad show as "Номеронабиратель", "Поиск".
class CTabView : public QTabWidget {
    Q_OBJECT
  public:
    static constexpr int kMaxLabelLength = 32;
    static constexpr int kImageSize = 16;

    explicit CTabView(QWidget* parent = nullptr);

    // Images of the tabs: a strip of square images of kImageSize pixels (bitmap 136 is
    // ":/icons/tab-images-136.svg"), or the icons themselves. Tabs added before keep theirs.
    void SetImageList(const QString& stripPath);
    void SetImageList(const QList<QIcon>& images);
    const QList<QIcon>& ImageList() const { return m_images; }

    // Makes `view` a child of the tab view, hides the view that was current, inserts it as the
    // first tab with the label cut to kMaxLabelLength characters and the image numbered by the
    // views before it, and makes it current. Returns `view`.
    QWidget* AddView(const QString& label, QWidget* view);

    // The view of the tab at `index` (0 = the first tab), or null.
    QWidget* View(int index) const { return widget(index); }
    // The first view of type T, or null.
    template <typename T>
    T* FindView() const {
        for (int i = 0; i < count(); ++i) {
            if (T* view = qobject_cast<T*>(widget(i))) {
                return view;
            }
        }
        return nullptr;
    }

    // Cuts an image strip into square images of `size` pixels, rendered sharp for the screen's
    // pixel ratio.
    static QList<QIcon> SplitStrip(const QString& stripPath, int size = kImageSize);

  private:
    QList<QIcon> m_images;
};

}  // namespace fonedesk
