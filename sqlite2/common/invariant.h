#pragma once

// ENGINE_INVARIANT(condition): a check of one of the engine's own invariants (never of input:
// bad files and bad SQL are reported as errors). In builds without NDEBUG (Debug, and the
// sanitizer builds, which are Debug builds) a broken invariant stops the process at once
// with the condition and its place, so that a test fails where the state went wrong rather
// than later with a damaged file; with NDEBUG (Release, RelWithDebInfo) it compiles to
// nothing and the condition is not evaluated.
//
// A condition changes nothing and asks nothing of the OS layer (whose fault hook counts every
// operation), so that a build with the checks makes the same calls as one without. It holds
// for any file, damaged ones included: the order of a file's keys, say, is the file's
// business, which integrity_check looks at.

namespace sqlite2 {

[[noreturn]] void invariantBroken(const char* condition, const char* file, int line);

}  // namespace sqlite2

#ifdef NDEBUG
#define ENGINE_INVARIANT(condition) static_cast<void>(sizeof(static_cast<bool>(condition)))
#else
#define ENGINE_INVARIANT(condition) \
  ((condition) ? static_cast<void>(0) : ::sqlite2::invariantBroken(#condition, __FILE__, __LINE__))
#endif
