#pragma once

#include "calibration/PhotoIdentity.h"
#include "counting/BoardCounter.h"
#include "counting/CounterSettings.h"
#include "record/CountRecord.h"
#include "settings/StationSettings.h"
#include "window/CorrectionsLoading.h"
#include "window/FolderCorrections.h"
#include "window/NoticeBoard.h"
#include "window/PhotoCounting.h"
#include "window/PictureLoading.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
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
struct ReviewVerdict;

// The program's one window. It owns the whole state of a session (the settings, the chosen
// photo and the count run's working fields) and shows every count run as it happens; the
// runs themselves, and every decode of a photo, happen off its thread, so that it answers
// at once and shows what was selected last. Beyond its fixed layout it is worked by mouse
// and keys: a double-click on a picture or F2 reviews the count, the pictures' right-click
// menu (or the Menu key) holds what else there is to do, F1 tells the keys.
class Tamrex : public QWidget {
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
    // Lists the photos of another folder instead, and counts `photo` of it, if one is named.
    void OpenFolder(const std::filesystem::path& folder, const std::filesystem::path& photo = {});
    // Adds every count and accepted correction from now on to the count log `file`.
    void RecordCountsIn(const std::filesystem::path& file);
    // Counting, or reading a photo again for the review or the lines over it.
    bool Busy() const { return counting.Busy() || loading.Busy() || correctionsLoading.Busy(); }

signals:
    // A count, or why there is none, is on show.
    void countShown();
    // A review window has opened.
    void reviewOpened();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The count a review was opened on, kept apart from the count on show, which may
    // change while the review is open.
    struct Reviewed {
        CountResult count;
        std::filesystem::path file;
        std::optional<PhotoIdentity> identity;
        std::optional<CountRecord> record;  // as the count log keeps it, if one is kept
        int photoHeight = 0;
    };
    enum class Loading { kNothing, kReview, kOverlay };

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
    void ShowFolder();
    static std::filesystem::path FileOf(const QListWidgetItem* item);
    QListWidgetItem* ItemOf(const std::filesystem::path& name) const;
    void RescanFolder();
    std::vector<std::string> ListedPhotos() const;
    void AskForFolder();
    void OnPhotoSelected();
    void CountAgain();
    void CountBoards();
    std::filesystem::path LineMapFile() const;
    void ClearResults();

    void UseCorrections(const FolderCorrections& read);
    void ShowSourcePicture(const ShownPicture& photo);
    void ShowResult(const CountShown& shown);
    void OnIdle();
    void ShowCount(const CountResult& result, const ShownPicture& lineMap);
    void ShowFailure(const Failure& failure);
    void ShowResultLine(const QString& text);
    void ShowNotes();
    void ToggleOverlay();
    void ShowOverlay(const QImage& overlay);
    void ShowLineMap();
    void ShowLoadingFailure(const QString& message);

    void ShowPictureMenu(const QPoint& where);
    void ShowHelp();
    void UpdateActions();
    const Correction* AcceptedForShownPhoto() const;
    void ApplyCorrection(const Outcome& kept = {});
    void OpenReview();
    void ShowReview(const PhotoPyramid& preview);
    void AcceptReview(const Reviewed& reviewed, const ReviewVerdict& verdict);
    void OpenCalibration();
    void OpenHistory();
    void ReviewChosenPhoto(const QString& name);
    void ExportReviewEvidence(ReviewWindow& review, const Reviewed& reviewed);
    void UseCalibratedSettings(const StationSettings& found);
    void KeepFrameForStation(const PhotoFrame& frame);

    std::filesystem::path workingFolder;
    StationSettings station;
    const std::filesystem::path settingsFile;  // empty: none
    // The folder's corrections, once read; a count that ends sooner waits for them.
    std::optional<FolderCorrections> corrections;
    std::optional<CountShown> countWaiting;
    std::filesystem::path imageFile;  // the photo last selected, without its folder
    BoardCounter counter;             // used by `counting` alone, on its thread
    PhotoCounting counting{counter};  // after the counter: it waits for its count before the counter goes
    PictureLoading loading;
    CorrectionsLoading correctionsLoading;
    Loading loadingFor = Loading::kNothing;
    std::optional<Reviewed> reviewing;      // the count whose review is being opened
    QPointer<ReviewWindow> review;          // the review open, if one is
    std::uint64_t shownCount = 0;           // told apart each count on show, so that
    std::uint64_t overlayFor = 0;           // an overlay drawn for an earlier one is not shown
    bool sourcePictureShown = false;  // whether the current run got as far as its photo
    std::optional<CountResult> lastCount;  // the result Image1 shows, if it was a count
    std::optional<PhotoIdentity> lastIdentity;  // what that count's photo held
    QImage lineMap;                     // the line map of the count on show, for the box
    QString lineMapProblem;             // why it could not be read, if it could not
    bool showingOverlay = false;  // Image1 shows the lines over the photo, not the line map

    // What the notices say: one message each, about the folder, the count under way, the
    // photo, the picture in Image1, the count accepted by hand and the check on the count.
    QStringList folderNotes;
    QString busyNote;
    QString photoNote;
    QString pictureNote;
    QString correctionNote;
    NoticeBoard::Tone correctionTone = NoticeBoard::Tone::kNote;
    QString checkNote;

    QFont resultLineFont;
    PictureBox* image1 = nullptr;
    PictureBox* image2 = nullptr;
    QLabel* label3 = nullptr;
    QLabel* vTotalCount = nullptr;
    QLabel* pTime = nullptr;
    QLabel* folderLabel = nullptr;
    NoticeBoard* notices = nullptr;
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
    QString reviewWhenCounted;  // a photo chosen in the history, reviewed once its count is on show
};

}  // namespace tamrex
