#pragma once

#include "counting/CountResult.h"

#include <QString>

namespace tamrex {

// The check on a count in words, for the review window: the stack's height in boards, when
// a board thickness is known, the second look's count or why it has none, and every reason
// to look at the count again, each a sentence that says what to look for.
QString CheckText(const CountResult& count);

// The same in one line of numbers for the main window: "" for a count that looks regular,
// else "Check this count of 117 (F2): the second look counts 30; the stack is 29.8 boards
// high."
QString CheckNotice(const CountResult& count);

}  // namespace tamrex
