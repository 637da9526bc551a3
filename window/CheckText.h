#pragma once

#include "counting/CountResult.h"

#include <QString>

namespace tamrex {

// The check on a count in words, for the review window: the stack's height in boards, when
// a board thickness is known, and every reason to look at the count again, each a sentence
// that says what to look for.
QString CheckText(const CountResult& count);

// The same for the notice beside the main window's line map: "" for a count that looks
// regular, else the count's reasons to look again and where to look.
QString CheckNotice(const CountResult& count);

}  // namespace tamrex
