#pragma once

#include "calibration/CorrectionsFile.h"
#include "counting/CountResult.h"
#include "window/LineEdits.h"
#include "window/PhotoPyramid.h"

#include <QDialog>
#include <QString>

#include <optional>
#include <vector>

class QAction;
class QBoxLayout;
class QLabel;
class QPushButton;

namespace tamrex {

class CountLinesLayer;
class ReviewCanvas;

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

    LineEdits edits;
    std::optional<int> secondCount;       // the second look's count, offered with a button of its own
    std::optional<int> acceptedSecond;    // the second look's count accepted before, on show until an edit
    ReviewVerdict verdict;
    ReviewCanvas* canvas = nullptr;
    CountLinesLayer* linesLayer = nullptr;
    QLabel* countsLabel = nullptr;
    QLabel* zoomLabel = nullptr;
    QLabel* hintLabel = nullptr;
    QPushButton* useSecond = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;
};

}  // namespace tamrex
