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

}  // namespace

QString CheckText(const CountResult& count) {
    const QString reasons = count.flags.empty() ? QStringLiteral("Nothing else about this count looks unusual.")
                                                : Reasons(count);
    return HeightText(count) + QLatin1Char(' ') + reasons;
}

QString CheckNotice(const CountResult& count) {
    if (count.flags.empty()) return {};
    return QStringLiteral("Check this count (F2 reviews it): ") + Reasons(count);
}

}  // namespace tamrex
