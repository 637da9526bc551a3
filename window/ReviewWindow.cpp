#include "window/ReviewWindow.h"

#include "window/SecondLookLayer.h"

#include "window/CheckText.h"
#include "window/CountLinesLayer.h"
#include "window/ReviewCanvas.h"

#include <QAction>
#include <QColor>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace tamrex {
namespace {

constexpr int kStripLeft = 4;  // the strip leaves out the photo's four leftmost columns
constexpr double kShareOfScreen = 0.9;
const QColor kWarningRed(192, 0, 0);

const QString kHowTo = QStringLiteral(
    "Click a line to take it away, or between lines to add one; drag to pan, turn the wheel to zoom. "
    "Keys: Up/Down move the cursor, Delete takes away the line under it, Insert adds one; "
    "Enter accepts, Esc leaves the count as it was.");

QRect StripArea(const CountResult& count, int photoHeight) {
    const RowSpan rows = StripRows(count, photoHeight);
    return QRect(kStripLeft, rows.top, count.stripWidth, count.stripHeight);
}

}  // namespace

ReviewWindow::ReviewWindow(const CountResult& count, const QImage& photo, const QString& fileName,
                           QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      edits(CountedLines(count, photo.height()), StripRows(count, photo.height())) {
    setObjectName(QStringLiteral("ReviewWindow"));
    setWindowTitle(QStringLiteral("Review: %1").arg(fileName));
    setSizeGripEnabled(true);
    const QRect strip = StripArea(count, photo.height());
    canvas = new ReviewCanvas(photo, edits, strip, this);
    // Under the count's lines: where both agree the count's colour shows, where they
    // part the second look's dashes stand out.
    if (count.secondLook) {
        secondCount = count.secondLook->boards;
        canvas->AddLayer(std::make_unique<SecondLookLayer>(*count.secondLook, photo.height()));
    }
    canvas->AddLayer(std::make_unique<CountLinesLayer>(edits, strip));

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
    layout->addWidget(canvas, 1);
    hintLabel = new QLabel(kHowTo, this);
    hintLabel->setObjectName(QStringLiteral("hint"));
    hintLabel->setWordWrap(true);
    layout->addWidget(hintLabel);
    CreateButtons(layout);

    connect(canvas, &ReviewCanvas::edited, this, &ReviewWindow::ShowCounts);
    connect(canvas, &ReviewCanvas::hint, this, &ReviewWindow::ShowHint);
    connect(canvas, &ReviewCanvas::zoomChanged, this, &ReviewWindow::ShowZoom);
    ShowCounts();
    OpenLarge();
    canvas->setFocus();
}

QBoxLayout* ReviewWindow::CreateTools() {
    auto* tools = new QHBoxLayout;
    connect(AddTool(tools, QStringLiteral("Zoom out"), {Qt::Key_Minus, QKeySequence::ZoomOut},
                    QStringLiteral("Zoom out (-, or turn the wheel)")),
            &QAction::triggered, canvas, &ReviewCanvas::ZoomOut);
    connect(AddTool(tools, QStringLiteral("Zoom in"), {Qt::Key_Plus, Qt::Key_Equal, QKeySequence::ZoomIn},
                    QStringLiteral("Zoom in (+, or turn the wheel)")),
            &QAction::triggered, canvas, &ReviewCanvas::ZoomIn);
    connect(AddTool(tools, QStringLiteral("Fit"), {Qt::Key_0}, QStringLiteral("Show the whole photo (0)")),
            &QAction::triggered, canvas, &ReviewCanvas::FitToWindow);
    connect(AddTool(tools, QStringLiteral("1:1"), {Qt::Key_1}, QStringLiteral("One photo pixel to a screen pixel (1)")),
            &QAction::triggered, canvas, &ReviewCanvas::ShowActualSize);
    tools->addSpacing(16);
    undoAction = AddTool(tools, QStringLiteral("Undo"), {QKeySequence::Undo},
                         QStringLiteral("Undo the last change (Ctrl+Z)"));
    redoAction = AddTool(tools, QStringLiteral("Redo"),
                         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
                         QStringLiteral("Redo what was undone (Ctrl+Shift+Z or Ctrl+Y)"));
    connect(undoAction, &QAction::triggered, this, [this] {
        edits.Undo();
        ShowCounts();
    });
    connect(redoAction, &QAction::triggered, this, [this] {
        edits.Redo();
        ShowCounts();
    });
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
    acceptButton->setToolTip(QStringLiteral("Keep the corrected count for this photo (Enter)"));
    acceptButton->setDefault(true);
    QPushButton* cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    cancelButton->setObjectName(QStringLiteral("Cancel"));
    cancelButton->setToolTip(QStringLiteral("Leave the count as it was (Esc)"));
    if (secondCount) {
        QPushButton* useSecond = buttons->addButton(QStringLiteral("Use the second look's %1").arg(*secondCount),
                                                    QDialogButtonBox::ActionRole);
        useSecond->setObjectName(QStringLiteral("UseSecondCount"));
        useSecond->setToolTip(QStringLiteral("Keep the count of the second look, whose seams are dashed (Ctrl+2)"));
        useSecond->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
        connect(useSecond, &QPushButton::clicked, this, [this] {
            emit countAccepted(*secondCount);
            QDialog::accept();
        });
    }
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

void ReviewWindow::accept() {
    emit countAccepted(edits.Boards());
    QDialog::accept();
}

void ReviewWindow::ShowCounts() {
    countsLabel->setText(QStringLiteral("Counted %1 - corrected %2").arg(edits.CountedBoards()).arg(edits.Boards()));
    undoAction->setEnabled(edits.CanUndo());
    redoAction->setEnabled(edits.CanRedo());
    canvas->viewport()->update();
}

void ReviewWindow::ShowHint(const QString& text) { hintLabel->setText(text.isEmpty() ? kHowTo : text); }

void ReviewWindow::ShowZoom(double zoom) {
    zoomLabel->setText(QStringLiteral("Zoom %1%").arg(qRound(zoom * 100)));
}

}  // namespace tamrex
