#pragma once

#include <QPixmap>
#include <QRectF>

class QPainter;

namespace fonedesk::grid_icons {

// The pictures of the list, drawn from the program's SVG resources: the voice-message strip
// (four 16-pixel images side by side; 0 no message, 1 a message) and the two sort marks. A
// missing resource gives a null pixmap, so the list still shows its texts.
inline constexpr int kVoiceIconSize = 16;
inline constexpr int kSortMarkSize = 9;

QPixmap VoiceIcon(int index);
QPixmap SortMark(bool ascending);
// The sort mark, a small gap and the voice icon side by side: the header of a sorted icon column.
QPixmap SortMarkAndVoiceIcon(bool ascending);

// Draws voice image `index` scaled into target (printing, where a 16-pixel bitmap would be a
// speck). Nothing is drawn when the resource is missing.
void PaintVoiceIcon(QPainter& painter, const QRectF& target, int index);

}  // namespace fonedesk::grid_icons
