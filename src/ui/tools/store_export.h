#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "store/uoexpress.h"

namespace dorvane {

// How an export run went. A message whose file cannot be written is skipped without
// stopping the run or shifting later numbers, but it is counted, so the run can say so.
struct ExportTally {
    std::size_t Written = 0;
    std::size_t WriteFailures = 0;
    std::string FirstFailedPath;
    std::size_t Files = 0;         // mail files read (batch)
    std::size_t ReadFailures = 0;  // mail files that could not be read (batch)
    std::size_t Recovered = 0;     // messages salvaged from files whose index gave none

    void Add(const ExportTally& other);
};

// Called after each message with the number handled so far; false stops the run (Cancel).
using ExportProgress = std::function<bool(std::size_t done, std::size_t total)>;

// Writes the messages at the given rows of list, in that order, into directory as
// "<n>_<name>.eml" with n counting from 1, reading their text from mailFile as listed or
// as salvaged. Read errors (the mail file cannot be opened) end the run by exception.
ExportTally ExtractMessages(ReaderState& reader, const std::string& mailFile, bool recoveredMode,
                            const MessageList& list, const std::vector<std::size_t>& rows,
                            const std::string& directory, const ExportProgress& progress = {});

// "1 message could not be written." or "N messages could not be written.", then the first
// path that failed on a line of its own; empty when every file was written.
std::string WriteFailureNotice(const ExportTally& tally);

// Batch Mode's Start for one row. A catalogue exports each folder that has a file, read
// from the catalogue's own directory, into a subdirectory of saveTo named after the folder;
// any other file exports its messages into saveTo. A file whose index yields no message is
// scanned as Recover does and its salvaged messages are exported. A file that cannot be
// opened is counted, and the run goes on.
ExportTally ExportBatchRow(ReaderState& reader, const std::string& source,
                           const std::string& saveTo);

// The notice at the end of a batch run.
std::string BatchNotice(const ExportTally& tally);

}  // namespace dorvane
