#include "window/CorrectionsLoading.h"

namespace tamrex {

CorrectionsLoading::CorrectionsLoading(QObject* parent) : QObject(parent) { lane.setMaxThreadCount(1); }

CorrectionsLoading::~CorrectionsLoading() {
    ++asked;
    lane.waitForDone();
}

void CorrectionsLoading::Load(const std::filesystem::path& folder) {
    const std::uint64_t serial = ++asked;
    ++pending;
    lane.start([this, serial, folder] {
        const FolderCorrections read(folder);
        QMetaObject::invokeMethod(
            this,
            [this, serial, read] {
                --pending;
                if (serial == asked) emit loaded(read);
            },
            Qt::QueuedConnection);
    });
}

}  // namespace tamrex
