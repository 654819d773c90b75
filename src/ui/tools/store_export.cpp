#include "ui/tools/store_export.h"

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <numeric>
#include <set>
#include <system_error>
#include <thread>

#include "platform/platform_error.h"
#include "recovery/recovery_scan.h"
#include "store/folder_tree.h"
#include "store/record_format.h"
#include "store/side_by_side.h"
#include "store/store_paths.h"
#include "ui/tools/existing_exports.h"
#include "ui/tools/export_naming.h"
#include "ui/tools/mbox_export.h"
#include "ui/tools/message_export.h"

namespace dorvane {

void ExportTally::Add(const ExportTally& other) {
    Written += other.Written;
    if (WriteFailures == 0) FirstFailedPath = other.FirstFailedPath;
    WriteFailures += other.WriteFailures;
    Files += other.Files;
    ReadFailures += other.ReadFailures;
    Recovered += other.Recovered;
    Unchanged += other.Unchanged;
    Folders += other.Folders;
}

namespace {

void CountFailure(ExportTally& tally, const std::string& path, std::size_t messages = 1) {
    if (tally.WriteFailures == 0) tally.FirstFailedPath = path;
    tally.WriteFailures += messages;
}

}  // namespace

namespace {

// Threads that write files handed to them in order, while the caller goes on reading the
// next messages. Creating a file costs the system far more than reading a message, and
// two writers get through more of it than one. Each file's outcome is kept by its index,
// so the tally reads the same as a run that wrote them one by one.
class FileWriters {
  public:
    explicit FileWriters(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) threads_.emplace_back([this] { Work(); });
    }
    ~FileWriters() { Finish(); }
    FileWriters(const FileWriters&) = delete;
    FileWriters& operator=(const FileWriters&) = delete;

    void Add(std::string path, std::string bytes, FileTime received) {
        std::unique_lock lock(mutex_);
        // A few files ahead of the writers at most, so memory stays small.
        roomLeft_.wait(lock, [this] { return queue_.size() < kQueueLimit; });
        const std::size_t index = outcomes_.size();
        outcomes_.push_back({std::move(path), false});
        queue_.push_back({index, std::move(bytes), received});
        ready_.notify_one();
    }

    // Waits for every file and adds the outcomes, in the order they were added.
    void Finish(ExportTally* tally = nullptr) {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        ready_.notify_all();
        for (auto& thread : threads_) thread.join();
        threads_.clear();
        if (tally == nullptr) return;
        for (const Outcome& outcome : outcomes_) {
            if (outcome.Written) {
                ++tally->Written;
            } else {
                CountFailure(*tally, outcome.Path);
            }
        }
    }

  private:
    static constexpr std::size_t kQueueLimit = 64;
    struct Job {
        std::size_t Index = 0;
        std::string Bytes;
        FileTime Received;
    };
    struct Outcome {
        std::string Path;
        bool Written = false;
    };

    void Work() {
        for (;;) {
            Job job;
            std::string path;
            {
                std::unique_lock lock(mutex_);
                ready_.wait(lock, [this] { return done_ || !queue_.empty(); });
                if (queue_.empty()) return;
                job = std::move(queue_.front());
                queue_.pop_front();
                path = outcomes_[job.Index].Path;
            }
            roomLeft_.notify_one();
            const bool written = WriteExportedFile(path, job.Bytes, job.Received);
            const std::lock_guard lock(mutex_);
            outcomes_[job.Index].Written = written;
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_, roomLeft_;
    std::deque<Job> queue_;
    std::deque<Outcome> outcomes_;  // a deque: writers hold no reference across a push
    bool done_ = false;
    std::vector<std::thread> threads_;
};

std::size_t WriterCount(const ExportSettings& settings) {
    if (settings.Writers != 0) return settings.Writers;
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
}

}  // namespace

ExportTally ExtractMessages(ReaderState& reader, const std::string& mailFile, bool recoveredMode,
                            const MessageList& list, const std::vector<std::size_t>& rows,
                            const std::string& directory, const ExportProgress& progress,
                            const ExportSettings& settings) {
    ExportTally tally;
    std::optional<ExistingExports> existing;
    if (settings.Update) existing.emplace(directory);
    // With a progress watcher each message is finished before the next begins, so a Cancel
    // leaves exactly the files reported; an update run decides on names as it goes.
    std::optional<FileWriters> writers;
    const std::size_t writerCount = WriterCount(settings);
    if (!progress && !existing && writerCount > 1 && rows.size() > 1) writers.emplace(writerCount);
    std::size_t sequence = 0;
    for (const std::size_t row : rows) {
        if (row >= list.size()) continue;
        const Toe5_MessageInfo& message = *list[row];
        std::string path = ExportFilePath(
            directory, ++sequence,
            BuildExportFileName(message.FromName, message.Subject, ReceivedText(message)));
        std::string bytes =
            WithCrLf(ReadListedMessage(reader, mailFile, message.DataOffset, recoveredMode));
        if (writers) {
            writers->Add(std::move(path), std::move(bytes), message.ReceivedTime);
        } else if (existing && existing->Claim(bytes)) {
            ++tally.Unchanged;
        } else {
            if (existing) path = ExistingExports::FreePath(path);
            if (WriteExportedFile(path, bytes, message.ReceivedTime)) {
                ++tally.Written;
            } else {
                CountFailure(tally, path);
            }
        }
        if (progress && !progress(sequence, rows.size())) break;
    }
    if (writers) writers->Finish(&tally);
    return tally;
}

namespace {

bool SameFileBytes(const std::string& a, const std::string& b) {
    std::error_code error;
    if (std::filesystem::file_size(a, error) != std::filesystem::file_size(b, error) || error) {
        return false;
    }
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    std::vector<char> one(1 << 16), two(1 << 16);
    while (first && second) {
        first.read(one.data(), static_cast<std::streamsize>(one.size()));
        second.read(two.data(), static_cast<std::streamsize>(two.size()));
        if (first.gcount() != second.gcount() ||
            !std::equal(one.begin(), one.begin() + first.gcount(), two.begin())) {
            return false;
        }
    }
    return first.eof() && second.eof();
}

}  // namespace

ExportTally ExportMboxFile(ReaderState& reader, const std::string& mailFile, bool recoveredMode,
                           const MessageList& list, const std::vector<std::size_t>& rows,
                           const std::string& path, const ExportSettings& settings) {
    ExportTally tally;
    const std::string partial = path + ".partial";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    std::size_t count = 0;
    std::string chunk;
    for (const std::size_t row : rows) {
        if (row >= list.size()) continue;
        const Toe5_MessageInfo& message = *list[row];
        chunk.clear();
        AppendMboxMessage(chunk,
                          ReadListedMessage(reader, mailFile, message.DataOffset, recoveredMode),
                          message.ReceivedTime);
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        ++count;
    }
    out.close();
    std::error_code error;
    if (out.fail()) {
        std::filesystem::remove(partial, error);
        CountFailure(tally, path, count);
        return tally;
    }
    if (settings.Update && SameFileBytes(partial, path)) {
        std::filesystem::remove(partial, error);
        tally.Unchanged = count;
        return tally;
    }
    std::filesystem::rename(partial, path, error);
    if (error) {
        std::filesystem::remove(partial, error);
        CountFailure(tally, path, count);
    } else {
        tally.Written = count;
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

// One folder file into one directory (or one mbox file there named after mboxName),
// salvaging when its index gives nothing.
ExportTally ExportFolderFile(ReaderState& reader, const std::string& file,
                             const std::string& directory, const ExportSettings& settings,
                             const std::string& mboxName) {
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
        const std::vector<std::size_t> rows = AllRows(messages.size());
        tally =
            settings.Mbox
                ? ExportMboxFile(reader, file, recovered, messages, rows,
                                 WithTrailingDelimiter(directory) + mboxName + ".mbox", settings)
                : ExtractMessages(reader, file, recovered, messages, rows, directory, {}, settings);
        if (recovered) tally.Recovered = tally.Written;
        tally.Files = 1;
    } catch (const platform::PlatformError&) {
        tally.ReadFailures = 1;
    } catch (const std::filesystem::filesystem_error&) {
        tally.ReadFailures = 1;
    }
    return tally;
}

// A directory name no earlier sibling has taken, compared without case as Windows does.
std::string UnusedName(const std::string& name, std::set<std::string>& taken) {
    const auto folded = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    std::string candidate = name;
    for (std::size_t k = 2; !taken.insert(folded(candidate)).second; ++k) {
        candidate = name + " (" + std::to_string(k) + ")";
    }
    return candidate;
}

}  // namespace

ExportTally ExportStore(ReaderState& reader, const std::string& catalogue,
                        const std::string& directory, const ExportSettings& settings) {
    FolderList folders;
    ReadDbxIndex(reader, catalogue, &folders, nullptr);
    const FolderTree tree = BuildFolderTree(folders);
    ExportTally tally;
    // Each node's directory, and the names its children have taken; parents come before
    // their children in the tree's node order.
    std::vector<std::string> paths(tree.Nodes.size());
    std::vector<std::set<std::string>> childNames(tree.Nodes.size());
    std::set<std::string> topNames;
    struct FolderJob {
        std::string File, Directory, Name;
    };
    std::vector<FolderJob> jobs;
    for (std::size_t i = 0; i < tree.Nodes.size(); ++i) {
        const FolderTreeNode& node = tree.Nodes[i];
        const bool top = node.Parent == i;
        const std::string name = UnusedName(SafeDirectoryName(node.Folder->FolderName),
                                            top ? topNames : childNames[node.Parent]);
        paths[i] = WithTrailingDelimiter(top ? directory : paths[node.Parent]) + name;
        ++tally.Folders;
        // Every folder gets its directory, even one without a file or whose file is gone,
        // so the tree on disk is the tree the window shows.
        std::error_code error;
        std::filesystem::create_directories(paths[i], error);
        if (node.Folder->FileName.empty()) {
            // Its subfolders will fail too and be counted; this one holds no message.
            if (error) ++tally.ReadFailures;
            continue;
        }
        jobs.push_back({DirectoryPart(catalogue) + node.Folder->FileName, paths[i], name});
    }

    // Creating files costs the system far more than reading the mail, and it costs less
    // when two folders are written at once, so folders are exported side by side, each
    // worker with its own reader. The tallies are added in tree order all the same.
    std::vector<ExportTally> tallies(jobs.size());
    // Folders side by side each write with one thread; a lone folder with the machine's.
    ExportSettings inner = settings;
    if (jobs.size() > 1) inner.Writers = 1;
    const std::size_t workers =
        std::min<std::size_t>({jobs.size(), std::max(1U, std::thread::hardware_concurrency()), 4});
    RunSideBySide(jobs.size(), 1, workers, [&] {
        return [&, own = ReaderState()](std::size_t job, std::size_t) mutable {
            tallies[job] =
                ExportFolderFile(own, jobs[job].File, jobs[job].Directory, inner, jobs[job].Name);
        };
    });
    for (const ExportTally& folder : tallies) tally.Add(folder);
    return tally;
}

std::string StoreExportSummary(const ExportTally& tally) {
    return std::to_string(tally.Folders) + " folders, " + std::to_string(tally.Written) +
           " messages written, " + std::to_string(tally.Recovered) + " messages recovered, " +
           std::to_string(tally.Unchanged) + " unchanged, " +
           std::to_string(tally.WriteFailures + tally.ReadFailures) + " failures.";
}

ExportTally ExportBatchRow(ReaderState& reader, const std::string& source,
                           const std::string& saveTo, const ExportSettings& settings) {
    if (!IsCatalogueFile(source)) {
        return ExportFolderFile(reader, source, saveTo, settings, "messages");
    }
    try {
        return ExportStore(reader, source, saveTo, settings);
    } catch (const platform::PlatformError&) {
        ExportTally tally;
        tally.ReadFailures = 1;
        return tally;
    }
}

std::string BatchNotice(const ExportTally& tally) {
    std::string notice = std::to_string(tally.Written) + " messages written from " +
                         std::to_string(tally.Files) + " files.";
    const std::size_t failed = tally.WriteFailures + tally.ReadFailures;
    if (failed > 0) notice += " " + std::to_string(failed) + " could not be written or read.";
    return notice;
}

}  // namespace dorvane
