#pragma once

#include "image/Bitmap.h"
#include "counting/CountResult.h"
#include "counting/CounterSettings.h"
#include "image/LoadPhoto.h"
#include "counting/Profile.h"

#include <array>
#include <filesystem>
#include <initializer_list>
#include <string>

namespace tamrex {

class CountObserver;

// What to count and where to put the line map.
struct CountRequest {
    std::filesystem::path photo;
    CounterSettings settings;
    std::filesystem::path lineMapFile;  // empty: no line map is written
    std::uint64_t pixelLimit = kDefaultPixelLimit;  // bigger photos are refused unread
    // The station's board thickness in pixel rows, for the check on the count; 0 when
    // unknown.
    double thickness = 0;
    // What the second look is told: the calibrated pitch, and the frame a person drew.
    LookRequest look{};
};

// The working state of one count run and its stages. A window or a worker thread
// owns one for its whole life; fields keep their values between runs, but no run
// depends on what an earlier one left behind.
struct BoardCounter {
    Expected<CountResult> CountBoards(const CountRequest& request, CountObserver* observer = nullptr);

    // The stages, in the order of a run. They work on the fields below and assume
    // what the run has checked before calling them: a strip of at least one row.
    bool DetectBand();  // false when the picture holds no stack band
    bool CutFreshStrip();  // false when no memory is left for the copy
    void TrimStripEdges(int pass);
    void BuildLineProfile(int pass);
    void RenderLineMap(FIBITMAP* target, std::initializer_list<const Profile*> profiles);
    void CountLineRuns(const Profile& profile);
    void EraseFoundLines(std::initializer_list<const Profile*> profiles);
    void SplitThickRuns();

    CounterSettings settings;

    BitmapHandle sourceImage;
    BitmapHandle binaryImage;
    BitmapHandle stripImage;
    BitmapHandle pristineStrip;  // the first strip as cut, the source of every fresh strip
    FIBITMAP* markImage = nullptr;  // the strip the last rendering drew into; owns nothing

    int imgWidth = 0;
    int imgHeight = 0;
    int bandLower = 0;
    int bandUpper = 0;

    Profile rowProfile;
    Profile lineProfile1;
    Profile lineProfile2;
    Profile lineProfile3;
    Profile lineProfile4;

    int passLines = 0;
    int lineTotal = 0;
    std::array<int, 4> linesPerPass{};  // passLines of each pass of the last run

    // The four passes over the strip DetectBand cut, in the order of a run: fills in
    // the pass counts and lines of `result`, and leaves the line map in markImage.
    // False when no memory is left for a fresh strip.
    bool RunPasses(CountResult& result);

    // The order of the passes, in one place for the count run and the calibration
    // sweep. Passes 1 to 3 on fresh strips, optionally without drawing each pass's
    // lines into its strip: the strip is replaced before anything reads them.
    enum class Rendering { EachPass, None };
    bool RunSearchPasses(Rendering rendering);
    // Pass 4 on a strip that holds the line map of passes 1 to 3.
    void RunSplitPass(Rendering rendering);

    // The runs a profile marks among the strip's rows, bottom-up.
    std::vector<LineRun> RunsOf(const Profile& profile) const;

private:
    Expected<CountResult> CountPhoto(const CountRequest& request, CountObserver* observer);
    Outcome WriteLineMap(const CountRequest& request);
    void SearchPass(int pass, Profile& profile, Rendering rendering);
    void WhitenBlock(const Profile& profile, int& rowY);
};

}  // namespace tamrex
