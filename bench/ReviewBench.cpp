// Measures the review window on a photo as the window uses it: the processor time (all
// threads) to open it on a shrunk copy and sharpen it once the photo is read whole, and
// to zoom in and out step by step, each step painted. Counting the photo first is not
// measured.
#include "counting/BoardCounter.h"
#include "window/PathText.h"
#include "window/ReviewCanvas.h"
#include "window/ReviewPhoto.h"
#include "window/ReviewWindow.h"

#include <QApplication>
#include <QGuiApplication>

#include <sys/resource.h>

#include <cstdio>
#include <iostream>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double CpuOf(const auto& work) {
    const double start = CpuSeconds();
    work();
    return CpuSeconds() - start;
}

void Paint(tamrex::ReviewWindow& review) {
    review.Canvas()->viewport()->repaint();
    QApplication::processEvents();
}

// Zooms `steps` times the one way, painting each step; the mean processor time per step.
double ZoomSteps(tamrex::ReviewWindow& review, bool in, int steps) {
    return CpuOf([&] {
               for (int step = 0; step < steps; ++step) {
                   if (in) {
                       review.Canvas()->ZoomIn();
                   } else {
                       review.Canvas()->ZoomOut();
                   }
                   Paint(review);
               }
           }) /
           steps;
}

int Measure(const std::filesystem::path& photo, const tamrex::CounterSettings& settings) {
    tamrex::BoardCounter counter;
    const tamrex::Expected<tamrex::CountResult> count = counter.CountBoards({photo, settings, {}});
    if (!count) {
        std::cerr << "review-bench: " << count.error().message << "\n";
        return 1;
    }
    std::unique_ptr<tamrex::ReviewWindow> review;
    double preview = 0, open = 0, whole = 0, sharpen = 0;
    tamrex::Expected<tamrex::PhotoPyramid> first = tamrex::Fail("not read");
    tamrex::Expected<tamrex::PhotoPyramid> full = tamrex::Fail("not read");
    // As the window does it: a shrunk copy first for a big photo, else the photo itself.
    preview = CpuOf([&] { first = tamrex::ReadReviewPreview(*count, std::nullopt); });
    if (!first) {
        std::cerr << "review-bench: " << first.error().message << "\n";
        return 1;
    }
    if (first->Empty()) preview += CpuOf([&] { first = full = tamrex::ReadReviewPhoto(*count); });
    if (!first) {
        std::cerr << "review-bench: " << first.error().message << "\n";
        return 1;
    }
    open = CpuOf([&] {
        review = std::make_unique<tamrex::ReviewWindow>(*count, *first, tamrex::ToText(photo.filename()));
        review->show();
        Paint(*review);
    });
    if (!first->Sharp()) {
        whole = CpuOf([&] { full = tamrex::ReadReviewPhoto(*count); });
        if (!full) {
            std::cerr << "review-bench: " << full.error().message << "\n";
            return 1;
        }
        sharpen = CpuOf([&] {
            review->ShowPhoto(*full);
            Paint(*review);
        });
    }
    constexpr int kSteps = 6;
    review->Canvas()->FitToWindow();
    Paint(*review);
    const double in = ZoomSteps(*review, true, kSteps);
    const double out = ZoomSteps(*review, false, kSteps);
    std::printf("%s: %dx%d; open %s %.3f s (read %.3f, window %.3f); sharpen %.3f s (read %.3f, show %.3f); "
                "all %.3f s of processor time\n",
                photo.filename().c_str(), full->PhotoSize().width(), full->PhotoSize().height(),
                whole > 0 ? "on a shrunk copy" : "on the photo read whole", preview + open, preview, open,
                whole + sharpen, whole, sharpen, preview + open + whole + sharpen);
    std::printf("  zoom in %.4f s, zoom out %.4f s of processor time a step, painted (mean of %d from fit)\n", in,
                out, kSteps);
    // What a zoom step out cost when the whole photo was smoothed down to the new size.
    const QSize fit = review->Canvas()->View().ContentSize();
    const double smoothing = CpuOf([&] {
        (void)full->ForZoom(1).scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    });
    std::printf("  for comparison, smoothing the whole photo to one zoom step: %.4f s\n", smoothing);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::cerr << "usage: review-bench PHOTO... (THRESHOLD 110, BDLINE 320, PWIDTH 24; needs a display, or\n"
                     "QT_QPA_PLATFORM=offscreen)\n";
        return 2;
    }
    QApplication application(argc, argv);
    int status = 0;
    for (int arg = 1; arg < argc; ++arg) status |= Measure(argv[arg], {320, 110, 24});
    return status;
}
