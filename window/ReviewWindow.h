#pragma once

#include "counting/CountResult.h"
#include "window/LineEdits.h"

#include <QDialog>
#include <QImage>
#include <QString>

#include <optional>

class QAction;
class QBoxLayout;
class QLabel;

namespace tamrex {

class ReviewCanvas;

// The review of one count: the photo at full resolution with every line of the count, the
// check on it in words, and the count put right by hand, click by click, with undo and
// redo. "Accept" hands on the corrected count; closing, Cancel or Esc change nothing.
//
// Room is left for what a second, independent count will bring: its seams as a layer of
// their own on the canvas (ReviewCanvas::AddLayer), and a button of its own beside Accept.
class ReviewWindow : public QDialog {
    Q_OBJECT

public:
    // `photo` as the count saw it (LoadCountedPhoto); `fileName` names it in the caption.
    ReviewWindow(const CountResult& count, const QImage& photo, const QString& fileName,
                 QWidget* parent = nullptr);

    ReviewCanvas* Canvas() const { return canvas; }
    const LineEdits& Edits() const { return edits; }

    void accept() override;

signals:
    void countAccepted(int boards);
    // "Export evidence...": the lines on show, as a page to hand over.
    void evidenceAsked();

private:
    QBoxLayout* CreateTools();
    QAction* AddTool(QBoxLayout* tools, const QString& text, const QList<QKeySequence>& keys,
                     const QString& tip);
    void CreateButtons(QBoxLayout* layout);
    void OpenLarge();
    void ShowCounts();
    void ShowHint(const QString& text);
    void ShowZoom(double zoom);

    LineEdits edits;
    std::optional<int> secondCount;  // the second look's count, offered with a button of its own
    ReviewCanvas* canvas = nullptr;
    QLabel* countsLabel = nullptr;
    QLabel* zoomLabel = nullptr;
    QLabel* hintLabel = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;
};

}  // namespace tamrex
