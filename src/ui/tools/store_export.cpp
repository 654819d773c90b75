#include "ui/tools/store_export.h"

#include <filesystem>
#include <numeric>

#include "platform/platform_error.h"
#include "recovery/recovery_scan.h"
#include "store/record_format.h"
#include "store/store_paths.h"
#include "ui/tools/export_naming.h"
#include "ui/tools/message_export.h"

namespace dorvane {

void ExportTally::Add(const ExportTally& other) {
    Written += other.Written;
    if (WriteFailures == 0) FirstFailedPath = other.FirstFailedPath;
    WriteFailures += other.WriteFailures;
    Files += other.Files;
    ReadFailures += other.ReadFailures;
    Recovered += other.Recovered;
}

ExportTally ExtractMessages(ReaderState& reader, const std::string& mailFile, bool recoveredMode,
                            const MessageList& list, const std::vector<std::size_t>& rows,
                            const std::string& directory, const ExportProgress& progress) {
    ExportTally tally;
    std::size_t sequence = 0;
    for (const std::size_t row : rows) {
        if (row >= list.size()) continue;
        const Toe5_MessageInfo& message = *list[row];
        const std::string path = ExportFilePath(
            directory, ++sequence,
            BuildExportFileName(message.FromName, message.Subject, ReceivedText(message)));
        const std::string text =
            ReadListedMessage(reader, mailFile, message.DataOffset, recoveredMode);
        if (WriteMessageFile(path, text)) {
            ++tally.Written;
        } else if (tally.WriteFailures++ == 0) {
            tally.FirstFailedPath = path;
        }
        if (progress && !progress(sequence, rows.size())) break;
    }
    return tally;
}

std::string WriteFailureNotice(const ExportTally& tally) {
    if (tally.WriteFailures == 0) return {};
    const std::string count = tally.WriteFailures == 1 ? "1 message could not be written."
                                                       : std::to_string(tally.WriteFailures) +
                                                             " messages could not be written.";
    return count + "\n" + tally.FirstFailedPath;
}

namespace {

std::vector<std::size_t> AllRows(std::size_t count) {
    std::vector<std::size_t> rows(count);
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

// One folder file into one directory, salvaging when its index gives nothing.
ExportTally ExportFolderFile(ReaderState& reader, const std::string& file,
                             const std::string& directory) {
    ExportTally tally;
    try {
        MessageList messages;
        ReadDbxIndex(reader, file, nullptr, &messages);
        bool recovered = false;
        if (messages.empty()) {
            ScanObserver silent;
            ScanForMessages(reader, file, 80, messages, silent);
            recovered = true;
        }
        std::filesystem::create_directories(directory);
        tally =
            ExtractMessages(reader, file, recovered, messages, AllRows(messages.size()), directory);
        if (recovered) tally.Recovered = tally.Written;
        tally.Files = 1;
    } catch (const platform::PlatformError&) {
        tally.ReadFailures = 1;
    } catch (const std::filesystem::filesystem_error&) {
        tally.ReadFailures = 1;
    }
    return tally;
}

}  // namespace

ExportTally ExportBatchRow(ReaderState& reader, const std::string& source,
                           const std::string& saveTo) {
    if (!IsCatalogueFile(source)) return ExportFolderFile(reader, source, saveTo);
    ExportTally tally;
    FolderList folders;
    try {
        ReadDbxIndex(reader, source, &folders, nullptr);
    } catch (const platform::PlatformError&) {
        tally.ReadFailures = 1;
        return tally;
    }
    for (const auto& folder : folders) {
        if (folder->FileName.empty()) continue;
        tally.Add(ExportFolderFile(
            reader, DirectoryPart(source) + folder->FileName,
            WithTrailingDelimiter(saveTo) + SafeDirectoryName(folder->FolderName)));
    }
    return tally;
}

std::string BatchNotice(const ExportTally& tally) {
    std::string notice = std::to_string(tally.Written) + " messages written from " +
                         std::to_string(tally.Files) + " files.";
    const std::size_t failed = tally.WriteFailures + tally.ReadFailures;
    if (failed > 0) notice += " " + std::to_string(failed) + " could not be written or read.";
    return notice;
}

}  // namespace dorvane
