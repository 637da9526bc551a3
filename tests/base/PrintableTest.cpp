#include "base/Quoted.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

// A name with a line break would start a forged line of a report; escape sequences,
// raw or as C1 controls, would drive the terminal. Valid UTF-8 names stay readable.
TEST(Printable, EscapesWhatCouldDriveATerminalAndKeepsEveryOtherNameAsItIs) {
    const std::pair<std::string, std::string> cases[] = {
        {"stack.jpg", "stack.jpg"},
        {"café, 日本 and 🪵.jpg", "café, 日本 and 🪵.jpg"},
        {"a.jpg: count 99\nb.jpg", "a.jpg: count 99\\nb.jpg"},
        {"cr\rtab\tdel\x7f", "cr\\rtab\\tdel\\x7f"},
        {"\x1b[2J\x1b]0;title\x07", "\\x1b[2J\\x1b]0;title\\x07"},
        {"csi \xc2\x9b" "31m", "csi \\xc2\\x9b31m"},              // U+009B, the C1 form of ESC [
        {"nbsp\xc2\xa0ok", "nbsp\xc2\xa0ok"},                      // U+00A0 is printable
        {"latin1 \xe9t\xe9 \x9b", "latin1 \\xe9t\\xe9 \\x9b"},    // not UTF-8
        {"cut \xe6\x97", "cut \\xe6\\x97"},
        {"surrogate \xed\xa0\x80", "surrogate \\xed\\xa0\\x80"},
        {"overlong \xc0\xaf", "overlong \\xc0\\xaf"},
        {"back\\slash\\n", "back\\\\slash\\\\n"},                 // told apart from an escaped line break
        {std::string("nul\0byte", 8), "nul\\x00byte"},
    };
    for (const auto& [name, printable] : cases) EXPECT_EQ(Printable(name), printable) << name;
    EXPECT_EQ(Quoted("two\nlines.jpg"), "'two\\nlines.jpg'");
}

}  // namespace
}  // namespace tamrex
