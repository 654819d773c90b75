#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "store/uoexpress.h"

namespace dorvane {

// What the recovery scan tells the one watching it, and asks of it. The window shows a
// progress dialog through it and lets pending events run so its Cancel button works; the
// command line leaves it silent.
class ScanObserver {
  public:
    virtual ~ScanObserver() = default;
    // The scan starts on the named file (its name without the directory).
    virtual void Begin(const std::string& fileName) { (void)fileName; }
    // A progress point: the label shows labelPosition/total, the bar follows scanPosition.
    virtual void Progress(std::int64_t labelPosition, std::int64_t scanPosition,
                          std::int64_t total) {
        (void)labelPosition, (void)scanPosition, (void)total;
    }
    virtual void ProcessPendingEvents() {}
    virtual bool CancelRequested() { return false; }
    // The scan has ended, however it ended.
    virtual void End() {}
};

// The progress bar's position for scan position p of total: from the first three digits of
// each, and only once p has at least three digits and at most one fewer than total;
// otherwise the bar keeps `current`.
int ProgressBarValue(std::int64_t scanPosition, std::int64_t total, int current);

// Scans the raw bytes of a damaged DBX file for message text: each "Date:" inside a run of
// message blocks marks a message, whose range runs back to its first block and on to the
// start of the next message or a run of zero bytes. Appends one salvaged record per range,
// in file order. Opens the file into the reader's slot, sharing it with other programs;
// throws platform::PlatformError("Cannot open file <path>"). Offsets stay below 2^31 - 1:
// in a larger file the scan ends there.
void ScanForMessages(ReaderState& reader, const std::string& path, std::int32_t startOffset,
                     MessageList& list, ScanObserver& observer);

// The same, reading the file in pages of pageBytes. Tests use tiny pages, so that every
// search meets the edges of pages.
void ScanForMessages(ReaderState& reader, const std::string& path, std::int32_t startOffset,
                     MessageList& list, ScanObserver& observer, std::size_t pageBytes);

}  // namespace dorvane
