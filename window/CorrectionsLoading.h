#pragma once

#include "window/FolderCorrections.h"
#include "window/LatestJobLane.h"

#include <QObject>

#include <filesystem>

namespace tamrex {

// Reads a folder's corrections file off the window's thread, beside the first count, so
// that a file of tens of thousands of rows holds up neither the window nor that count.
// Only the folder asked for last is told of, on the window's thread.
class CorrectionsLoading : public QObject {
    Q_OBJECT

public:
    explicit CorrectionsLoading(QObject* parent = nullptr);

    void Load(const std::filesystem::path& folder);
    bool Busy() const { return lane.Busy(); }

signals:
    void loaded(const tamrex::FolderCorrections& corrections);

private:
    LatestJobLane lane{this};
};

}  // namespace tamrex
