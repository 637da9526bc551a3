#include "window/ReviewWindow.h"

#include "window/CheckText.h"
#include "window/CountLinesLayer.h"
#include "window/FramedLook.h"
#include "window/ReviewCanvas.h"
#include "window/SecondLookLayer.h"

#include <QAction>
#include <QColor>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace tamrex {
namespace {

constexpr int kStripLeft = 4;  // the strip leaves out the photo's four leftmost columns
constexpr double kShareOfScreen = 0.9;
constexpr int kHintLines = 3;
constexpr int kFrameLines = 2;
const QColor kWarningRed(192, 0, 0);

const QString kHowTo = QStringLiteral(
    "Click a line to take it away, or between lines to add one; drag to pan, turn the wheel to zoom. "
    "Shift+drag frames the stack for the second look. "
    "Keys: Up/Down move the cursor, Delete takes away the line under it, Insert adds one, L hides the lines; "
    "Enter accepts, Esc takes the frame away or leaves the count as it was.");

QRect StripArea(const CountResult& count, int photoHeight) {
    const RowSpan rows = StripRows(count, photoHeight);
    return QRect(kStripLeft, rows.top, count.stripWidth, count.stripHeight);
}

QString Rows(const RowSpan& rows) {
    if (rows.top == rows.bottom) return QStringLiteral("row %1").arg(rows.top);
    return QStringLiteral("rows %1 to %2").arg(rows.top).arg(rows.bottom);
}

// What an undo or redo did, in the words the edit was told in.
QString StepText(bool undone, const LineEdits::Edit& edit) {
    const QString where = Rows(edit.line.rows);
    if (undone)
        return edit.added ? QStringLiteral("Undid adding the line at %1.").arg(where)
                          : QStringLiteral("Undid taking away the line at %1: it is back.").arg(where);
    return edit.added ? QStringLiteral("Added the line at %1 again.").arg(where)
                      : QStringLiteral("Took away the line at %1 again.").arg(where);
}

QString FrameWords(const QRect& frame) {
    return QStringLiteral("the frame (%1 x %2 pixels at %3, %4)")
        .arg(frame.width())
        .arg(frame.height())
        .arg(frame.x())
        .arg(frame.y());
}

std::optional<QRect> ToRect(const std::optional<PhotoFrame>& frame) {
    if (!frame) return std::nullopt;
    return QRect(frame->x, frame->y, frame->width, frame->height);
}

std::optional<PhotoFrame> ToFrame(const std::optional<QRect>& rect) {
    if (!rect) return std::nullopt;
    return PhotoFrame{rect->x(), rect->y(), rect->width(), rect->height()};
}

}  // namespace

ReviewWindow::ReviewWindow(const CountResult& count, const PhotoPyramid& photo, const QString& fileName,
                           const Correction* accepted, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      edits(StartingLines(count, photo.PhotoSize().height(), accepted), StripRows(count, photo.PhotoSize().height()),
            count.lineTotal),
      countedSecond(count.secondLook),
      countedSecondProblem(QString::fromStdString(count.secondLookError)) {
    setObjectName(QStringLiteral("ReviewWindow"));
    setWindowTitle(QStringLiteral("Review: %1").arg(fileName));
    setSizeGripEnabled(true);
    if (accepted && accepted->kind == Acceptance::kSecondLook) acceptedSecond = accepted->count;
    const int photoHeight = photo.PhotoSize().height();
    const QRect strip = StripArea(count, photoHeight);
    canvas = new ReviewCanvas(photo, edits, strip, this);
    // Under the count's lines: where both agree the count's colour shows, where they
    // part the second look's dashes stand out.
    if (count.secondLook) secondCount = count.secondLook->boards;
    auto second = std::make_unique<SecondLookLayer>(count.secondLook, photoHeight);
    secondLayer = second.get();
    canvas->AddLayer(std::move(second));
    framedLook = new FramedLook(count.photo, this);
    auto lines = std::make_unique<CountLinesLayer>(edits, strip);
    linesLayer = lines.get();
    canvas->AddLayer(std::move(lines));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(CreateTools());
    auto* check = new QLabel(CheckText(count), this);
    check->setObjectName(QStringLiteral("check"));
    check->setWordWrap(true);
    if (!count.flags.empty()) {  // a reason to look again is said in the colour of the count
        QPalette warning = check->palette();
        warning.setColor(QPalette::WindowText, kWarningRed);
        check->setPalette(warning);
    }
    layout->addWidget(check);
    frameLabel = new QLabel(QStringLiteral("A Shift+drag around the stack has the second look count inside that frame."), this);
    frameLabel->setObjectName(QStringLiteral("frame"));
    frameLabel->setWordWrap(true);
    // Of a height of its own, so that what a frame gives does not move the photo.
    frameLabel->setFixedHeight(kFrameLines * frameLabel->fontMetrics().lineSpacing());
    frameLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(frameLabel);
    layout->addWidget(canvas, 1);
    hintLabel = new QLabel(kHowTo, this);
    hintLabel->setObjectName(QStringLiteral("hint"));
    hintLabel->setWordWrap(true);
    // Of a height of its own, so that a hint of another length does not move the photo.
    hintLabel->setFixedHeight(kHintLines * hintLabel->fontMetrics().lineSpacing());
    hintLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(hintLabel);
    CreateButtons(layout);

    connect(canvas, &ReviewCanvas::edited, this, &ReviewWindow::ShowCounts);
    connect(canvas, &ReviewCanvas::hint, this, &ReviewWindow::ShowHint);
    connect(canvas, &ReviewCanvas::zoomChanged, this, &ReviewWindow::ShowZoom);
    connect(canvas, &ReviewCanvas::framed, this, [this](const QRect& frame) { LookInside(frame); });
    connect(framedLook, &FramedLook::looked, this, [this](const SecondCount& found) { ShowSecondLook(found, {}); });
    connect(framedLook, &FramedLook::nothingFound, this,
            [this](const QString& reason) { ShowSecondLook(std::nullopt, reason); });
    UpdateFrameActions();
    ShowCounts();
    OpenLarge();
    canvas->setFocus();
}

void ReviewWindow::ShowPhoto(const PhotoPyramid& sharper) { canvas->ShowPhoto(sharper); }

const PhotoPyramid& ReviewWindow::Photo() const { return canvas->Photo(); }

void ReviewWindow::SetStationLook(const LookRequest& look, bool keepable) {
    stationLook = look;
    frameKeepable = keepable;
    canvas->SetFrame(ToRect(look.frame));
    if (look.frame) {
        frameLabel->setText(QStringLiteral("The station's frame is drawn: the second look read only inside it."));
    }
    UpdateFrameActions();
}

// The frame the count's second look was told needs no look again: what it found is here.
void ReviewWindow::LookInside(const std::optional<QRect>& frame) {
    UpdateFrameActions();
    if (ToFrame(frame) == stationLook.frame) {
        framedLook->Forget();
        ShowSecondLook(countedSecond, countedSecondProblem);
        return;
    }
    LookRequest look = stationLook;
    look.frame = ToFrame(frame);
    frameLabel->setText(frame ? QStringLiteral("Looking again inside %1...").arg(FrameWords(*frame))
                              : QStringLiteral("Looking again at the whole photo..."));
    setCursor(Qt::BusyCursor);
    framedLook->Look(look);
}

// The count of the rules, its lines and what was edited stay; the second look's count,
// seams and button are the new look's.
void ReviewWindow::ShowSecondLook(const std::optional<SecondCount>& found, const QString& said) {
    unsetCursor();
    secondLayer->Show(found);
    secondCount.reset();
    if (found) secondCount = found->boards;
    const std::optional<QRect> frame = canvas->Frame();
    const QString where = frame ? QStringLiteral("Inside %1").arg(FrameWords(*frame)) : QStringLiteral("On the whole photo");
    QString text;
    if (found) {
        text = QStringLiteral("%1 the second look counts %2 boards; the count of the rules stays %3.")
                   .arg(where)
                   .arg(found->boards)
                   .arg(edits.CountedBoards());
        if (found->PastFrame()) text += QStringLiteral(" The stack runs past the frame: boards beyond it are not counted.");
    } else {
        text = QStringLiteral("%1 the second look counts nothing: %2").arg(where, said);
    }
    frameLabel->setText(text);
    ShowCounts();
}

void ReviewWindow::ClearFrame() {
    if (!canvas->Frame()) return;
    canvas->SetFrame(std::nullopt);
    LookInside(std::nullopt);
}

void ReviewWindow::KeepFrame() {
    if (const std::optional<PhotoFrame> frame = ToFrame(canvas->Frame())) emit frameKept(*frame);
}

void ReviewWindow::ShowFrameKept(const QString& message) { frameLabel->setText(message); }

void ReviewWindow::UpdateFrameActions() {
    const bool framed = canvas->Frame().has_value();
    clearFrameAction->setEnabled(framed);
    keepFrameButton->setVisible(frameKeepable);
    keepFrameButton->setEnabled(framed);
    keepFrameButton->setToolTip(framed ? QStringLiteral("Write this frame into the station's settings file: later "
                                                        "counts read the second look only inside it")
                                       : QStringLiteral("Draw a frame around the stack first (Shift+drag)"));
}

void ReviewWindow::ShowPhotoProblem(const QString& message) {
    ShowHint(QStringLiteral("%1 The review goes on with the shrunk copy on show.").arg(message));
}

QBoxLayout* ReviewWindow::CreateTools() {
    auto* tools = new QHBoxLayout;
    connect(AddTool(tools, QStringLiteral("Zoom out"), {Qt::Key_Minus, QKeySequence::ZoomOut},
                    QStringLiteral("Zoom out (-, or turn the wheel)")),
            &QAction::triggered, this, [this] { canvas->ZoomOut(); });
    connect(AddTool(tools, QStringLiteral("Zoom in"), {Qt::Key_Plus, Qt::Key_Equal, QKeySequence::ZoomIn},
                    QStringLiteral("Zoom in (+, or turn the wheel)")),
            &QAction::triggered, this, [this] { canvas->ZoomIn(); });
    connect(AddTool(tools, QStringLiteral("Fit"), {Qt::Key_0}, QStringLiteral("Show the whole photo (0)")),
            &QAction::triggered, this, [this] { canvas->FitToWindow(); });
    connect(AddTool(tools, QStringLiteral("1:1"), {Qt::Key_1}, QStringLiteral("One photo pixel to a screen pixel (1)")),
            &QAction::triggered, this, [this] { canvas->ShowActualSize(); });
    QAction* linesAction =
        AddTool(tools, QStringLiteral("Lines"), {Qt::Key_L},
                QStringLiteral("Show or hide the count's lines, to see the photo under them (L)"));
    linesAction->setCheckable(true);
    linesAction->setChecked(true);
    connect(linesAction, &QAction::toggled, this, [this](bool shown) {
        linesLayer->SetShown(shown);
        canvas->viewport()->update();
    });
    clearFrameAction = AddTool(tools, QStringLiteral("Clear frame"), {},
                               QStringLiteral("Take the frame away: the second look reads the whole photo again (Esc)"));
    connect(clearFrameAction, &QAction::triggered, this, &ReviewWindow::ClearFrame);
    tools->addSpacing(16);
    undoAction = AddTool(tools, QStringLiteral("Undo"), {QKeySequence::Undo},
                         QStringLiteral("Undo the last change (Ctrl+Z)"));
    redoAction = AddTool(tools, QStringLiteral("Redo"),
                         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
                         QStringLiteral("Redo what was undone (Ctrl+Shift+Z or Ctrl+Y)"));
    connect(undoAction, &QAction::triggered, this, [this] { ShowStep(true, edits.Undo()); });
    connect(redoAction, &QAction::triggered, this, [this] { ShowStep(false, edits.Redo()); });
    tools->addSpacing(16);
    zoomLabel = new QLabel(this);
    zoomLabel->setObjectName(QStringLiteral("zoom"));
    tools->addWidget(zoomLabel);
    tools->addStretch(1);
    countsLabel = new QLabel(this);
    countsLabel->setObjectName(QStringLiteral("counts"));
    QFont large = countsLabel->font();
    large.setPixelSize(20);
    large.setBold(true);
    countsLabel->setFont(large);
    tools->addWidget(countsLabel);
    return tools;
}

// The keys work wherever the focus is in the window, as the action belongs to the window.
QAction* ReviewWindow::AddTool(QBoxLayout* tools, const QString& text, const QList<QKeySequence>& keys,
                               const QString& tip) {
    auto* action = new QAction(text, this);
    action->setShortcuts(keys);
    action->setToolTip(tip);
    addAction(action);
    auto* button = new QToolButton(this);
    button->setDefaultAction(action);
    button->setObjectName(text);
    tools->addWidget(button);
    return action;
}

void ReviewWindow::CreateButtons(QBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* acceptButton = buttons->addButton(QStringLiteral("Accept"), QDialogButtonBox::AcceptRole);
    acceptButton->setObjectName(QStringLiteral("Accept"));
    acceptButton->setToolTip(QStringLiteral("Keep the count on show for this photo (Enter)"));
    acceptButton->setDefault(true);
    QPushButton* cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    cancelButton->setObjectName(QStringLiteral("Cancel"));
    cancelButton->setToolTip(QStringLiteral("Leave the count as it was (Esc)"));
    // Offered whenever a second look has a count: a frame drawn later may give it one.
    useSecond = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    useSecond->setObjectName(QStringLiteral("UseSecondCount"));
    useSecond->setToolTip(QStringLiteral("Keep the count of the second look, whose seams are dashed (Ctrl+2)"));
    connect(useSecond, &QPushButton::clicked, this, [this] {
        if (secondCount) Conclude(ReviewVerdict::Kind::kSecondLook, *secondCount);
    });
    keepFrameButton = buttons->addButton(QStringLiteral("Keep this frame for the station"), QDialogButtonBox::ActionRole);
    keepFrameButton->setObjectName(QStringLiteral("KeepFrame"));
    connect(keepFrameButton, &QPushButton::clicked, this, &ReviewWindow::KeepFrame);
    QPushButton* evidence = buttons->addButton(QStringLiteral("Export evidence..."), QDialogButtonBox::ActionRole);
    evidence->setObjectName(QStringLiteral("ExportEvidence"));
    evidence->setToolTip(QStringLiteral("Write the photo with the lines on show and what was counted as a PDF page"));
    connect(evidence, &QPushButton::clicked, this, &ReviewWindow::evidenceAsked);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void ReviewWindow::OpenLarge() {
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    const QSize size = (QSizeF(available.size()) * kShareOfScreen).toSize();
    setGeometry(QRect(available.topLeft() + QPoint((available.width() - size.width()) / 2,
                                                   (available.height() - size.height()) / 2),
                      size));
}

// A second look's count accepted before stands until the lines are edited.
int ReviewWindow::BoardsOnShow() const {
    if (acceptedSecond && !edits.Changed()) return *acceptedSecond;
    return edits.Boards();
}

void ReviewWindow::accept() {
    Conclude(edits.Changed() ? ReviewVerdict::Kind::kLines : ReviewVerdict::Kind::kUnchanged, BoardsOnShow());
}

void ReviewWindow::Conclude(ReviewVerdict::Kind kind, int boards) {
    verdict = {kind, boards, edits.Lines()};
    emit countAccepted(boards);
    QDialog::accept();
}

// Esc takes a frame away before it leaves the review.
void ReviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && canvas->Frame()) {
        ClearFrame();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Esc, Cancel and closing the window all come here.
void ReviewWindow::reject() {
    if (!edits.Changed()) {
        QDialog::reject();
        return;
    }
    AskBeforeLeaving();
}

void ReviewWindow::AskBeforeLeaving() {
    auto* question = new QMessageBox(QMessageBox::Question, windowTitle(),
                                     QStringLiteral("Leave the review and drop the changes made to the lines?"),
                                     QMessageBox::NoButton, this);
    question->setObjectName(QStringLiteral("LeaveReview"));
    question->setAttribute(Qt::WA_DeleteOnClose);
    question->setInformativeText(QStringLiteral("Accept keeps them; the count stays as it was if they are dropped."));
    QPushButton* drop = question->addButton(QStringLiteral("Drop the changes"), QMessageBox::DestructiveRole);
    drop->setObjectName(QStringLiteral("Drop"));
    QPushButton* stay = question->addButton(QStringLiteral("Go on reviewing"), QMessageBox::RejectRole);
    stay->setObjectName(QStringLiteral("Stay"));
    question->setDefaultButton(stay);
    question->setEscapeButton(stay);
    connect(drop, &QPushButton::clicked, this, [this] { QDialog::reject(); });
    question->open();
}

void ReviewWindow::ShowCounts() {
    const QString onShow = acceptedSecond && !edits.Changed()
                               ? QStringLiteral("accepted %1 (the second look's)").arg(*acceptedSecond)
                               : QStringLiteral("corrected %1").arg(edits.Boards());
    countsLabel->setText(QStringLiteral("Counted %1 - %2").arg(edits.CountedBoards()).arg(onShow));
    undoAction->setEnabled(edits.CanUndo());
    redoAction->setEnabled(edits.CanRedo());
    useSecond->setVisible(secondCount && *secondCount != BoardsOnShow());
    if (secondCount) {
        useSecond->setText(QStringLiteral("Use the second look's %1").arg(*secondCount));
        useSecond->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));  // the text took it away
    }
    canvas->viewport()->update();
}

void ReviewWindow::ShowStep(bool undone, const std::optional<LineEdits::Edit>& edit) {
    if (edit) ShowHint(StepText(undone, *edit));
    ShowCounts();
}

void ReviewWindow::ShowHint(const QString& text) { hintLabel->setText(text.isEmpty() ? kHowTo : text); }

void ReviewWindow::ShowZoom(double zoom) {
    zoomLabel->setText(QStringLiteral("Zoom %1%").arg(qRound(zoom * 100)));
}

}  // namespace tamrex
