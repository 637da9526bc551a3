#include "window/CorrectionNote.h"

#include <QDateTime>

namespace tamrex {
namespace {

// The count of the rules beside the one accepted: then and now, when they differ.
QString RulesCounted(const Correction& correction, int countedNow) {
    if (correction.counted != countedNow && correction.counted > 0)
        return QStringLiteral("the rules counted %1 then and %2 now").arg(correction.counted).arg(countedNow);
    return QStringLiteral("the rules count %1").arg(countedNow);
}

}  // namespace

QString CorrectionNote(const Correction& correction, int countedNow, const Outcome& kept) {
    QString note;
    switch (correction.kind) {
        case Acceptance::kChecked:
            note = QStringLiteral("Checked by hand: %1 boards confirmed (%2).")
                       .arg(correction.count)
                       .arg(RulesCounted(correction, countedNow));
            break;
        case Acceptance::kSecondLook:
            note = QStringLiteral("The second look's count of %1 boards accepted by hand (%2).")
                       .arg(correction.count)
                       .arg(RulesCounted(correction, countedNow));
            break;
        case Acceptance::kCorrected:
            note = QStringLiteral("Corrected by hand: %1 boards accepted (%2).")
                       .arg(correction.count)
                       .arg(RulesCounted(correction, countedNow));
            break;
    }
    if (!kept)
        note += QStringLiteral(" %1. Until it can be written, this correction is kept only while Tamrex runs.")
                    .arg(QString::fromStdString(kept.error().message));
    return note;
}

QString ChangedPhotoNote(const Correction& correction) {
    const QString when = correction.when.empty() ? QString() : QStringLiteral(" on %1").arg(QString::fromStdString(correction.when));
    return QStringLiteral("This photo has changed since %1 boards were accepted for it%2, so that count is not used: "
                          "review this one (F2) to accept a count for it.")
        .arg(correction.count)
        .arg(when);
}

std::string TimeOfAcceptance() {
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}

}  // namespace tamrex
