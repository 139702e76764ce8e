#pragma once

// Export macros. Symbols are hidden by default; only what carries one of these is visible to
// hosts. TABULON_CORE_EXPORT marks the Qt Core-only library (values, errors, the attribute
// interface), TABULON_EXPORT the widget library built on it.
#if defined(_WIN32)
#  define TABULON_DECL_EXPORT __declspec(dllexport)
#  define TABULON_DECL_IMPORT __declspec(dllimport)
#else
#  define TABULON_DECL_EXPORT __attribute__((visibility("default")))
#  define TABULON_DECL_IMPORT __attribute__((visibility("default")))
#endif

#if defined(TABULON_CORE_BUILDING)
#  define TABULON_CORE_EXPORT TABULON_DECL_EXPORT
#else
#  define TABULON_CORE_EXPORT TABULON_DECL_IMPORT
#endif

#if defined(TABULON_BUILDING)
#  define TABULON_EXPORT TABULON_DECL_EXPORT
#else
#  define TABULON_EXPORT TABULON_DECL_IMPORT
#endif

// Internal classes that the project's own tests and benchmarks reach are exported only from
// builds that have them (TABULON_AUTOTEST_EXPORTS); a build for shipping keeps them hidden.
#if defined(TABULON_AUTOTEST_EXPORTS)
#  define TABULON_AUTOTEST_EXPORT TABULON_EXPORT
#else
#  define TABULON_AUTOTEST_EXPORT
#endif
