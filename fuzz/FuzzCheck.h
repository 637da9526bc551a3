#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tamrex::fuzz {

// A broken invariant must stop the fuzzer with the input that broke it, even in a
// build without asserts; abort() is what libFuzzer records as a crash.
[[noreturn]] inline void Fail(const std::string& what) {
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

// Checks in pixel and row loops test first and build their message only in Fail,
// so that the fuzzer spends its time in the stages.
inline void Require(bool holds, const std::string& what) {
    if (!holds) Fail(what);
}

}  // namespace tamrex::fuzz
