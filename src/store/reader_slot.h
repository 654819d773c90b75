#pragma once

#include <string>

#include "store/uoexpress.h"

namespace dorvane {

// Holds a file in the reader's open-file slot for the length of one operation and closes
// it again however the operation ends.
class OpenFileSlot {
  public:
    OpenFileSlot(ReaderState& reader, const std::string& path, platform::ShareMode share,
                 platform::SizeQuery size = platform::SizeQuery::AtOpen)
        : reader_(reader) {
        reader_.OpenFile.reset();
        reader_.OpenFile.emplace(path, share, size);
    }
    ~OpenFileSlot() { reader_.OpenFile.reset(); }
    OpenFileSlot(const OpenFileSlot&) = delete;
    OpenFileSlot& operator=(const OpenFileSlot&) = delete;

    platform::ReadOnlyFile& File() { return *reader_.OpenFile; }

  private:
    ReaderState& reader_;
};

}  // namespace dorvane
