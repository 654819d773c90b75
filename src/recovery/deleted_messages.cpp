#include "recovery/deleted_messages.h"

#include <algorithm>
#include <vector>

namespace dorvane {

void FindDeletedMessages(ReaderState& reader, const std::string& path, MessageList& list,
                         ScanObserver& observer) {
    FolderList folders;
    MessageList listed;
    ReadDbxIndex(reader, path, &folders, &listed);
    std::vector<std::int32_t> live;
    live.reserve(listed.size());
    for (const auto& message : listed) live.push_back(message->DataOffset);
    std::sort(live.begin(), live.end());

    MessageList found;
    ScanForMessages(reader, path, 80, found, observer);
    for (auto& message : found) {
        if (!std::binary_search(live.begin(), live.end(), message->DataOffset)) {
            list.push_back(std::move(message));
        }
    }
}

}  // namespace dorvane
