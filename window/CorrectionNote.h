#pragma once

#include "base/Expected.h"
#include "calibration/CorrectionsFile.h"

#include <QString>

#include <string>

namespace tamrex {

// What the notice under the line map says about a count accepted by hand: the count
// accepted beside the count of the rules, then and now, and, should the correction not
// have been written, why and for how long it is kept.
QString CorrectionNote(const Correction& correction, int countedNow, const Outcome& kept);

// Now, in local time with its offset from UTC, as ISO 8601 writes it:
// 2024-12-07T10:15:00+01:00.
std::string TimeOfAcceptance();

}  // namespace tamrex
