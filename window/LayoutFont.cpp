#include "window/LayoutFont.h"

#include <QStringList>
#include <QtMath>

#include <mutex>

namespace tamrex {
namespace {

constexpr double kLayoutDpi = 96.0;
constexpr double kPointsPerInch = 72.0;

// Liberation Sans keeps the plain grotesque look of MS Sans Serif and is narrow enough for
// the notes to fit their boxes; DejaVu Sans shares Tahoma's open humanist shapes. Both come
// with the fonts the project installs.
void InstallSubstitutes() {
    static std::once_flag once;
    std::call_once(once, [] {
        QFont::insertSubstitutions(
            kDialogFamily,
            {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial")});
        QFont::insertSubstitutions(kDisplayFamily,
                                   {QStringLiteral("DejaVu Sans"), QStringLiteral("Verdana")});
    });
}

}  // namespace

QFont LayoutFont(const char* family, double points, bool bold) {
    InstallSubstitutes();
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(qRound(points * kLayoutDpi / kPointsPerInch));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

}  // namespace tamrex
