#pragma once

#include <QFont>
#include <QSize>
#include <QString>

namespace tamrex {

// For a font set in pixels, as LayoutFont gives. The largest pixel size, from the font's own down
// to minimumPixelSize, at which the text, wrapped at word boundaries, fits the box. A text too long
// even at the minimum gets the minimum: it is shown as far as it goes rather than in an unreadable
// size.
QFont FontThatFits(const QFont& font, const QString& text, const QSize& box, int minimumPixelSize);

}  // namespace tamrex
