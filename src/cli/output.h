#pragma once

namespace dorvane::cli {

// Standard output carries message bytes unchanged: no newline translation on Windows and
// no synchronisation with C stdio to slow it down.
void PrepareBinaryOutput();

}  // namespace dorvane::cli
