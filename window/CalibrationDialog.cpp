#include "window/CalibrationDialog.h"

#include "settings/SettingsFileWriter.h"
#include "window/PathText.h"
#include "window/SettingsReplacement.h"
#include "window/WindowAdvice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <string>
#include <thread>

namespace tamrex {
namespace {

constexpr int kFindingsWidth = 640;  // pixels: wide enough for a photo's line, narrow enough to read

QString SettingsText(const CounterSettings& settings) {
    return QStringLiteral("BDLINE=%1 THRESHOLD=%2 PWIDTH=%3")
        .arg(settings.bdLine)
        .arg(settings.threshold)
        .arg(settings.pWidth);
}

QString CountText(const std::optional<int>& count) {
    return count ? QString::number(*count) : QStringLiteral("not counted");
}

QString PhotoLine(const ComparedPhoto& photo) {
    return QStringLiteral("%1: accepted %2, in use %3, found %4")
        .arg(ToText(photo.photo.filename()), QString::number(photo.accepted), CountText(photo.inUse),
             CountText(photo.found));
}

QString FindingsText(const CalibrationFindings& findings, const CounterSettings& inUse) {
    const int photos = static_cast<int>(findings.photos.size());
    QStringList lines;
    QString found = QStringLiteral("Settings found: %1").arg(SettingsText(findings.calibration.settings));
    if (findings.calibration.thickness > 0)
        found += QStringLiteral(", board thickness %1 rows").arg(findings.calibration.thickness, 0, 'f', 1);
    lines << found + QLatin1Char('.');
    lines << QStringLiteral("They count %1 of %2 corrected photos exactly; the settings in use (%3) count %4.")
                 .arg(findings.ExactFound())
                 .arg(photos)
                 .arg(SettingsText(inUse))
                 .arg(findings.ExactInUse());
    for (const ComparedPhoto& photo : findings.photos) lines << QStringLiteral("    ") + PhotoLine(photo);
    for (const Failure& reason : findings.calibration.leftOut)
        lines << QStringLiteral("Left out of the search: %1").arg(ForTheWindow(reason.message));
    for (const std::string& warning : findings.warnings)
        lines << QStringLiteral("Warning: %1").arg(QString::fromStdString(warning));
    return lines.join(QLatin1Char('\n'));
}

StationSettings StationOf(const Calibration& found) {
    return StationSettings{found.settings, found.thickness > 0 ? std::optional<double>(found.thickness) : std::nullopt};
}

// Compared as the file would hold them, the thickness to one decimal.
bool SameSettings(const StationSettings& a, const StationSettings& b) {
    return SettingsFileText(a, {}) == SettingsFileText(b, {});
}

std::vector<std::string> SettingsComments(const CalibrationFindings& findings) {
    return {"Found by the Tamrex window on " + std::to_string(findings.photos.size()) + " corrected photos",
            "it counted " + std::to_string(findings.ExactFound()) + " of them exactly"};
}

}  // namespace

CalibrationDialog::CalibrationDialog(CalibrationSetup setup, QWidget* parent)
    : QDialog(parent), setup(std::move(setup)) {
    setObjectName(QStringLiteral("CalibrationDialog"));
    setWindowTitle(QStringLiteral("Calibrate from corrected photos"));
    CreateControls();
    Start();
}

// A search under way is stopped and waited for: it must not outlive what it reports to.
CalibrationDialog::~CalibrationDialog() {
    cancel = true;
    if (worker) worker->wait();
}

void CalibrationDialog::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    status = new QLabel(this);
    status->setObjectName(QStringLiteral("status"));
    status->setWordWrap(true);
    layout->addWidget(status);
    progress = new QProgressBar(this);
    progress->setObjectName(QStringLiteral("progress"));
    progress->setRange(0, 0);  // busy until the search tells how long it is
    layout->addWidget(progress);
    findingsText = new QLabel(this);
    findingsText->setObjectName(QStringLiteral("findings"));
    findingsText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    findingsText->setWordWrap(true);  // a warning is a sentence or two
    findingsText->setMinimumWidth(kFindingsWidth);
    layout->addWidget(findingsText);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    useButton = new QPushButton(QStringLiteral("Use these settings"), this);
    useButton->setObjectName(QStringLiteral("use"));
    useButton->setEnabled(false);
    buttons->addWidget(useButton);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancel"));
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);
    connect(useButton, &QPushButton::clicked, this, &CalibrationDialog::UseFoundSettings);
    connect(cancelButton, &QPushButton::clicked, this, &CalibrationDialog::reject);
}

void CalibrationDialog::Start() {
    SetStatus(QStringLiteral("Searching for the settings that count the %1 corrected photos best...")
                        .arg(setup.photos.size()));
    CalibrationRequest request{{}, std::max(1u, std::thread::hardware_concurrency()), kDefaultPixelLimit, nullptr,
                               &cancel};
    // Told on the worker's thread; shown on the window's.
    request.progress = [this](std::size_t done, std::size_t total) {
        QMetaObject::invokeMethod(this, [this, done, total] { ShowProgress(done, total); }, Qt::QueuedConnection);
    };
    worker = QThread::create([this, request] {
        try {
            outcome = CalibrateOnCorrectedPhotos(setup.photos, request, setup.inUse.counter);
        } catch (const std::exception& error) {  // memory, most likely: said, not thrown across
            outcome = Fail(std::string("the search broke off: ") + error.what());
        }
    });
    worker->setParent(this);
    connect(worker, &QThread::finished, this, &CalibrationDialog::ShowOutcome);
    searching = true;
    worker->start();
}

QString CalibrationDialog::Status() const { return status->text(); }

// The dialog grows to what it has to say, which it could not know when it opened.
void CalibrationDialog::SetStatus(const QString& text) {
    status->setText(text);
    adjustSize();
}

void CalibrationDialog::reject() {
    if (!searching) {
        QDialog::reject();
        return;
    }
    cancel = true;
    closeWhenStopped = true;
    cancelButton->setEnabled(false);
    SetStatus(QStringLiteral("Stopping the search..."));
}

void CalibrationDialog::ShowProgress(std::size_t done, std::size_t total) {
    progress->setRange(0, static_cast<int>(total));
    progress->setValue(static_cast<int>(done));
}

void CalibrationDialog::ShowOutcome() {
    searching = false;
    cancelButton->setEnabled(true);
    cancelButton->setText(QStringLiteral("Close"));
    const Expected<CalibrationFindings>& found = *outcome;
    progress->setRange(0, 1);
    progress->setValue(found ? 1 : 0);
    if (found) {
        ShowFindings(*found);
    } else if (cancel) {
        SetStatus(QStringLiteral("The search was stopped; the settings in use stay."));
    } else {
        SetStatus(QStringLiteral("The search failed: %1. The settings in use stay.")
                            .arg(ForTheWindow(found.error().message)));
    }
    if (closeWhenStopped) QDialog::reject();
}

void CalibrationDialog::ShowFindings(const CalibrationFindings& findings) {
    findingsText->setText(FindingsText(findings, setup.inUse.counter));
    if (setup.settingsFile.empty()) {
        SetStatus(QStringLiteral("No settings file is in use, so these settings cannot be kept."));
        return;
    }
    if (SameSettings(FoundSettings(), setup.inUse)) {
        SetStatus(QStringLiteral("These are the settings in use already: there is nothing to write."));
        return;
    }
    const QString doubt = findings.warnings.empty() ? QString() : QStringLiteral("Mind the warnings below. ");
    SetStatus(QStringLiteral("%1\"Use these settings\" writes them to %2 and keeps the old file beside it.")
                        .arg(doubt, ToText(setup.settingsFile)));
    useButton->setEnabled(true);
}

StationSettings CalibrationDialog::FoundSettings() const { return StationOf((*outcome)->calibration); }

// A failure leaves the findings on show and the button ready for another try.
void CalibrationDialog::UseFoundSettings() {
    const StationSettings settings = FoundSettings();
    const Expected<std::filesystem::path> backup =
        ReplaceSettingsFile(setup.settingsFile, settings, SettingsComments(**outcome), BackupStamp());
    if (!backup) {
        SetStatus(QStringLiteral("%1. The settings in use stay, and the settings found are still here: "
                                       "make the file writable, then try again.")
                            .arg(ForTheWindow(backup.error().message)));
        return;
    }
    SetStatus(QStringLiteral("Wrote the settings to %1; the old ones are kept in %2, and the first ones ever "
                                   "in the file ending in .original beside it. The photo on show is counted again "
                                   "with them.")
                        .arg(ToText(setup.settingsFile), ToText(*backup)));
    useButton->setEnabled(false);
    emit settingsApplied(settings);
}

}  // namespace tamrex
