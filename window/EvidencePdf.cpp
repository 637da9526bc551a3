#include "window/EvidencePdf.h"

#include "record/CountRecord.h"
#include "record/EvidenceText.h"
#include "window/CountLinesLayer.h"
#include "window/PathText.h"
#include "window/PhotoView.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace tamrex {
namespace {

constexpr int kStripLeft = 4;  // the strip leaves out the photo's four leftmost columns
constexpr int kResolution = 150;  // dots per inch of the page: the photo keeps its detail
constexpr double kCaptionPoints = 8;

QRect StripArea(const CountResult& count, int photoHeight) {
    const RowSpan rows = StripRows(count, photoHeight);
    return {kStripLeft, rows.top, count.stripWidth, rows.bottom - rows.top + 1};
}

}  // namespace

Outcome WriteEvidencePdf(const QString& file, const CountResult& count, const QImage& photo, const LineEdits& edits,
                         const std::vector<std::string>& caption) {
    QPdfWriter pdf(file);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(kResolution);
    pdf.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    pdf.setTitle(QStringLiteral("Evidence of the count of %1").arg(QFileInfo(ToText(count.photo)).fileName()));
    pdf.setCreator(QStringLiteral("Tamrex Board Counter"));
    QPainter painter;
    if (!painter.begin(&pdf)) {
        return Fail("cannot write evidence '" + file.toStdString() +
                    "': the file cannot be made there: choose a folder you may write to");
    }
    const QRect page = painter.viewport();
    QFont font = painter.font();
    font.setPointSizeF(kCaptionPoints);
    painter.setFont(font);
    const int lineHeight = painter.fontMetrics().lineSpacing();
    const int captionHeight = lineHeight * (static_cast<int>(caption.size()) + 1);

    // The photo as large as the page leaves room for above the caption.
    const QSize room(page.width(), page.height() - captionHeight);
    const QSize drawn = photo.size().scaled(room, Qt::KeepAspectRatio);
    const PhotoView view{photo.size(), drawn, FitZoom(photo.size(), drawn), {}};
    painter.drawImage(QRect(QPoint(0, 0), drawn), photo);
    painter.save();
    painter.setClipRect(QRect(QPoint(0, 0), drawn));
    CountLinesLayer(edits, StripArea(count, photo.height())).Paint(painter, view);
    painter.restore();

    painter.setPen(Qt::black);
    int baseline = drawn.height() + lineHeight * 2;
    for (const std::string& line : caption) {
        painter.drawText(QRect(0, baseline - lineHeight, page.width(), lineHeight * 2),
                         Qt::TextWrapAnywhere, QString::fromStdString(line));
        baseline += lineHeight;
    }
    if (!painter.end()) return Fail("cannot write evidence '" + file.toStdString() + "': writing it failed");
    return {};
}

std::vector<std::string> ReviewEvidenceCaption(const CountRecord& record, const std::filesystem::path& logFile,
                                               const LineEdits& edits) {
    CountRecord now = record;
    if (Expected<PhotoFacts> facts = ReadPhotoFacts(record.photo)) {
        now.facts = std::move(*facts);
    } else {
        now.factsError = "cannot read the photo again: " + facts.error().message;
    }
    std::vector<std::string> caption = EvidenceLines(now, logFile.empty() ? std::nullopt : AcceptedInLog(logFile, now));
    caption.push_back("Lines shown: " + std::to_string(edits.Lines().size()) + ", " + std::to_string(edits.Boards()) +
                      " boards, numbered from the bottom");
    return caption;
}

void ExportEvidence(QWidget* parent, const CountResult& count, const QImage& photo, const LineEdits& edits,
                    const std::vector<std::string>& caption) {
    const QFileInfo counted(ToText(count.photo));
    const QString file = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Export evidence"),
        counted.dir().filePath(counted.completeBaseName() + QStringLiteral("-evidence.pdf")),
        QStringLiteral("PDF (*.pdf)"));
    if (file.isEmpty()) return;
    if (const Outcome written = WriteEvidencePdf(file, count, photo, edits, caption); !written) {
        QMessageBox::warning(parent, QStringLiteral("Export evidence"), QString::fromStdString(written.error().message));
    }
}

}  // namespace tamrex
