#include "window/CorrectionNote.h"

#include <QDateTime>

namespace tamrex {

QString CorrectionNote(const Correction& correction, int countedNow, const Outcome& kept) {
    QString note = QStringLiteral("Corrected by hand: %1 boards accepted").arg(correction.count);
    if (correction.counted != countedNow && correction.counted > 0) {
        note += QStringLiteral(" (the rules counted %1 then and %2 now).").arg(correction.counted).arg(countedNow);
    } else {
        note += QStringLiteral("; the rules counted %1.").arg(countedNow);
    }
    if (!kept)
        note += QStringLiteral(" %1. Until it can be written, this correction is kept only while Tamrex runs.")
                    .arg(QString::fromStdString(kept.error().message));
    return note;
}

std::string TimeOfAcceptance() {
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}

}  // namespace tamrex
