#pragma once

#include "counting/BoardCounter.h"
#include "counting/CountObserver.h"
#include "counting/CounterSettings.h"

#include <QFont>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <optional>
#include <string>

class QColor;
class QLabel;
class QListWidget;
class QPushButton;

namespace tamrex {

class PictureBox;

// The program's one window. It owns the whole state of a session (the settings, the chosen
// photo and the count run's working fields) and shows every count run as it happens.
class Tamrex : public QWidget, private CountObserver {
    Q_OBJECT

public:
    // Lists the photos of workingFolder once, now. Every count reads its photo from that
    // folder and writes its line map there as "test.bmp".
    Tamrex(const std::filesystem::path& workingFolder, const CounterSettings& settings,
           QWidget* parent = nullptr);

private:
    void CreatePictureBoxes();
    void CreateResultLabels();
    void CreateNotes();
    void CreateFileList();
    void CreateButtons();
    void SetFocusOrder();
    QLabel* AddLabel(const char* name, const QString& text, const QRect& geometry,
                     const QFont& font, Qt::Alignment alignment, const QColor& textColour);

    void OnPhotoSelected();
    void CountBoards();
    std::filesystem::path LineMapFile() const;

    void ShowSourcePicture(const std::string& photoPath) override;
    void ShowResult(const Expected<CountResult>& result) override;
    void ShowCount(const CountResult& result);
    void ShowFailure(const Failure& failure);
    void ShowResultLine(const QString& text);
    void ToggleOverlay();
    void ShowOverlay();
    void ShowLineMap();

    const std::filesystem::path workingFolder;
    const CounterSettings counterSettings;
    QString imageFile;  // the photo last selected, without its folder
    BoardCounter counter;
    bool sourcePictureShown = false;  // whether the current run got as far as its photo
    std::optional<CountResult> lastCount;  // the result Image1 shows, if it was a count
    bool showingOverlay = false;  // Image1 shows the lines over the photo, not the line map

    QFont resultLineFont;
    PictureBox* image1 = nullptr;
    PictureBox* image2 = nullptr;
    QLabel* label3 = nullptr;
    QLabel* vTotalCount = nullptr;
    QLabel* pTime = nullptr;
    QListWidget* file1 = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* btnExit = nullptr;
};

}  // namespace tamrex
