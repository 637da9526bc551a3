#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>

namespace tamrex {

// "Process Time: 1.234 Sec." for a run of 1234 ms: the seconds with up to 15 significant
// digits, no trailing zeros, no decimal separator for whole seconds and no digit grouping,
// in the separator of the given locale.
QString ProcessTimeText(std::int64_t milliseconds, const QLocale& locale = QLocale());

}  // namespace tamrex
