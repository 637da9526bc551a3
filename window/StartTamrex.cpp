#include "window/StartTamrex.h"

#include "settings/StationSettings.h"
#include "window/PathText.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>

namespace tamrex {
namespace {

void ReportStartFailure(const QString& error) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tamrex MDF Board Counter"), error,
                    QMessageBox::Ok);
    box.setInformativeText(QStringLiteral(
        "Tamrex reads BDLINE, THRESHOLD and PWIDTH from this file when it starts, one "
        "KEY=value line each. Correct the file, then start Tamrex again."));
    box.exec();
}

}  // namespace

void ReportBadArguments(const QString& error) {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return;
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tamrex MDF Board Counter"),
                    QStringLiteral("Tamrex cannot start: %1.").arg(error), QMessageBox::Ok);
    box.setInformativeText(QStringLiteral(
        "Start it on one photo or one folder of photos, or with nothing to list the current folder."));
    box.exec();
}

TamrexOpening OpenTamrex(const WindowStart& start) {
    const Expected<StationSettings> settings = LoadStationSettings(start.settingsFile);
    if (!settings) return {nullptr, QString::fromStdString(settings.error().message)};
    auto window = std::make_unique<Tamrex>(start.folder, *settings, start.settingsFile);
    if (start.logFile) window->RecordCountsIn(*start.logFile);
    if (!start.photo.empty()) window->SelectPhoto(ToText(start.photo));
    return {std::move(window), QString()};
}

int RunTamrex(const WindowStart& start) {
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tamrex.ico")));
    const TamrexOpening opening = OpenTamrex(start);
    if (!opening.window) {
        ReportStartFailure(opening.error);
        return 1;
    }
    opening.window->show();
    return QApplication::exec();
}

}  // namespace tamrex
