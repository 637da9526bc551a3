#pragma once

#include "window/FolderCorrections.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <cstdint>
#include <filesystem>

namespace tamrex {

// Reads a folder's corrections file off the window's thread, beside the first count, so
// that a file of tens of thousands of rows holds up neither the window nor that count.
// Only the folder asked for last is told of, on the window's thread.
class CorrectionsLoading : public QObject {
    Q_OBJECT

public:
    explicit CorrectionsLoading(QObject* parent = nullptr);
    ~CorrectionsLoading() override;  // waits for the read under way

    void Load(const std::filesystem::path& folder);
    bool Busy() const { return pending > 0; }

signals:
    void loaded(const tamrex::FolderCorrections& corrections);

private:
    QThreadPool lane;
    std::atomic<std::uint64_t> asked{0};
    int pending = 0;
};

}  // namespace tamrex
