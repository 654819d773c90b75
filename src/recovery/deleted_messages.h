#pragma once

#include <string>

#include "recovery/recovery_scan.h"
#include "store/uoexpress.h"

namespace dorvane {

// The messages a folder file still holds but no longer lists. Deleting a message only
// takes it out of the index; its text stays in the file until the folder is compacted.
// Appends, in file order, each record the recovery scan salvages whose DataOffset is not
// the DataOffset of any message record the file's index reaches. Throws
// platform::PlatformError when the file cannot be opened.
void FindDeletedMessages(ReaderState& reader, const std::string& path, MessageList& list,
                         ScanObserver& observer);

}  // namespace dorvane
