#pragma once

class QWidget;

namespace tamrex {
class ReviewWindow;
class Tamrex;
}  // namespace tamrex

namespace tamrex::testing {

// The window counts and reads photos off its thread: these wait, handling events, until it
// is done, or for longer than anything on the tests' small photos takes. False if it never is.
bool WaitUntilIdle(const Tamrex& window);

// The review window open, once it has opened; none if none opens.
ReviewWindow* WaitForReview();
// The review open now, without waiting.
ReviewWindow* OpenReview();

}  // namespace tamrex::testing
