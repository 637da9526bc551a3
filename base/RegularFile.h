#pragma once

#include "base/Expected.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace tamrex {

// What a name leads to once links are followed. Only regular files are ever read: a
// FIFO would block the reader forever and a device such as /dev/zero never ends.
enum class FileKind { kRegular, kFolder, kFifo, kCharacterDevice, kBlockDevice, kSocket, kOther };

// Looks at a file without opening it, so a FIFO or a device is never touched. Fails
// when nothing is there (a missing file, a dangling link, a folder that cannot be searched).
Expected<FileKind> KindOfFile(const std::filesystem::path& file);

// "a FIFO (named pipe)", "a folder", ...: what a person is told a file is.
std::string_view DescribeKind(FileKind kind);

// The whole content of a regular file of at most `mostBytes`. A FIFO, a folder or a
// device is refused before anything is read, and so is a file larger than `mostBytes`.
// `what` names what the file should have been ("photo", "settings file") in the
// failure, which does not name the file: callers say what they were reading.
Expected<std::string> ReadRegularFile(const std::filesystem::path& file, std::size_t mostBytes,
                                      std::string_view what);

// The first `bytes` bytes of a regular file (all of a shorter one), refused as above
// when it is no regular file: enough to read a header without the rest of the file.
Expected<std::string> ReadRegularFileStart(const std::filesystem::path& file, std::size_t bytes,
                                           std::string_view what);

}  // namespace tamrex
