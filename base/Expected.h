#pragma once

#include <tl/expected.hpp>

#include <string>
#include <utility>

namespace tamrex {

// Why an operation could not do its job, in words a person can act on: what happened,
// to which file, and what to do about it.
struct Failure {
    std::string message;
};

// Every operation that can fail returns its result or a Failure; nothing else
// carries an error across a library's edge.
template <typename T>
using Expected = tl::expected<T, Failure>;

// For operations that have nothing to return but can fail.
using Outcome = Expected<void>;

inline tl::unexpected<Failure> Fail(std::string message) { return tl::unexpected(Failure{std::move(message)}); }

}  // namespace tamrex
