#include "tests/window/WindowWaits.h"

#include "window/ReviewWindow.h"
#include "window/Tamrex.h"

#include <QApplication>
#include <QTest>

namespace tamrex::testing {
namespace {

constexpr int kPatienceMs = 60000;  // a bound for a hung count, not a speed

}  // namespace

bool WaitUntilIdle(const Tamrex& window) {
    return QTest::qWaitFor([&] { return !window.Busy(); }, kPatienceMs);
}

ReviewWindow* OpenReview() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* review = qobject_cast<ReviewWindow*>(widget); review && review->isVisible()) return review;
    }
    return nullptr;
}

ReviewWindow* WaitForReview() {
    const bool opened = QTest::qWaitFor([] { return OpenReview() != nullptr; }, kPatienceMs);
    return opened ? OpenReview() : nullptr;
}

}  // namespace tamrex::testing
