#pragma once

#include "counting/BoardCounter.h"
#include "counting/CountObserver.h"
#include "counting/CounterSettings.h"
#include "record/CountRecord.h"
#include "settings/StationSettings.h"
#include "window/FolderCorrections.h"

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QColor;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;

namespace tamrex {

class CalibrationDialog;
class HistoryDialog;
class PictureBox;
class ReviewWindow;
class WindowLog;

// The program's one window. It owns the whole state of a session (the settings, the chosen
// photo and the count run's working fields) and shows every count run as it happens.
// Beyond its fixed layout it is worked by mouse and keys: a double-click on a picture or
// F2 reviews the count, the pictures' right-click menu holds what else there is to do.
class Tamrex : public QWidget, private CountObserver {
    Q_OBJECT

public:
    // Lists the photos of workingFolder now (and again at F5). Every count reads its photo
    // from that folder and writes its line map there as "test.bmp"; accepted counts go
    // into its corrections file. Calibrated settings are written to settingsFile.
    Tamrex(const std::filesystem::path& workingFolder, const StationSettings& settings,
           const std::filesystem::path& settingsFile, QWidget* parent = nullptr);
    // Settings that come from no file: settings a calibration finds have nowhere to go.
    Tamrex(const std::filesystem::path& workingFolder, const StationSettings& settings, QWidget* parent = nullptr);
    Tamrex(const std::filesystem::path& workingFolder, const CounterSettings& settings,
           QWidget* parent = nullptr);

    // Selects the photo of that name in the list, which counts it, or says why it cannot.
    void SelectPhoto(const QString& name);

    // Adds every count and accepted correction from now on to the count log `file`.
    void RecordCountsIn(const std::filesystem::path& file);

private:
    void CreatePictureBoxes();
    void CreateResultLabels();
    void CreateNotes();
    void CreateFileList();
    void CreateButtons();
    void CreatePictureMenu();
    QAction* AddMenuAction(const QString& text, const QKeySequence& key, void (Tamrex::*slot)());
    void SetFocusOrder();
    QLabel* AddLabel(const char* name, const QString& text, const QRect& geometry,
                     const QFont& font, Qt::Alignment alignment, const QColor& textColour);

    void ListPhotoFiles();
    static std::filesystem::path FileOf(const QListWidgetItem* item);
    QListWidgetItem* ItemOf(const std::filesystem::path& name) const;
    void RescanFolder();
    std::vector<std::string> ListedPhotos() const;
    void OnPhotoSelected();
    void CountAgain();
    void CountBoards();
    std::filesystem::path LineMapFile() const;

    void ShowSourcePicture(const std::string& photoPath) override;
    void ShowResult(const Expected<CountResult>& result) override;
    void ShowCount(const CountResult& result);
    void ShowFailure(const Failure& failure);
    void ShowResultLine(const QString& text);
    void ShowNotes();
    void ToggleOverlay();
    void ShowOverlay();
    void ShowLineMap();

    void ShowPictureMenu(const QPoint& where);
    void UpdateActions();
    void OpenReview();
    void AcceptCount(const CountResult& count, int boards);
    void ShowCorrection(const Correction& correction, const Outcome& kept);
    void OpenCalibration();
    void OpenHistory();
    void ExportReviewEvidence(ReviewWindow& review, const CountResult& count, const QImage& photo);

    const std::filesystem::path workingFolder;
    StationSettings station;
    const std::filesystem::path settingsFile;  // empty: none
    FolderCorrections corrections;
    std::filesystem::path imageFile;  // the photo last selected, without its folder
    BoardCounter counter;
    bool sourcePictureShown = false;  // whether the current run got as far as its photo
    std::optional<CountResult> lastCount;  // the result Image1 shows, if it was a count
    bool showingOverlay = false;  // Image1 shows the lines over the photo, not the line map
    // What Image1's notice says: about the picture on show, and about the count accepted
    // by hand.
    QString pictureNote;
    QString correctionNote;
    QString checkNote;  // the count's reasons to look again, beside the line map

    QFont resultLineFont;
    PictureBox* image1 = nullptr;
    PictureBox* image2 = nullptr;
    QLabel* label3 = nullptr;
    QLabel* vTotalCount = nullptr;
    QLabel* pTime = nullptr;
    QListWidget* file1 = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* btnExit = nullptr;
    QMenu* pictureMenu = nullptr;
    QAction* reviewAction = nullptr;
    QAction* linesAction = nullptr;
    QAction* calibrateAction = nullptr;
    QPointer<CalibrationDialog> calibration;  // the one under way, if any
    WindowLog* log = nullptr;  // none: no record is kept
    std::optional<CountRecord> lastRecord;  // the record of lastCount, which a correction names
    QString logNote;  // why the count log cannot be written
    QPointer<HistoryDialog> history;
};

}  // namespace tamrex
