// Writes a store for the benchmarks: a catalogue and its folder files, the messages shared
// out evenly among the folders, some folders nested under others.
//
//   dorvane-bench-store OUTPUT_DIRECTORY MESSAGE_COUNT [FOLDER_COUNT]

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "synthetic_mail.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: dorvane-bench-store OUTPUT_DIRECTORY MESSAGE_COUNT [FOLDER_COUNT]\n";
        return 2;
    }
    namespace fixture = dorvane::fixture;
    const std::filesystem::path dir = argv[1];
    const long total = std::atol(argv[2]);
    const long folderCount = argc > 3 ? std::atol(argv[3]) : 8;
    if (total < 0 || folderCount < 1) return 2;
    std::filesystem::create_directories(dir);
    std::vector<fixture::FolderSpec> folders = {{"Outlook Express", 0, 0, ""}};
    for (long n = 0; n < folderCount; ++n) {
        const std::string name = "Folder " + std::to_string(n + 1);
        // Every third folder under the one before it, the rest at the top.
        const auto id = static_cast<std::int32_t>(n + 1);
        folders.push_back({name, id, n % 3 == 2 ? id - 1 : 0, name + ".dbx"});
        const long count = total / folderCount + (n < total % folderCount ? 1 : 0);
        dorvane::bench::BuildSyntheticFolder(count, static_cast<unsigned>(n + 1), false)
            .Save((dir / (name + ".dbx")).string());
    }
    fixture::LayoutOptions layout;
    layout.HeaderSize = fixture::DbxWriter::kRealHeaderSize;
    fixture::BuildCatalogue(folders, layout).Save((dir / "folders.dbx").string());
    std::cout << dir.string() << ": " << total << " messages in " << folderCount << " folders\n";
    return 0;
}
