#pragma once

#include "counting/CountResult.h"
#include "settings/StationSettings.h"
#include "counting/CounterSettings.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <filesystem>

namespace tamrex::testing {

// A throw-away working folder for the window, filled with photos drawn to order.
class WorkingFolder {
public:
    WorkingFolder() = default;
    // Removes the folder by its bytes: QTemporaryDir cannot name a file whose name is not
    // UTF-8, and left the folder of such a test behind at every run.
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    bool isValid() const { return dir.isValid(); }
    std::filesystem::path path() const;
    QString file(const QString& name) const { return dir.filePath(name); }

    // A photo of a stack of `boards` boards that TestSettings() counts. "" or why not.
    QString AddStackPhoto(const QString& name, int boards, int width = 320, int height = 240) const;
    // Two stacks side by side, `left` boards in the photo's left half and `right` boards,
    // thinner ones, in its right half. "" or why not.
    QString AddTwoStacksPhoto(const QString& name, int left, int right) const;
    // A JPEG one row high, in which no stack band can lie. "" or why not.
    QString AddBandlessPhoto(const QString& name) const;
    // "" or why not.
    QString AddFile(const QString& name, const QByteArray& content) const;

private:
    QTemporaryDir dir;
};

// Settings under which the photos of AddStackPhoto count as they were drawn.
CounterSettings TestSettings();
// The same with the board pitch of AddStackPhoto's photos, so that their counts look regular.
StationSettings TestStation();

// The photo counted straight by the core, its line map written to `lineMap`: what the
// window must show for it.
Expected<CountResult> CountDirectly(const QString& photo, const CounterSettings& settings,
                          const QString& lineMap);

}  // namespace tamrex::testing
