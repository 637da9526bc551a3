#pragma once

#include "base/Expected.h"
#include "calibration/CorrectionsFile.h"

#include <QString>

#include <string>

namespace tamrex {

// What the window says of a count accepted by hand: how it was accepted (corrected,
// checked, or the second look's taken), the count accepted beside the count of the rules,
// then and now, and, should it not have been written, why and for how long it is kept.
QString CorrectionNote(const Correction& correction, int countedNow, const Outcome& kept);

// What the window says when the photo is no longer the one a count was accepted for.
QString ChangedPhotoNote(const Correction& correction);

// Now, in local time with its offset from UTC, as ISO 8601 writes it:
// 2024-12-07T10:15:00+01:00.
std::string TimeOfAcceptance();

}  // namespace tamrex
