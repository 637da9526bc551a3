#include "window/CheckText.h"

#include "counting/CountCheck.h"

#include <QStringList>

namespace tamrex {
namespace {

QString Reasons(const CountResult& count) {
    QStringList reasons;
    for (const std::string& flag : count.flags) reasons << QString::fromStdString(FlagSentence(flag));
    return reasons.join(QLatin1Char(' '));
}

QString HeightText(const CountResult& count) {
    if (!count.heightBoards)
        return QStringLiteral("The board thickness is not known, so the height of the stack cannot be "
                              "checked; calibrating from corrected photos learns it.");
    return QStringLiteral("The stack is %1 boards high at the station's board thickness; the rules count %2.")
        .arg(*count.heightBoards, 0, 'f', 1)
        .arg(count.count());
}

QString SecondLookText(const CountResult& count) {
    if (count.secondLook) return QStringLiteral("The second look counts %1.").arg(count.secondLook->boards);
    if (count.secondLookError.empty()) return {};
    return QStringLiteral("The second look has no count: %1.").arg(QString::fromStdString(count.secondLookError));
}

// The numbers behind the reasons, and the reasons that have none, in a few words each.
QStringList NoticeParts(const CountResult& count) {
    QStringList parts;
    if (count.secondLook) {
        parts << QStringLiteral("the second look counts %1").arg(count.secondLook->boards);
    } else if (!count.secondLookError.empty()) {
        parts << QStringLiteral("the second look has no count (%1)").arg(QString::fromStdString(count.secondLookError));
    }
    if (count.heightBoards) parts << QStringLiteral("the stack is %1 boards high").arg(*count.heightBoards, 0, 'f', 1);
    for (const std::string& flag : count.flags) {
        if (flag == "no-line") {
            parts << QStringLiteral("no gap line was found");
        } else if (flag == "turned") {
            parts << QStringLiteral("the photo was turned upright first");
        } else if (flag != "second-count-differs" && flag != "count-off-height") {
            parts << QString::fromStdString(FlagSentence(flag));
        }
    }
    return parts;
}

}  // namespace

QString CheckText(const CountResult& count) {
    const QString reasons = count.flags.empty() ? QStringLiteral("Nothing else about this count looks unusual.")
                                                : Reasons(count);
    QStringList sentences{HeightText(count), SecondLookText(count), reasons};
    sentences.removeAll(QString());
    return sentences.join(QLatin1Char(' '));
}

QString CheckNotice(const CountResult& count) {
    if (count.flags.empty()) return {};
    return QStringLiteral("Check this count of %1 (F2): %2.").arg(count.count()).arg(NoticeParts(count).join(QStringLiteral("; ")));
}

}  // namespace tamrex
