#include "cli/output.h"

#include <cstdio>
#include <iostream>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace dorvane::cli {

void PrepareBinaryOutput() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
}

}  // namespace dorvane::cli
