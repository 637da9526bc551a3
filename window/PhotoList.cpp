#include "window/PhotoList.h"

#include <QDir>

namespace tamrex {

QStringList ListPhotos(const QString& folder) {
    // Name filters ignore letter case unless told otherwise; QDir::Files without
    // QDir::Hidden or QDir::System leaves out dot files, sockets and broken links.
    const QDir dir(folder, QStringLiteral("*.jpg"), QDir::Name | QDir::IgnoreCase, QDir::Files);
    return dir.entryList();
}

}  // namespace tamrex
