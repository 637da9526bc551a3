#include "window/FontThatFits.h"

#include <QFontMetrics>
#include <QRect>

namespace tamrex {
namespace {

bool Fits(const QFont& font, const QString& text, const QSize& box) {
    const QRect needed =
        QFontMetrics(font).boundingRect(QRect(QPoint(0, 0), box), Qt::TextWordWrap, text);
    return needed.width() <= box.width() && needed.height() <= box.height();
}

}  // namespace

QFont FontThatFits(const QFont& font, const QString& text, const QSize& box, int minimumPixelSize) {
    QFont candidate = font;
    for (int size = font.pixelSize(); size > minimumPixelSize; --size) {
        candidate.setPixelSize(size);
        if (Fits(candidate, text, box)) return candidate;
    }
    candidate.setPixelSize(minimumPixelSize);
    return candidate;
}

}  // namespace tamrex
