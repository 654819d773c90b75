#pragma once

#include <cstdint>
#include <string_view>

#include "recovery/paged_file.h"
#include "store/uoexpress.h"

namespace dorvane {

// Builds a record for one message range found by the recovery scan from the header lines
// of the raw text: the bytes from firstOffset through limit + 50 (cut at the end of the
// file), searched for From, Reply-To, To, Subject and Date. Always appends exactly one
// record; DataOffset is firstOffset and MsgSize is length.
void SalvageHeaders(PagedFile& file, std::int32_t firstOffset, std::int32_t limit,
                    std::int32_t length, MessageList& list);

// The same on a window already read (zero bytes not yet replaced), for callers and tests
// that hold the bytes themselves.
Toe5_MessageInfo SalvageFromWindow(std::string_view window, std::int32_t firstOffset,
                                   std::int32_t length);

}  // namespace dorvane
