#pragma once

#include <QString>
#include <QStringList>

namespace tamrex {

// The photos a folder offers for counting: files named "*.jpg" in any letter case, hidden
// files left out, sorted by name regardless of case.
QStringList ListPhotos(const QString& folder);

}  // namespace tamrex
