#include "window/Tamrex.h"

#include "counting/CountResult.h"
#include "window/CalibrationDialog.h"
#include "window/CorrectionNote.h"
#include "window/CountedPhoto.h"
#include "window/EvidencePdf.h"
#include "window/HistoryDialog.h"
#include "window/CheckText.h"
#include "window/FontThatFits.h"
#include "window/LayoutFont.h"
#include "window/LineMapImage.h"
#include "window/OverlayPicture.h"
#include "window/PathText.h"
#include "window/PhotoList.h"
#include "window/PhotoListGestures.h"
#include "window/PictureBox.h"
#include "window/ProcessTimeText.h"
#include "window/ReviewWindow.h"
#include "window/Twips.h"
#include "window/WindowLog.h"

#include <QAction>
#include <QColor>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>

namespace tamrex {
namespace {

const QColor kCountRed(192, 0, 0);

// A failure message is longer than a result line; below this it would be hard to read.
constexpr int kSmallestMessagePixels = 9;

// Fewer known counts could not tell settings that count well from settings that got lucky.
constexpr std::size_t kLeastCorrectedPhotos = 3;

QString LineMapNotSaved(const Failure& failure) {
    return QStringLiteral("%1. The count stands; this line map is drawn from memory. Make the "
                          "folder writable to keep test.bmp.")
        .arg(QString::fromStdString(failure.message));
}

QString DecoderWarningNotice(const std::string& warning) {
    return QStringLiteral(
               "The JPEG decoder complained about this photo (%1), so the count may be "
               "off: check the photo.")
        .arg(QString::fromStdString(warning));
}

}  // namespace

Tamrex::Tamrex(const std::filesystem::path& workingFolder, const StationSettings& settings,
               const std::filesystem::path& settingsFile, QWidget* parent)
    : QWidget(parent),
      workingFolder(workingFolder),
      station(settings),
      settingsFile(settingsFile),
      corrections(workingFolder),
      resultLineFont(LayoutFont(kDisplayFamily, 14.25, true)) {
    setObjectName(QStringLiteral("Tamrex"));
    setWindowTitle(QStringLiteral("Tamrex MDF Board Counter"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tamrex.ico")));
    setFixedSize(TwipsRect(0, 0, 11880, 8400).size());
    setFont(LayoutFont(kDialogFamily, 8.25, false));

    CreatePictureBoxes();
    CreateResultLabels();
    CreateNotes();
    CreateFileList();
    CreateButtons();
    CreatePictureMenu();
    SetFocusOrder();
}

Tamrex::Tamrex(const std::filesystem::path& workingFolder, const StationSettings& settings, QWidget* parent)
    : Tamrex(workingFolder, settings, {}, parent) {}

Tamrex::Tamrex(const std::filesystem::path& workingFolder, const CounterSettings& settings, QWidget* parent)
    : Tamrex(workingFolder, StationSettings{settings, std::nullopt}, parent) {}

void Tamrex::CreatePictureBoxes() {
    image2 = new PictureBox(this);
    image2->setObjectName(QStringLiteral("Image2"));
    image2->setGeometry(TwipsRect(120, 120, 5535, 4215));

    image1 = new PictureBox(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setGeometry(TwipsRect(6000, 120, 5535, 4215));
    for (PictureBox* picture : {image1, image2}) {
        connect(picture, &PictureBox::menuRequested, this, &Tamrex::ShowPictureMenu);
        connect(picture, &PictureBox::doubleClicked, this, &Tamrex::OpenReview);
    }
}

void Tamrex::CreateResultLabels() {
    const QColor text = palette().color(QPalette::ButtonText);
    label3 = AddLabel("Label3", QString(), TwipsRect(6000, 4440, 5535, 495), resultLineFont,
                      Qt::AlignHCenter, text);
    label3->setWordWrap(true);  // failure messages take more than one line

    AddLabel("TotalCount", QStringLiteral("Book"), TwipsRect(7920, 5640, 3495, 975),
             LayoutFont(kDisplayFamily, 36, true), Qt::AlignLeft, text);
    vTotalCount = AddLabel("vTotalCount", QStringLiteral("0"), TwipsRect(7920, 6720, 3495, 1335),
                           LayoutFont(kDisplayFamily, 48, true), Qt::AlignRight, kCountRed);

    // Made after the labels it frames so that it lies above them: vTotalCount reaches down
    // onto its bottom edge, and an outline that is not filled hides nothing.
    auto* shape1 = new QFrame(this);
    shape1->setObjectName(QStringLiteral("Shape1"));
    shape1->setGeometry(TwipsRect(7800, 5520, 3735, 2535));
    shape1->setFrameStyle(QFrame::Box | QFrame::Plain);  // drawn in the window-text colour
    shape1->setLineWidth(1);
    shape1->setAttribute(Qt::WA_TransparentForMouseEvents);

    pTime = AddLabel("pTime", QString(), TwipsRect(3840, 7560, 3375, 255), font(), Qt::AlignHCenter,
                     text);
}

void Tamrex::CreateNotes() {
    const QColor text = palette().color(QPalette::ButtonText);
    AddLabel("Label2", QStringLiteral("Select an example file"), TwipsRect(120, 4440, 3615, 375),
             LayoutFont(kDialogFamily, 9.75, true), Qt::AlignRight, text);
    AddLabel("Label9", QStringLiteral("Count algorithm not base on filename"),
             TwipsRect(3960, 6360, 3015, 255), font(), Qt::AlignLeft, kCountRed);
    AddLabel("Label10", QStringLiteral("Try to change filename with jpg extension"),
             TwipsRect(3960, 6600, 3135, 255), font(), Qt::AlignLeft, kCountRed);
    AddLabel("Label1", QStringLiteral("Example Plywood Thickness = 2.6 mm."),
             TwipsRect(3960, 7080, 3255, 255), font(), Qt::AlignLeft, text);
}

QLabel* Tamrex::AddLabel(const char* name, const QString& text, const QRect& geometry,
                         const QFont& font, Qt::Alignment alignment, const QColor& textColour) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(font);
    // Captions start at the top of their box, however tall it is.
    label->setAlignment(alignment | Qt::AlignTop);
    // A file name or message with '<' in it must not be taken for markup.
    label->setTextFormat(Qt::PlainText);
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    colours.setColor(QPalette::WindowText, textColour);
    label->setPalette(colours);
    label->setAutoFillBackground(true);
    return label;
}

void Tamrex::CreateFileList() {
    file1 = new QListWidget(this);
    file1->setObjectName(QStringLiteral("File1"));
    file1->setGeometry(TwipsRect(3960, 4440, 1695, 1845));
    file1->setSelectionMode(QAbstractItemView::SingleSelection);
    file1->setUniformItemSizes(true);
    ListPhotoFiles();
    // Selection, not the current item: tabbing into the list must not start a count.
    connect(file1, &QListWidget::itemSelectionChanged, this, &Tamrex::OnPhotoSelected);
    connect(new PhotoListGestures(file1), &PhotoListGestures::countAgain, this, &Tamrex::CountAgain);
}

// A phone's photo names are longer than the list is wide: the tooltip shows the whole name.
// Each entry keeps its file's name as bytes, which need not be valid UTF-8 to be counted.
void Tamrex::ListPhotoFiles() {
    for (const std::filesystem::path& name : ListPhotos(workingFolder)) {
        auto* item = new QListWidgetItem(ToText(name), file1);
        item->setToolTip(item->text());
        item->setData(Qt::UserRole, QByteArray::fromStdString(name.string()));
    }
}

std::filesystem::path Tamrex::FileOf(const QListWidgetItem* item) {
    return std::filesystem::path(item->data(Qt::UserRole).toByteArray().toStdString());
}

QListWidgetItem* Tamrex::ItemOf(const std::filesystem::path& name) const {
    for (int row = 0; row < file1->count(); ++row) {
        if (FileOf(file1->item(row)) == name) return file1->item(row);
    }
    return nullptr;
}

// The list is filled afresh without a word to the count: the selected photo stays selected
// and is not counted again.
void Tamrex::RescanFolder() {
    const QList<QListWidgetItem*> selected = file1->selectedItems();
    const std::filesystem::path keep = selected.isEmpty() ? std::filesystem::path() : FileOf(selected.first());
    const QSignalBlocker quiet(file1);
    file1->clear();
    ListPhotoFiles();
    if (QListWidgetItem* same = keep.empty() ? nullptr : ItemOf(keep)) file1->setCurrentItem(same);
}

std::vector<std::string> Tamrex::ListedPhotos() const {
    std::vector<std::string> photos;
    for (int row = 0; row < file1->count(); ++row) photos.push_back(FileOf(file1->item(row)).string());
    return photos;
}

void Tamrex::SelectPhoto(const QString& name) {
    QListWidgetItem* found = ItemOf(ToPath(name));
    if (!found) {
        image2->SetNotice(QStringLiteral("'%1' is not among the photos listed: Tamrex counts the files of the "
                                         "folder whose names end in .jpg. Rename it, then press F5.")
                              .arg(name));
        return;
    }
    file1->setCurrentItem(found);
}

void Tamrex::CreateButtons() {
    const QFont buttonFont = LayoutFont(kDialogFamily, 9.75, true);

    cmdReset = new QPushButton(QStringLiteral("New Book"), this);
    cmdReset->setObjectName(QStringLiteral("cmdReset"));
    cmdReset->setGeometry(TwipsRect(1320, 6480, 2055, 615));
    cmdReset->setFont(buttonFont);
    connect(cmdReset, &QPushButton::clicked, this,
            [this] { vTotalCount->setText(QStringLiteral("0")); });

    btnExit = new QPushButton(QStringLiteral("Exit"), this);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    btnExit->setGeometry(TwipsRect(1320, 7320, 2055, 615));
    btnExit->setFont(buttonFont);
    connect(btnExit, &QPushButton::clicked, this, &QWidget::close);
}

// The pictures' right-click menu. Its actions belong to the window too, so that their keys
// work wherever the focus is.
void Tamrex::CreatePictureMenu() {
    pictureMenu = new QMenu(this);
    pictureMenu->setObjectName(QStringLiteral("PictureMenu"));
    reviewAction = AddMenuAction(QStringLiteral("Review the count..."), Qt::Key_F2, &Tamrex::OpenReview);
    linesAction = AddMenuAction(QStringLiteral("Show lines on the photo"), {}, &Tamrex::ToggleOverlay);
    AddMenuAction(QStringLiteral("Look for new photos"), Qt::Key_F5, &Tamrex::RescanFolder);
    pictureMenu->addSeparator();
    calibrateAction =
        AddMenuAction(QStringLiteral("Calibrate from corrected photos..."), {}, &Tamrex::OpenCalibration);
    AddMenuAction(QStringLiteral("History..."), QKeySequence(Qt::CTRL | Qt::Key_H), &Tamrex::OpenHistory);
    connect(pictureMenu, &QMenu::aboutToShow, this, &Tamrex::UpdateActions);
    UpdateActions();
}

QAction* Tamrex::AddMenuAction(const QString& text, const QKeySequence& key, void (Tamrex::*slot)()) {
    QAction* action = pictureMenu->addAction(text);
    action->setShortcut(key);
    addAction(action);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

void Tamrex::SetFocusOrder() {
    setTabOrder(cmdReset, btnExit);
    setTabOrder(btnExit, file1);
    cmdReset->setFocus();
}

void Tamrex::OnPhotoSelected() {
    const QList<QListWidgetItem*> selected = file1->selectedItems();
    if (selected.isEmpty()) return;  // a Ctrl+click took the selection away: nothing to count
    imageFile = FileOf(selected.first());
    CountBoards();
}

void Tamrex::CountAgain() {
    if (!file1->selectedItems().isEmpty()) CountBoards();
}

void Tamrex::CountBoards() {
    sourcePictureShown = false;
    CountRequest request{workingFolder / imageFile, station.counter, LineMapFile()};
    request.thickness = station.Thickness();
    request.look = station.Look();
    counter.CountBoards(request, this);
}

std::filesystem::path Tamrex::LineMapFile() const { return workingFolder / "test.bmp"; }

void Tamrex::ShowSourcePicture(const std::string& photoPath) {
    image2->ShowFile(ToText(photoPath));
    sourcePictureShown = true;
}

void Tamrex::ShowResult(const Expected<CountResult>& result) {
    // The overlay and the review must only ever show the lines of the run on show.
    lastCount.reset();
    correctionNote.clear();
    if (log) lastRecord = log->RecordCount(workingFolder / imageFile, result, station);
    checkNote = result ? CheckNotice(*result) : QString();
    if (!result) {
        ShowFailure(result.error());
    } else {
        ShowCount(*result);
        if (!result->warning.empty()) image2->SetNotice(DecoderWarningNotice(result->warning));
    }
    UpdateActions();
}

// The result line keeps what the rules found; the count shown is the one accepted by
// hand, when there is one.
void Tamrex::ShowCount(const CountResult& result) {
    lastCount = result;
    ShowResultLine(QStringLiteral("Detected %1 lines.").arg(result.count()));
    label3->setToolTip(QString());
    vTotalCount->setText(QString::number(result.count()));
    pTime->setText(ProcessTimeText(result.milliseconds));
    if (const std::optional<Correction> accepted = corrections.Find(imageFile.string()))
        ShowCorrection(*accepted, {});
    ShowLineMap();
}

// Nothing of an earlier run may stay on show as if it belonged to this photo.
void Tamrex::ShowFailure(const Failure& failure) {
    if (!sourcePictureShown) image2->Clear();
    image1->Clear();
    showingOverlay = false;
    pictureNote.clear();
    const QString message = QString::fromStdString(failure.message);
    ShowResultLine(message);
    label3->setToolTip(message);  // the whole of it, should even the smallest size not hold it
    vTotalCount->setText(QStringLiteral("0"));
    pTime->clear();
}

void Tamrex::ShowResultLine(const QString& text) {
    label3->setFont(FontThatFits(resultLineFont, text, label3->size(), kSmallestMessagePixels));
    label3->setText(text);
}

void Tamrex::ShowNotes() {
    QStringList notes;
    for (const QString& note : {pictureNote, correctionNote, checkNote, logNote}) {
        if (!note.isEmpty()) notes << note;
    }
    image1->SetNotice(notes.join(QLatin1Char(' ')));
}

// Each count opens on its line map; the overlay is there for whoever asks for it.
void Tamrex::ToggleOverlay() {
    if (!lastCount) return;
    if (showingOverlay) {
        ShowLineMap();
    } else {
        ShowOverlay();
    }
    UpdateActions();
}

// When the overlay cannot be drawn the line map stays, with the reason beneath it.
void Tamrex::ShowOverlay() {
    const Expected<QImage> overlay = DrawOverlayPicture(*lastCount);
    if (!overlay) {
        pictureNote = QString::fromStdString(overlay.error().message);
    } else {
        image1->ShowImage(*overlay);
        pictureNote.clear();
        showingOverlay = true;
    }
    ShowNotes();
}

// A line map that could not be written is drawn from memory, and says so.
void Tamrex::ShowLineMap() {
    if (lastCount && !lastCount->lineMapWrite) {
        image1->ShowImage(LineMapImage(*lastCount));
        pictureNote = LineMapNotSaved(lastCount->lineMapWrite.error());
    } else {
        image1->ShowFile(ToText(LineMapFile()));
        pictureNote = image1->notice();
    }
    showingOverlay = false;
    ShowNotes();
}

void Tamrex::ShowPictureMenu(const QPoint& where) { pictureMenu->popup(where); }

void Tamrex::UpdateActions() {
    reviewAction->setEnabled(lastCount.has_value());
    linesAction->setEnabled(lastCount.has_value());
    linesAction->setText(showingOverlay ? QStringLiteral("Show the line map")
                                        : QStringLiteral("Show lines on the photo"));
    calibrateAction->setEnabled(corrections.KnownCounts(ListedPhotos()).size() >= kLeastCorrectedPhotos);
}

// When the photo cannot be read again, the notice says why and nothing opens.
void Tamrex::OpenReview() {
    if (!lastCount) return;
    const Expected<QImage> photo = LoadCountedPhoto(*lastCount);
    if (!photo) {
        pictureNote = QString::fromStdString(photo.error().message);
        ShowNotes();
        return;
    }
    auto* review = new ReviewWindow(*lastCount, *photo, ToText(imageFile), this);
    review->setAttribute(Qt::WA_DeleteOnClose);
    connect(review, &ReviewWindow::countAccepted, this,
            [this, count = *lastCount](int boards) { AcceptCount(count, boards); });
    if (log && lastRecord) {
        connect(review, &ReviewWindow::countAccepted, this, [this, review, record = *lastRecord, height = photo->height()](
                                                                int boards) {
            // Accepted by the second look's button, the count has no lines of the review's.
            const bool asDrawn = boards == review->Edits().Boards();
            log->RecordCorrection(record, boards, asDrawn ? review->Edits().Lines() : std::vector<ReviewLine>{}, height);
        });
    }
    connect(review, &ReviewWindow::evidenceAsked, this,
            [this, review, count = *lastCount, image = *photo] { ExportReviewEvidence(*review, count, image); });
    review->open();
}

void Tamrex::AcceptCount(const CountResult& count, int boards) {
    const Correction correction{imageFile.string(), boards, count.count(), TimeOfAcceptance()};
    const Outcome kept = corrections.Accept(correction);
    ShowCorrection(correction, kept);
    ShowNotes();
    UpdateActions();
}

void Tamrex::ShowCorrection(const Correction& correction, const Outcome& kept) {
    vTotalCount->setText(QString::number(correction.count));
    correctionNote = CorrectionNote(correction, lastCount ? lastCount->count() : correction.counted, kept);
}

// Not modal: counting goes on while the search runs. Found settings count from the next
// count on.
void Tamrex::OpenCalibration() {
    if (calibration) {
        calibration->raise();
        calibration->activateWindow();
        return;
    }
    const std::vector<KnownCount> known = corrections.KnownCounts(ListedPhotos());
    if (known.size() < kLeastCorrectedPhotos) return;
    calibration = new CalibrationDialog({known, station, settingsFile}, this);
    calibration->setAttribute(Qt::WA_DeleteOnClose);
    connect(calibration, &CalibrationDialog::settingsApplied, this,
            [this](const StationSettings& found) { station = found; });
    calibration->show();
}

void Tamrex::RecordCountsIn(const std::filesystem::path& file) {
    delete log;
    log = new WindowLog(file, settingsFile, this);
    connect(log, &WindowLog::problem, this, [this](const QString& message) {
        logNote = message;
        ShowNotes();
    });
}

// The folder's counts from the log; a double-click there reviews that photo's count.
void Tamrex::OpenHistory() {
    if (!log) {
        pictureNote = QStringLiteral("No count log is kept: Tamrex was started with --no-log.");
        ShowNotes();
        return;
    }
    if (!history) {
        history = new HistoryDialog(log->file(), workingFolder, this);
        history->setAttribute(Qt::WA_DeleteOnClose);
        connect(history, &HistoryDialog::photoChosen, this, [this](const QString& name) {
            SelectPhoto(name);
            if (lastCount && ToText(imageFile) == name) OpenReview();
        });
    }
    history->show();
    history->raise();
}

void Tamrex::ExportReviewEvidence(ReviewWindow& review, const CountResult& count, const QImage& photo) {
    const CountRecord record = lastRecord ? *lastRecord
                                          : RecordOfCount(count.photo, count, {settingsFile, station.counter.bdLine,
                                                                               station.counter.threshold,
                                                                               station.counter.pWidth, station.thickness, {}},
                                                          "tamrex", TAMREX_VERSION);
    ExportEvidence(&review, count, photo, review.Edits(),
                   ReviewEvidenceCaption(record, log ? log->file() : std::filesystem::path(), review.Edits()));
}

}  // namespace tamrex
