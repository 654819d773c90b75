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
    std::size_t Recovered = 0;     // of Written: salvaged from files whose index gave none
    std::size_t Unchanged = 0;     // already written by an earlier run, left alone (update)
    std::size_t Folders = 0;       // folders of a catalogue exported

    void Add(const ExportTally& other);
};

struct ExportSettings {
    // Leave alone what an earlier run wrote: a message whose bytes some .eml file of the
    // directory already holds is not written again, and a new message whose name is taken
    // gets a free one instead of replacing that file. An mbox file already holding exactly
    // the bytes is not rewritten.
    bool Update = false;
    // One mbox file instead of numbered .eml files.
    bool Mbox = false;
    // Threads writing the files of a run without a progress watcher; 0 for as many as
    // the machine has cores, up to 4.
    std::size_t Writers = 0;
};

// Called after each message with the number handled so far; false stops the run (Cancel).
using ExportProgress = std::function<bool(std::size_t done, std::size_t total)>;

// Writes the messages at the given rows of list, in that order, into directory as
// "<n>_<name>.eml" with n counting from 1, reading their text from mailFile as listed or
// as salvaged. Each file gets its message's received time as its modification time. Read
// errors (the mail file cannot be opened) end the run by exception.
ExportTally ExtractMessages(ReaderState& reader, const std::string& mailFile, bool recoveredMode,
                            const MessageList& list, const std::vector<std::size_t>& rows,
                            const std::string& directory, const ExportProgress& progress = {},
                            const ExportSettings& settings = {});

// The same messages, in the same order, as one mbox file at path, written whole to a
// temporary file beside it first so a failed run never leaves half a mailbox in its place.
ExportTally ExportMboxFile(ReaderState& reader, const std::string& mailFile, bool recoveredMode,
                           const MessageList& list, const std::vector<std::size_t>& rows,
                           const std::string& path, const ExportSettings& settings = {});

// "1 message could not be written." or "N messages could not be written.", then the first
// path that failed on a line of its own; empty when every file was written.
std::string WriteFailureNotice(const ExportTally& tally);

// A whole store: the catalogue's folder tree becomes a directory tree under directory, one
// directory per folder named by the export name rules and nested as in the window's tree
// (siblings whose names come out equal get " (2)", " (3)", ...). Each folder's file, read
// from the catalogue's directory, goes into its folder's directory as numbered .eml files
// or as "<folder>.mbox". A folder file whose index yields no message is scanned as Recover
// does; a folder file that cannot be read is counted and the run goes on. Throws when the
// catalogue itself cannot be opened.
ExportTally ExportStore(ReaderState& reader, const std::string& catalogue,
                        const std::string& directory, const ExportSettings& settings = {});

// "F folders, W messages written, R messages recovered, U unchanged, X failures."
std::string StoreExportSummary(const ExportTally& tally);

// Batch Mode's Start for one row: a catalogue is exported as a whole store under saveTo;
// any other file exports its messages into saveTo. A file whose index yields no message is
// scanned as Recover does and its salvaged messages are exported. A file that cannot be
// opened is counted, and the run goes on.
ExportTally ExportBatchRow(ReaderState& reader, const std::string& source,
                           const std::string& saveTo, const ExportSettings& settings = {});

// The notice at the end of a batch run.
std::string BatchNotice(const ExportTally& tally);

}  // namespace dorvane
