#pragma once

// One export macro for the tabulon library: symbols are hidden by default and only what
// carries TABULON_EXPORT is visible to hosts.
#if defined(_WIN32)
#  if defined(TABULON_BUILDING)
#    define TABULON_EXPORT __declspec(dllexport)
#  else
#    define TABULON_EXPORT __declspec(dllimport)
#  endif
#else
#  define TABULON_EXPORT __attribute__((visibility("default")))
#endif
