#pragma once

#include <cstddef>

namespace dorvane::testing {

// The largest single allocation made through operator new while an object of this class
// lives. The scan must never hold a copy of the file: a whole-file buffer or a window
// copied out of the mapping shows up here.
class LargestAllocation {
  public:
    LargestAllocation();
    ~LargestAllocation();
    LargestAllocation(const LargestAllocation&) = delete;
    LargestAllocation& operator=(const LargestAllocation&) = delete;

    std::size_t Bytes() const;
};

}  // namespace dorvane::testing
