#pragma once

// Counting set bits with the processor's popcount instruction where it has one.
// The x86-64 baseline that Debian builds for has none, so the code that counts
// bits in a hot loop is built twice: once for the baseline and once, marked
// QUILLWEN_WITH_POPCOUNT, for processors that have the instruction, and
// ProcessorCountsBits chooses at run time.

namespace quillwen {

#if defined(__x86_64__) || defined(__i386__)
#define QUILLWEN_WITH_POPCOUNT __attribute__((target("popcnt")))
#else
#define QUILLWEN_WITH_POPCOUNT
#endif

inline bool ProcessorCountsBits() {
#if defined(__POPCNT__)
  return true;
#elif defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("popcnt");
#else
  return false;
#endif
}

}  // namespace quillwen
