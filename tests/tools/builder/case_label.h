#pragma once

// Shows a table case by its label in test output instead of as raw bytes.

#include <ostream>

namespace quillwen::build {
namespace {

template <typename Case>
requires requires(const Case& c) { c.label; }
void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }

}  // namespace
}  // namespace quillwen::build
