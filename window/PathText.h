#pragma once

#include <QFile>
#include <QString>

#include <filesystem>

namespace tamrex {

// File names are bytes to the counting code and text to Qt; these keep a name that is
// not valid UTF-8 the same file on its way through both.
inline std::filesystem::path ToPath(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

inline QString ToText(const std::filesystem::path& path) { return QFile::decodeName(path.c_str()); }

}  // namespace tamrex
