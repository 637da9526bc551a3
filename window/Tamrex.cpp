#include "window/Tamrex.h"

#include "counting/CountResult.h"
#include "window/CalibrationDialog.h"
#include "window/CheckText.h"
#include "window/CorrectionNote.h"
#include "window/EvidencePdf.h"
#include "window/HistoryDialog.h"
#include "window/FontThatFits.h"
#include "window/KeysHelp.h"
#include "window/LayoutFont.h"
#include "window/PathText.h"
#include "window/PhotoList.h"
#include "window/PhotoListGestures.h"
#include "window/PictureBox.h"
#include "window/ProcessTimeText.h"
#include "window/ReviewWindow.h"
#include "window/SettingsReplacement.h"
#include "window/Twips.h"
#include "window/WindowAdvice.h"
#include "window/WindowLog.h"

#include <QAction>
#include <QColor>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>

namespace tamrex {
namespace {

const QColor kCountRed(192, 0, 0);

// A failure message is longer than a result line; below this it would be hard to read.
constexpr int kSmallestMessagePixels = 9;

// Fewer known counts could not tell settings that count well from settings that got lucky.
constexpr std::size_t kLeastCorrectedPhotos = 3;

// What the count panel shows when nothing was counted: a 0 would pass for a count.
const QString kNoCount = QStringLiteral("\u2014");

QString LineMapNotSaved(const Failure& failure) {
    return QStringLiteral("%1. The count stands; this line map is drawn from memory. Make the folder writable to "
                          "keep test.bmp.")
        .arg(ForTheWindow(failure.message));
}

QString DecoderWarningNotice(const std::string& warning) {
    return QStringLiteral(
               "The JPEG decoder complained about this photo (%1), so the count may be off: check the photo.")
        .arg(QString::fromStdString(warning));
}

QString EmptyFolderNotice(const std::filesystem::path& folder) {
    return QStringLiteral("No JPEG photos (.jpg or .jpeg) in %1: open a folder of photos (Ctrl+O), or drop one on "
                          "this window.")
        .arg(ToText(folder));
}

// The folder or photo a drop brings, if it brings one.
std::optional<std::filesystem::path> DroppedPath(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return std::nullopt;
    const std::filesystem::path path = ToPath(data->urls().first().toLocalFile());
    std::error_code error;
    if (std::filesystem::is_directory(path, error) || IsPhotoName(path)) return path;
    return std::nullopt;
}

}  // namespace

Tamrex::Tamrex(const std::filesystem::path& workingFolder, const StationSettings& settings,
               const std::filesystem::path& settingsFile, QWidget* parent)
    : QWidget(parent),
      workingFolder(workingFolder),
      station(settings),
      settingsFile(settingsFile),
      resultLineFont(LayoutFont(kDisplayFamily, 14.25, true)) {
    setObjectName(QStringLiteral("Tamrex"));
    setWindowTitle(QStringLiteral("Tamrex MDF Board Counter"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tamrex.ico")));
    setFixedSize(TwipsRect(0, 0, 11880, 8400).size());
    setFont(LayoutFont(kDialogFamily, 8.25, false));
    setAcceptDrops(true);

    CreatePictureBoxes();
    CreateResultLabels();
    CreateNotes();
    CreateFileList();
    CreateButtons();
    CreatePictureMenu();
    SetFocusOrder();

    connect(&counting, &PhotoCounting::photoRead, this, &Tamrex::ShowSourcePicture);
    connect(&counting, &PhotoCounting::counted, this, &Tamrex::ShowResult);
    connect(&counting, &PhotoCounting::idle, this, &Tamrex::OnIdle);
    connect(&loading, &PictureLoading::previewRead, this, &Tamrex::ShowReview);
    connect(&loading, &PictureLoading::photoRead, this, [this](const PhotoPyramid& photo) {
        loadingFor = Loading::kNothing;
        if (review) review->ShowPhoto(photo);
    });
    connect(&loading, &PictureLoading::overlayDrawn, this, &Tamrex::ShowOverlay);
    connect(&loading, &PictureLoading::failed, this, &Tamrex::ShowLoadingFailure);
    connect(&correctionsLoading, &CorrectionsLoading::loaded, this, &Tamrex::UseCorrections);
    correctionsLoading.Load(workingFolder);
    ShowFolder();
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

// The fixed notes, and in the room left under "Select an example file", the folder in use
// and what the window has to say.
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

    folderLabel = AddLabel("Folder", QString(), TwipsRect(120, 4860, 3720, 255), font(), Qt::AlignLeft, text);
    notices = new NoticeBoard(this);
    notices->setGeometry(TwipsRect(120, 5130, 3720, 1290));
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
    folderNotes.clear();
    if (file1->count() == 0) folderNotes << EmptyFolderNotice(workingFolder);
    if (const std::optional<Failure> unreadable = corrections ? corrections->Unreadable() : std::nullopt)
        folderNotes << QStringLiteral("%1. Counts accepted before are not shown.").arg(ForTheWindow(unreadable->message));
}

void Tamrex::UseCorrections(const FolderCorrections& read) {
    corrections = read;
    if (const std::optional<Failure>& unreadable = corrections->Unreadable())
        folderNotes << QStringLiteral("%1. Counts accepted before are not shown.").arg(ForTheWindow(unreadable->message));
    if (countWaiting) {
        const CountShown shown = std::move(*countWaiting);
        countWaiting.reset();
        ShowResult(shown);
    }
    UpdateActions();
    ShowNotes();
}

// The whole path in the tooltip; the label holds as much of its end as fits.
void Tamrex::ShowFolder() {
    const QString path = ToText(workingFolder);
    const QString text = QStringLiteral("Folder: %1").arg(path);
    folderLabel->setText(QFontMetrics(folderLabel->font()).elidedText(text, Qt::ElideMiddle, folderLabel->width() - 2));
    const QString tip = QStringLiteral("The photos of %1 (Ctrl+O opens another folder)").arg(path);
    folderLabel->setToolTip(tip);
    file1->setToolTip(tip);
    ShowNotes();
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
    ShowNotes();
    UpdateActions();
}

std::vector<std::string> Tamrex::ListedPhotos() const {
    std::vector<std::string> photos;
    for (int row = 0; row < file1->count(); ++row) photos.push_back(FileOf(file1->item(row)).string());
    return photos;
}

void Tamrex::SelectPhoto(const QString& name) {
    QListWidgetItem* found = ItemOf(ToPath(name));
    if (!found) {
        photoNote = QStringLiteral("'%1' is not among the photos listed: Tamrex counts the files of the folder whose "
                                   "names end in .jpg or .jpeg. Rename it, then press F5.")
                        .arg(name);
        ShowNotes();
        return;
    }
    file1->setCurrentItem(found);
}

// What the window showed belongs to the old folder; a count under way there is not shown.
void Tamrex::OpenFolder(const std::filesystem::path& folder, const std::filesystem::path& photo) {
    counting.Forget();
    loading.Forget();
    reviewing.reset();
    countWaiting.reset();
    workingFolder = folder;
    corrections.reset();
    correctionsLoading.Load(folder);
    imageFile.clear();
    ClearResults();
    vTotalCount->setText(QStringLiteral("0"));
    photoNote.clear();
    {
        const QSignalBlocker quiet(file1);
        file1->clear();
        ListPhotoFiles();
    }
    ShowFolder();
    UpdateActions();
    if (!photo.empty()) SelectPhoto(ToText(photo));
}

void Tamrex::AskForFolder() {
    auto* dialog = new QFileDialog(this, QStringLiteral("Open a folder of photos"), ToText(workingFolder));
    dialog->setObjectName(QStringLiteral("OpenFolderDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& folder) { OpenFolder(ToPath(folder)); });
    dialog->open();
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
    pictureMenu->addSeparator();
    AddMenuAction(QStringLiteral("Open folder..."), QKeySequence::Open, &Tamrex::AskForFolder);
    AddMenuAction(QStringLiteral("Look for new photos"), Qt::Key_F5, &Tamrex::RescanFolder);
    pictureMenu->addSeparator();
    calibrateAction =
        AddMenuAction(QStringLiteral("Calibrate from corrected photos..."), {}, &Tamrex::OpenCalibration);
    AddMenuAction(QStringLiteral("History..."), QKeySequence(Qt::CTRL | Qt::Key_H), &Tamrex::OpenHistory);
    pictureMenu->addSeparator();
    AddMenuAction(QStringLiteral("Keys and help"), QKeySequence::HelpContents, &Tamrex::ShowHelp);
    connect(pictureMenu, &QMenu::aboutToShow, this, &Tamrex::UpdateActions);
    UpdateActions();
    // The keys that open a context menu open this one, over the line map.
    auto* menuKeys = new QAction(this);
    menuKeys->setShortcuts({QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)});
    addAction(menuKeys);
    connect(menuKeys, &QAction::triggered, this, [this] { ShowPictureMenu(image1->mapToGlobal(image1->rect().center())); });
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

// The count runs off this thread; what is on show stays until its result comes.
void Tamrex::CountBoards() {
    sourcePictureShown = false;
    CountRequest request{workingFolder / imageFile, station.counter, LineMapFile()};
    request.thickness = station.Thickness();
    request.look = station.Look();
    counting.Count(request);
    busyNote = QStringLiteral("Counting %1...").arg(ToText(imageFile));
    setCursor(Qt::BusyCursor);
    ShowNotes();
}

std::filesystem::path Tamrex::LineMapFile() const { return workingFolder / "test.bmp"; }

// Nothing of an earlier count may stay on show as if it belonged to what is shown next.
void Tamrex::ClearResults() {
    ++shownCount;
    lastCount.reset();
    lastIdentity.reset();
    lineMap = QImage();
    lineMapProblem.clear();
    showingOverlay = false;
    image1->Clear();
    image2->Clear();
    label3->clear();
    label3->setToolTip(QString());
    pTime->clear();
    pictureNote.clear();
    correctionNote.clear();
    checkNote.clear();
}

void Tamrex::ShowSourcePicture(const ShownPicture& photo) {
    image2->ShowImage(photo.image);
    photoNote = photo.problem;
    sourcePictureShown = true;
    ShowNotes();
}

void Tamrex::ShowResult(const CountShown& shown) {
    if (!corrections) {
        countWaiting = shown;
        return;
    }
    // The overlay and the review must only ever show the lines of the run on show.
    ++shownCount;
    lastCount.reset();
    lastIdentity = shown.identity;
    correctionNote.clear();
    checkNote.clear();
    pictureNote.clear();
    busyNote.clear();
    lastRecord.reset();
    if (log) lastRecord = log->RecordCount(workingFolder / imageFile, shown.result, station);
    if (!shown.result) {
        ShowFailure(shown.result.error());
    } else {
        ShowCount(*shown.result, shown.lineMap);
        if (!shown.result->warning.empty()) photoNote = DecoderWarningNotice(shown.result->warning);
    }
    UpdateActions();
    ShowNotes();
    emit countShown();
    if (!reviewWhenCounted.isEmpty() && ToText(imageFile) == reviewWhenCounted) {
        reviewWhenCounted.clear();
        OpenReview();
    }
}

void Tamrex::OnIdle() {
    unsetCursor();
    busyNote.clear();
    ShowNotes();
}

// The result line keeps what the rules found; the count shown is the one accepted by
// hand, when there is one for this very photo.
void Tamrex::ShowCount(const CountResult& result, const ShownPicture& map) {
    lastCount = result;
    lineMap = map.image;
    lineMapProblem = map.problem;
    ShowResultLine(QStringLiteral("Detected %1 lines.").arg(result.count()));
    label3->setToolTip(QString());
    vTotalCount->setText(QString::number(result.count()));
    pTime->setText(ProcessTimeText(result.milliseconds));
    ApplyCorrection();
    ShowLineMap();
}

void Tamrex::ShowFailure(const Failure& failure) {
    if (!sourcePictureShown) image2->Clear();
    image1->Clear();
    lineMap = QImage();
    showingOverlay = false;
    const QString message = ForTheWindow(failure.message);
    ShowResultLine(message);
    label3->setToolTip(message);  // the whole of it, should even the smallest size not hold it
    vTotalCount->setText(kNoCount);
    pTime->clear();
}

void Tamrex::ShowResultLine(const QString& text) {
    label3->setFont(FontThatFits(resultLineFont, text, label3->size(), kSmallestMessagePixels));
    label3->setText(text);
}

void Tamrex::ShowNotes() {
    using Tone = NoticeBoard::Tone;
    QList<NoticeBoard::Notice> shown;
    const auto add = [&](const QString& text, Tone tone) {
        if (!text.isEmpty()) shown.push_back({text, tone});
    };
    add(busyNote, Tone::kNote);
    for (const QString& note : folderNotes) add(note, Tone::kWarning);
    add(photoNote, Tone::kWarning);
    add(pictureNote, Tone::kWarning);
    add(correctionNote, correctionTone);
    add(checkNote, Tone::kWarning);
    add(logNote, Tone::kWarning);
    notices->ShowNotices(shown);
}

// Each count opens on its line map; the lines over the photo are drawn off this thread
// for whoever asks for them.
void Tamrex::ToggleOverlay() {
    if (!lastCount) return;
    if (showingOverlay) {
        ShowLineMap();
        UpdateActions();
        return;
    }
    loadingFor = Loading::kOverlay;
    overlayFor = shownCount;
    loading.DrawOverlay(*lastCount);
}

void Tamrex::ShowOverlay(const QImage& overlay) {
    if (loadingFor != Loading::kOverlay || overlayFor != shownCount) return;
    loadingFor = Loading::kNothing;
    image1->ShowImage(overlay);
    pictureNote.clear();
    showingOverlay = true;
    UpdateActions();
    ShowNotes();
}

// A line map that could not be written is drawn from memory, and says so.
void Tamrex::ShowLineMap() {
    image1->ShowImage(lineMap);
    if (lastCount && !lastCount->lineMapWrite) {
        pictureNote = LineMapNotSaved(lastCount->lineMapWrite.error());
    } else {
        pictureNote = lineMapProblem;
    }
    showingOverlay = false;
    ShowNotes();
}

// When the photo cannot be read again, the notice says why and the line map stays; an
// open review goes on with what it has.
void Tamrex::ShowLoadingFailure(const QString& message) {
    if (loadingFor == Loading::kReview && review) {
        review->ShowPhotoProblem(message);
    } else {
        pictureNote = message;
        ShowNotes();
    }
    if (loadingFor == Loading::kReview) {
        reviewing.reset();
        unsetCursor();
    }
    loadingFor = Loading::kNothing;
}

void Tamrex::ShowPictureMenu(const QPoint& where) { pictureMenu->popup(where); }

// A right click anywhere the controls leave it to the window opens the pictures' menu too.
void Tamrex::contextMenuEvent(QContextMenuEvent* event) {
    ShowPictureMenu(event->reason() == QContextMenuEvent::Keyboard ? image1->mapToGlobal(image1->rect().center())
                                                                  : event->globalPos());
    event->accept();
}

void Tamrex::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedPath(event->mimeData())) event->acceptProposedAction();
}

// A folder opens; a photo opens its folder, and is counted.
void Tamrex::dropEvent(QDropEvent* event) {
    const std::optional<std::filesystem::path> dropped = DroppedPath(event->mimeData());
    if (!dropped) return;
    event->acceptProposedAction();
    std::error_code error;
    if (std::filesystem::is_directory(*dropped, error)) {
        OpenFolder(*dropped);
    } else if (dropped->parent_path() == workingFolder) {
        SelectPhoto(ToText(dropped->filename()));
    } else {
        OpenFolder(dropped->parent_path(), dropped->filename());
    }
}

void Tamrex::ShowHelp() {
    auto* help = new QMessageBox(QMessageBox::Information, QStringLiteral("Tamrex MDF Board Counter"), KeysHelp(),
                                 QMessageBox::Close, this);
    help->setObjectName(QStringLiteral("Help"));
    help->setAttribute(Qt::WA_DeleteOnClose);
    help->setTextFormat(Qt::PlainText);
    help->open();
}

void Tamrex::UpdateActions() {
    reviewAction->setEnabled(lastCount.has_value());
    linesAction->setEnabled(lastCount.has_value());
    linesAction->setText(showingOverlay ? QStringLiteral("Show the line map")
                                        : QStringLiteral("Show lines on the photo"));
    const std::size_t corrected = corrections ? corrections->Corrected(ListedPhotos()).size() : 0;
    const bool enough = corrected >= kLeastCorrectedPhotos;
    calibrateAction->setEnabled(enough);
    calibrateAction->setText(enough ? QStringLiteral("Calibrate from corrected photos...")
                                    : QStringLiteral("Calibrate from corrected photos (needs %1, %2 so far)")
                                          .arg(kLeastCorrectedPhotos)
                                          .arg(corrected));
}

// The correction of the photo on show, if it was accepted for what the photo holds now.
const Correction* Tamrex::AcceptedForShownPhoto() const {
    const Correction* accepted = corrections ? corrections->Find(imageFile.string()) : nullptr;
    if (!accepted || !accepted->photo.Known()) return accepted;
    return lastIdentity && *lastIdentity == accepted->photo ? accepted : nullptr;
}

// Once a count is accepted by hand, the check's doubts have been answered.
void Tamrex::ApplyCorrection(const Outcome& kept) {
    correctionNote.clear();
    correctionTone = NoticeBoard::Tone::kNote;
    checkNote = lastCount ? CheckNotice(*lastCount) : QString();
    if (!lastCount) return;
    if (const Correction* accepted = AcceptedForShownPhoto()) {
        vTotalCount->setText(QString::number(accepted->count));
        correctionNote = CorrectionNote(*accepted, lastCount->count(), kept);
        if (!kept) correctionTone = NoticeBoard::Tone::kWarning;
        checkNote.clear();
    } else if (const Correction* outdated = corrections ? corrections->Find(imageFile.string()) : nullptr) {
        correctionNote = ChangedPhotoNote(*outdated);
        correctionTone = NoticeBoard::Tone::kWarning;
    }
}

// The photo is read again off this thread; the review opens on a shrunk copy of it.
void Tamrex::OpenReview() {
    if (!lastCount || reviewing || review) return;
    reviewing = Reviewed{*lastCount, imageFile, lastIdentity, lastRecord, 0};
    loadingFor = Loading::kReview;
    setCursor(Qt::BusyCursor);
    loading.LoadForReview(*lastCount, lastIdentity);
}

void Tamrex::ShowReview(const PhotoPyramid& preview) {
    if (!reviewing) return;
    Reviewed reviewed = std::move(*reviewing);
    reviewing.reset();
    reviewed.photoHeight = preview.PhotoSize().height();
    if (preview.Sharp()) loadingFor = Loading::kNothing;
    if (!counting.Busy()) unsetCursor();
    const Correction* accepted = corrections ? corrections->Find(reviewed.file.string()) : nullptr;
    const bool sameContent = accepted && (!accepted->photo.Known() ||
                                          (reviewed.identity && *reviewed.identity == accepted->photo));
    review = new ReviewWindow(reviewed.count, preview, ToText(reviewed.file), sameContent ? accepted : nullptr, this);
    review->setAttribute(Qt::WA_DeleteOnClose);
    connect(review, &ReviewWindow::countAccepted, this, [this, reviewed] {
        if (review) AcceptReview(reviewed, review->Verdict());
    });
    connect(review, &ReviewWindow::evidenceAsked, this, [this, reviewed] {
        if (review) ExportReviewEvidence(*review, reviewed);
    });
    review->SetStationLook(station.Look(), !settingsFile.empty());
    connect(review, &ReviewWindow::frameKept, this, &Tamrex::KeepFrameForStation);
    review->open();
    emit reviewOpened();
}

// Accept with nothing changed confirms what is on show: a count accepted before stands
// unwritten; a count never accepted is recorded as checked.
void Tamrex::AcceptReview(const Reviewed& reviewed, const ReviewVerdict& verdict) {
    // The log keeps every acceptance; a second look's count has no lines of the review's.
    if (log && reviewed.record)
        log->RecordCorrection(*reviewed.record, verdict.boards,
                              verdict.kind == ReviewVerdict::Kind::kSecondLook ? std::vector<ReviewLine>{} : verdict.lines,
                              reviewed.photoHeight);
    if (!corrections) return;  // a review opens on a count on show, which waits for them
    const Correction* before = corrections->Find(reviewed.file.string());
    const bool stands = before && (!before->photo.Known() || (reviewed.identity && *reviewed.identity == before->photo));
    if (verdict.kind == ReviewVerdict::Kind::kUnchanged && stands) return;
    const std::vector<AcceptedLine> counted = ToAccepted(CountedLines(reviewed.count, reviewed.photoHeight));
    Correction correction{reviewed.file.string(), verdict.boards, reviewed.count.count(), TimeOfAcceptance()};
    if (verdict.kind == ReviewVerdict::Kind::kSecondLook) {
        correction.kind = Acceptance::kSecondLook;
    } else {
        correction.lines = ToAccepted(verdict.lines);
        correction.kind = correction.lines == counted ? Acceptance::kChecked : Acceptance::kCorrected;
    }
    correction.photo = reviewed.identity.value_or(PhotoIdentity{});
    const Outcome kept = corrections->Accept(std::move(correction));
    if (imageFile == reviewed.file && lastCount) ApplyCorrection(kept);
    UpdateActions();
    ShowNotes();
}

// Not modal: counting goes on while the search runs.
void Tamrex::OpenCalibration() {
    if (calibration && calibration->isVisible()) {
        calibration->raise();
        calibration->activateWindow();
        return;
    }
    if (!corrections) return;
    std::vector<CorrectedPhoto> corrected = corrections->Corrected(ListedPhotos());
    if (corrected.size() < kLeastCorrectedPhotos) return;
    calibration = new CalibrationDialog({std::move(corrected), station, settingsFile}, this);
    calibration->setAttribute(Qt::WA_DeleteOnClose);
    connect(calibration, &CalibrationDialog::settingsApplied, this, &Tamrex::UseCalibratedSettings);
    calibration->show();
}

// The photo on show is counted again with them, so that what is shown is what they count.
void Tamrex::UseCalibratedSettings(const StationSettings& found) {
    station = found;
    CountAgain();
}

// Counts from now on read the second look inside the frame; the photo on show is counted
// again with it, so that its check says what the frame gives.
void Tamrex::KeepFrameForStation(const PhotoFrame& frame) {
    const Expected<std::filesystem::path> backup = ReplaceFrameInSettingsFile(settingsFile, frame, BackupStamp());
    if (!backup) {
        if (review)
            review->ShowFrameKept(QStringLiteral("%1. Counts go on without this frame.").arg(ForTheWindow(backup.error().message)));
        return;
    }
    station.frame = frame;
    if (review)
        review->ShowFrameKept(QStringLiteral("Kept the frame %1 in %2 for every count from now on; the old settings "
                                             "are kept in %3.")
                                  .arg(QString::fromStdString(FrameText(frame)), ToText(settingsFile), ToText(*backup)));
    CountAgain();
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
        connect(history, &HistoryDialog::photoChosen, this, &Tamrex::ReviewChosenPhoto);
    }
    history->show();
    history->raise();
}

// The photo on show is reviewed at once; another, once it has been counted.
void Tamrex::ReviewChosenPhoto(const QString& name) {
    if (lastCount && ToText(imageFile) == name && !counting.Busy()) {
        OpenReview();
        return;
    }
    reviewWhenCounted = name;
    SelectPhoto(name);
    if (ToText(imageFile) != name) reviewWhenCounted.clear();  // not listed: said in the notices
}

void Tamrex::ExportReviewEvidence(ReviewWindow& review, const Reviewed& reviewed) {
    const CountRecord record =
        reviewed.record ? *reviewed.record
                        : RecordOfCount(reviewed.count.photo, reviewed.count,
                                        {settingsFile, station.counter.bdLine, station.counter.threshold,
                                         station.counter.pWidth, station.thickness, {}},
                                        "tamrex", TAMREX_VERSION);
    ExportEvidence(&review, reviewed.count, review.Photo().AtFullSize(), review.Edits(),
                   ReviewEvidenceCaption(record, log ? log->file() : std::filesystem::path(), review.Edits()));
}

}  // namespace tamrex
