#include "window/SettingsReplacement.h"

#include "base/Quoted.h"
#include "base/ReplaceFile.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsFileWriter.h"

#include <QDateTime>

#include <algorithm>
#include <regex>
#include <sstream>

namespace tamrex {
namespace {

std::filesystem::path Beside(const std::filesystem::path& real, const std::string& suffix) {
    return real.string() + suffix;
}

// A second change within the same second gets a name of its own.
std::filesystem::path FreeBackupName(const std::filesystem::path& real, const std::string& stamp) {
    std::filesystem::path backup = Beside(real, "." + stamp + ".bak");
    for (int again = 2; std::filesystem::exists(backup); ++again)
        backup = Beside(real, "." + stamp + "-" + std::to_string(again) + ".bak");
    return backup;
}

// The dated backups of this file, oldest first: their names sort as their dates do.
std::vector<std::filesystem::path> DatedBackups(const std::filesystem::path& real) {
    const std::regex dated(R"(\.\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d(-\d+)?\.bak)");
    const std::string name = real.filename().string();
    std::vector<std::filesystem::path> backups;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(real.parent_path(), error)) {
        const std::string other = entry.path().filename().string();
        if (other.size() > name.size() && other.compare(0, name.size(), name) == 0 &&
            std::regex_match(other.substr(name.size()), dated))
            backups.push_back(entry.path());
    }
    std::sort(backups.begin(), backups.end());
    return backups;
}

// Older backups than the last few go; one that cannot is left, which does no harm.
void PruneBackups(const std::filesystem::path& real) {
    const std::vector<std::filesystem::path> backups = DatedBackups(real);
    if (backups.size() <= kKeptBackups) return;
    std::error_code ignored;
    for (std::size_t old = 0; old + kKeptBackups < backups.size(); ++old) std::filesystem::remove(backups[old], ignored);
}

Outcome Keep(const std::filesystem::path& backup, const std::string& content, const std::filesystem::path& real) {
    if (Outcome kept = ReplaceFileWith(backup, content); !kept)
        return Fail("cannot keep the old settings as " + Quoted(backup) + ": " + kept.error().message +
                    "; the settings file " + Quoted(real) + " is left as it was");
    return {};
}

// The file's comment lines, as the settings writer takes them back.
std::vector<std::string> CommentsOf(const std::string& text) {
    std::vector<std::string> comments;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() != ';') continue;
        line.erase(0, line.compare(0, 2, "; ") == 0 ? 2 : 1);
        comments.push_back(line);
    }
    return comments;
}

}  // namespace

Expected<std::filesystem::path> ReplaceSettingsFile(const std::filesystem::path& file,
                                                    const StationSettings& settings,
                                                    const std::vector<std::string>& comments,
                                                    const std::string& stamp) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(file, error);
    if (error)
        return Fail("cannot write settings file " + Quoted(file) + ": " + error.message() +
                    ": check that it still exists, or start Tamrex with --ini on the file to use");
    const Expected<std::string> old = ReadSettingsText(real);
    if (!old) return Fail(old.error().message + "; the settings file is left as it was");
    const std::filesystem::path original = Beside(real, ".original");
    if (!std::filesystem::exists(original, error))
        if (Outcome kept = Keep(original, *old, real); !kept) return tl::unexpected(kept.error());
    const std::filesystem::path backup = FreeBackupName(real, stamp);
    if (Outcome kept = Keep(backup, *old, real); !kept) return tl::unexpected(kept.error());
    if (Outcome written = WriteSettingsFile(real, settings, comments); !written)
        return Fail(written.error().message + "; the old settings are in " + Quoted(backup) + " too");
    PruneBackups(real);
    return backup;
}

Expected<std::filesystem::path> ReplaceFrameInSettingsFile(const std::filesystem::path& file, const PhotoFrame& frame,
                                                           const std::string& stamp) {
    const Expected<std::string> text = ReadSettingsText(file);
    if (!text) return Fail(text.error().message + "; the frame is not kept");
    Expected<StationSettings> settings = ParseStationSettings(*text, file.string());
    if (!settings) return Fail(settings.error().message + ": fix the file, then keep the frame again");
    settings->frame = frame;
    return ReplaceSettingsFile(file, *settings, CommentsOf(*text), stamp);
}

std::string BackupStamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")).toStdString();
}

}  // namespace tamrex
