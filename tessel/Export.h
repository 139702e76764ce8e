#pragma once

#if defined(_WIN32)
#  if defined(TESSEL_BUILDING)
#    define TESSEL_EXPORT __declspec(dllexport)
#  else
#    define TESSEL_EXPORT __declspec(dllimport)
#  endif
#else
#  define TESSEL_EXPORT __attribute__((visibility("default")))
#endif
