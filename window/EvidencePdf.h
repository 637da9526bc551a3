#pragma once

#include "base/Expected.h"
#include "counting/CountResult.h"
#include "window/LineEdits.h"

#include <QImage>
#include <QString>

#include <filesystem>

#include <string>
#include <vector>

class QWidget;

namespace tamrex {

struct CountRecord;

// One A4 page through Qt's PDF writer: the photo with the lines of `edits` drawn across
// the strip and numbered from the bottom, as the review shows them, and under it
// `caption`, one line each (see EvidenceLines). The failure names the file.
Outcome WriteEvidencePdf(const QString& file, const CountResult& count, const QImage& photo, const LineEdits& edits,
                         const std::vector<std::string>& caption);

// The caption of the evidence of a count in review: what the log keeps of it and of its
// latest acceptance, with the photo's SHA-256 as it is now, and the boards the lines on
// show make.
std::vector<std::string> ReviewEvidenceCaption(const CountRecord& record, const std::filesystem::path& logFile,
                                               const LineEdits& edits);

// Asks where to write the evidence, writes it, and says so if it could not.
void ExportEvidence(QWidget* parent, const CountResult& count, const QImage& photo, const LineEdits& edits,
                    const std::vector<std::string>& caption);

}  // namespace tamrex
