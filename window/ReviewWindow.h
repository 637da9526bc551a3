#pragma once

#include "calibration/CorrectionsFile.h"
#include "counting/CountResult.h"
#include "window/LineEdits.h"
#include "look/SecondLook.h"
#include "window/PhotoPyramid.h"

#include <QDialog>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

class QAction;
class QBoxLayout;
class QLabel;
class QPushButton;

namespace tamrex {

class CountLinesLayer;
class FramedLook;
class ReviewCanvas;
class SecondLookLayer;

// What a review ended with, once accepted.
struct ReviewVerdict {
    enum class Kind {
        kUnchanged,   // the count on show confirmed as it was
        kLines,       // the lines put right by hand
        kSecondLook,  // the second look's count taken as it is
    };
    Kind kind = Kind::kUnchanged;
    int boards = 0;
    std::vector<ReviewLine> lines;  // the lines on show
};

// The review of one count: the photo at full resolution with every line of the count, the
// check on it in words, and the count put right by hand, click by click, with undo and
// redo. A count accepted before is where it starts. "Accept" hands on the verdict;
// closing, Cancel or Esc change nothing, and ask first when there are changes to drop.
// A frame drawn around the stack (Shift+drag) has the second look count inside it at
// once; the count of the rules stays as it is. Esc takes the frame away first.
class ReviewWindow : public QDialog {
    Q_OBJECT

public:
    // `photo` as ReadReviewPreview or ReadReviewPhoto give it; `fileName` names it in the
    // caption; `accepted`, when given, is the count accepted for this very photo before.
    ReviewWindow(const CountResult& count, const PhotoPyramid& photo, const QString& fileName,
                 const Correction* accepted = nullptr, QWidget* parent = nullptr);

    // The photo read whole, once it is: the view sharpens.
    void ShowPhoto(const PhotoPyramid& sharper);
    // Why it will not sharpen.
    void ShowPhotoProblem(const QString& message);
    // What the count's second look was told: the station's hint, and its frame, which is
    // then drawn. `keepable`: a frame drawn here can be kept for the station.
    void SetStationLook(const LookRequest& look, bool keepable);
    // What became of keeping the frame for the station.
    void ShowFrameKept(const QString& message);

    ReviewCanvas* Canvas() const { return canvas; }
    const PhotoPyramid& Photo() const;
    const LineEdits& Edits() const { return edits; }
    const ReviewVerdict& Verdict() const { return verdict; }

    void accept() override;
    void reject() override;

signals:
    // Told once the verdict is in: the count accepted.
    void countAccepted(int boards);
    // "Export evidence...": the lines on show, as a page to hand over.
    void evidenceAsked();
    // "Keep this frame for the station": later counts read only inside it.
    void frameKept(const tamrex::PhotoFrame& frame);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QBoxLayout* CreateTools();
    QAction* AddTool(QBoxLayout* tools, const QString& text, const QList<QKeySequence>& keys,
                     const QString& tip);
    void CreateButtons(QBoxLayout* layout);
    void OpenLarge();
    int BoardsOnShow() const;
    void ShowCounts();
    void ShowHint(const QString& text);
    void ShowZoom(double zoom);
    void ShowStep(bool undone, const std::optional<LineEdits::Edit>& edit);
    void Conclude(ReviewVerdict::Kind kind, int boards);
    void AskBeforeLeaving();
    void LookInside(const std::optional<QRect>& frame);
    void ShowSecondLook(const std::optional<SecondCount>& found, const QString& said);
    void ClearFrame();
    void KeepFrame();
    void UpdateFrameActions();

    LineEdits edits;
    // What the count's own second look found, and what it was told.
    const std::optional<SecondCount> countedSecond;
    const QString countedSecondProblem;
    LookRequest stationLook;
    bool frameKeepable = false;
    FramedLook* framedLook = nullptr;
    SecondLookLayer* secondLayer = nullptr;
    std::optional<int> secondCount;       // the second look's count, offered with a button of its own
    std::optional<int> acceptedSecond;    // the second look's count accepted before, on show until an edit
    ReviewVerdict verdict;
    ReviewCanvas* canvas = nullptr;
    CountLinesLayer* linesLayer = nullptr;
    QLabel* countsLabel = nullptr;
    QLabel* zoomLabel = nullptr;
    QLabel* hintLabel = nullptr;
    QLabel* frameLabel = nullptr;
    QAction* clearFrameAction = nullptr;
    QPushButton* keepFrameButton = nullptr;
    QPushButton* useSecond = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;
};

}  // namespace tamrex
