#include "tests/window/WorkingFolder.h"

#include "counting/BoardCounter.h"
#include "image/Bitmap.h"
#include "window/PathText.h"
#include "tools/photo/StackPhoto.h"

#include <QColor>
#include <QFile>
#include <QImage>

#include <string>

namespace tamrex::testing {

WorkingFolder::~WorkingFolder() {
    std::error_code ignored;
    if (dir.isValid()) std::filesystem::remove_all(path(), ignored);
}

std::filesystem::path WorkingFolder::path() const { return ToPath(dir.path()); }

QString WorkingFolder::AddStackPhoto(const QString& name, int boards, int width, int height) const {
    StackPhotoRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.boards = boards;
    recipe.boardRows = 16;
    recipe.marginTop = recipe.marginBottom = 30;
    std::string error;
    if (WriteStackPhoto(recipe, QFile::encodeName(file(name)).toStdString(), error)) return {};
    return QString::fromStdString(error);
}

QString WorkingFolder::AddTwoStacksPhoto(const QString& name, int left, int right) const {
    constexpr int kWidth = 480, kHeight = 300;
    StackPhotoRecipe leftStack;
    leftStack.width = kWidth;
    leftStack.height = kHeight;
    leftStack.boards = left;
    leftStack.boardRows = 16;
    leftStack.marginTop = leftStack.marginBottom = 30;
    leftStack.leftEnd = 12;
    leftStack.rightEnd = kWidth / 2 - 30;
    StackPhotoRecipe rightStack = leftStack;
    rightStack.boards = right;
    rightStack.boardRows = 12;
    rightStack.leftEnd = kWidth / 2 + 30;
    rightStack.rightEnd = kWidth - 12;
    rightStack.seed = 2;
    const BitmapHandle photo(DrawStackPhoto(leftStack));
    const BitmapHandle other(DrawStackPhoto(rightStack));
    if (!photo || !other) return QStringLiteral("cannot draw the stacks of '%1'").arg(name);
    const BitmapHandle rightHalf(FreeImage_Copy(other.get(), kWidth / 2, 0, kWidth, kHeight));
    if (!rightHalf || !FreeImage_Paste(photo.get(), rightHalf.get(), kWidth / 2, 0, 256) ||
        !FreeImage_Save(FIF_JPEG, photo.get(), QFile::encodeName(file(name)).constData(), 95))
        return QStringLiteral("cannot write the photo '%1'").arg(file(name));
    return {};
}

QString WorkingFolder::AddBandlessPhoto(const QString& name) const {
    QImage row(320, 1, QImage::Format_RGB32);
    row.fill(QColor(200, 200, 200));
    if (row.save(file(name), "JPG")) return {};
    return QStringLiteral("cannot write the photo '%1'").arg(file(name));
}

QString WorkingFolder::AddFile(const QString& name, const QByteArray& content) const {
    QFile out(file(name));
    if (out.open(QIODevice::WriteOnly) && out.write(content) == content.size()) return {};
    return QStringLiteral("cannot write '%1': %2").arg(out.fileName(), out.errorString());
}

StationSettings TestStation() {
    constexpr double kBoardPitch = 16 + 3;  // board rows and gap rows of AddStackPhoto's recipe
    return StationSettings{TestSettings(), kBoardPitch};
}

CounterSettings TestSettings() {
    return CounterSettings{.bdLine = 160, .threshold = 110, .pWidth = 16};
}

Expected<CountResult> CountDirectly(const QString& photo, const CounterSettings& settings,
                          const QString& lineMap) {
    BoardCounter counter;
    return counter.CountBoards(CountRequest{ToPath(photo), settings, ToPath(lineMap)});
}

}  // namespace tamrex::testing
