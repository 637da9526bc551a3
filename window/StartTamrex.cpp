#include "window/StartTamrex.h"

#include "settings/LoadSettings.h"

#include <QApplication>
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

TamrexOpening OpenTamrex(const std::filesystem::path& workingFolder,
                         const std::filesystem::path& settingsFile) {
    const Expected<CounterSettings> settings = LoadSettings(settingsFile);
    if (!settings) return {nullptr, QString::fromStdString(settings.error().message)};
    return {std::make_unique<Tamrex>(workingFolder, *settings), QString()};
}

int RunTamrex(const std::filesystem::path& workingFolder,
              const std::filesystem::path& settingsFile) {
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tamrex.ico")));
    const TamrexOpening opening = OpenTamrex(workingFolder, settingsFile);
    if (!opening.window) {
        ReportStartFailure(opening.error);
        return 1;
    }
    opening.window->show();
    return QApplication::exec();
}

}  // namespace tamrex
