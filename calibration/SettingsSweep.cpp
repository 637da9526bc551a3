#include "calibration/SettingsSweep.h"

#include "image/Binarize.h"

#include <algorithm>
#include <limits>
#include <new>

namespace tamrex {
namespace {

void Need(bool allocated) {
    if (!allocated) throw std::bad_alloc();
}

std::vector<bool> MarkedRows(const BoardCounter& counter) {
    std::vector<bool> marked(static_cast<std::size_t>(counter.imgHeight));
    for (int row = 0; row < counter.imgHeight; ++row) {
        marked[row] = counter.lineProfile1[row] > 0 || counter.lineProfile2[row] > 0 ||
                      counter.lineProfile3[row] > 0;
    }
    return marked;
}

void AddCentres(const BoardCounter& counter, const Profile& profile, std::vector<double>& centres) {
    for (const LineRun& run : counter.RunsOf(profile)) centres.push_back((run.firstRow + run.lastRow) / 2.0);
}

std::vector<double> SearchedCentres(const BoardCounter& counter) {
    std::vector<double> centres;
    for (const Profile* profile : {&counter.lineProfile1, &counter.lineProfile2, &counter.lineProfile3})
        AddCentres(counter, *profile, centres);
    std::sort(centres.begin(), centres.end());
    return centres;
}

// Walks both ascending lists of centres as one.
GapSpan GapsBetween(const std::vector<double>& searched, const std::vector<double>& split, int stripHeight) {
    GapSpan span{std::numeric_limits<double>::infinity(), 0};
    double previous = -0.5;
    const auto reach = [&](double centre) {
        span.narrowest = std::min(span.narrowest, centre - previous);
        span.widest = std::max(span.widest, centre - previous);
        previous = centre;
    };
    auto s = searched.begin();
    auto p = split.begin();
    while (s != searched.end() || p != split.end()) {
        const bool searchedNext = p == split.end() || (s != searched.end() && *s <= *p);
        reach(searchedNext ? *s++ : *p++);
    }
    reach(stripHeight - 0.5);
    return span;
}

}  // namespace

bool SettingsSweep::CountAt(int threshold, const std::vector<int>& bdLines, const std::vector<int>& pWidths,
                            std::vector<SweptCount>& counts) {
    counts.clear();
    if (!CutBand(threshold)) return false;
    counts.resize(bdLines.size() * pWidths.size());
    std::vector<int> splitLines(pWidths.size());
    std::vector<bool> linesOfLastSplit;
    for (std::size_t b = 0; b < bdLines.size(); ++b) {
        const int lines = LinesOfFirstThreePasses(bdLines[b]);
        std::vector<bool> marked = MarkedRows(counter_);
        // Neighbouring BDLINE values mostly find the same lines; pass 4 then agrees too.
        if (b == 0 || marked != linesOfLastSplit) {
            SplitLinesFound(pWidths, splitLines);
            linesOfLastSplit = std::move(marked);
        }
        const std::vector<double> searched = SearchedCentres(counter_);
        for (std::size_t p = 0; p < pWidths.size(); ++p) {
            counts[b * pWidths.size() + p] = {lines + splitLines[p] + 1, splitLines[p],
                                              GapsBetween(searched, splitCentres_[p], counter_.imgHeight)};
        }
    }
    return true;
}

bool SettingsSweep::CutBand(int threshold) {
    counter_.settings.threshold = static_cast<std::int16_t>(threshold);
    counter_.binaryImage = ThresholdPhoto(grey_, static_cast<BYTE>(threshold));
    Need(counter_.binaryImage != nullptr);
    counter_.imgWidth = static_cast<int>(FreeImage_GetWidth(counter_.binaryImage.get()));
    counter_.imgHeight = static_cast<int>(FreeImage_GetHeight(counter_.binaryImage.get()));
    const bool band = counter_.DetectBand();
    counter_.binaryImage.reset();
    return band;
}

int SettingsSweep::LinesOfFirstThreePasses(int bdLine) {
    counter_.settings.bdLine = static_cast<std::int16_t>(bdLine);
    Need(counter_.RunSearchPasses(BoardCounter::Rendering::None));
    return counter_.lineTotal;
}

void SettingsSweep::SplitLinesFound(const std::vector<int>& pWidths, std::vector<int>& splitLines) {
    splitter_.imgWidth = 1;
    splitter_.imgHeight = counter_.imgHeight;
    splitter_.stripImage.reset(FreeImage_Allocate(1, counter_.imgHeight, 1));
    Need(splitter_.stripImage != nullptr);
    splitter_.RenderLineMap(splitter_.stripImage.get(),
                            {&counter_.lineProfile1, &counter_.lineProfile2, &counter_.lineProfile3});
    splitCentres_.resize(pWidths.size());
    for (std::size_t p = 0; p < pWidths.size(); ++p) {
        splitter_.settings.pWidth = static_cast<std::int16_t>(pWidths[p]);
        splitter_.RunSplitPass(BoardCounter::Rendering::None);
        splitLines[p] = splitter_.passLines;
        splitCentres_[p].clear();
        AddCentres(splitter_, splitter_.lineProfile4, splitCentres_[p]);
    }
}

}  // namespace tamrex
