#pragma once

#include <cstring>

// `--smoke` runs a benchmark program on tiny inputs, once: a check that it still builds and
// runs, with no figure to read.
inline bool takeSmokeFlag(int& argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--smoke") == 0) {
      for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
      --argc;
      return true;
    }
  return false;
}
