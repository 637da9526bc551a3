#include "window/ProcessTimeText.h"

namespace tamrex {

QString ProcessTimeText(std::int64_t milliseconds, const QLocale& locale) {
    QLocale ungrouped = locale;
    ungrouped.setNumberOptions(QLocale::OmitGroupSeparator);
    const double seconds = static_cast<double>(milliseconds) / 1000.0;
    return QStringLiteral("Process Time: %1 Sec.").arg(ungrouped.toString(seconds, 'g', 15));
}

}  // namespace tamrex
