#include "window/LineMapImage.h"

namespace tamrex {

QImage LineMapImage(const CountResult& result) {
    QImage map(result.stripWidth, result.stripHeight, QImage::Format_Mono);
    if (map.isNull()) return map;
    map.setColor(0, qRgb(0, 0, 0));
    map.setColor(1, qRgb(255, 255, 255));
    map.fill(1);
    for (const std::vector<LineRun>& runs : result.lineRuns) {
        for (const LineRun& run : runs) {
            // Strip rows count from the bottom, image rows from the top.
            for (int row = run.firstRow; row <= run.lastRow; ++row) {
                uchar* line = map.scanLine(result.stripHeight - 1 - row);
                std::fill(line, line + map.bytesPerLine(), uchar(0));
            }
        }
    }
    return map;
}

}  // namespace tamrex
