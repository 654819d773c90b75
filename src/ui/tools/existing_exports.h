#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dorvane {

// The .eml files an earlier run left in a directory, found by their bytes. Re-running an
// export after a new backup must not write again what is already there, yet the names
// of the files cannot tell: a message without a received time is named after the moment
// of the run, and a message added in the middle of a folder shifts the numbers of all
// that follow it. So a message counts as written when some file holds exactly its bytes.
class ExistingExports {
  public:
    // Remembers the .eml files directly in directory; none when it does not exist.
    explicit ExistingExports(const std::string& directory);

    // True, and the file is taken so no other message can claim it, when an unclaimed
    // file holds exactly bytes.
    bool Claim(std::string_view bytes);

    // path when no file is there; else the first free "<path without .eml> (k).eml",
    // k = 2, 3, ..., so a new message never replaces a file an earlier run wrote.
    static std::string FreePath(const std::string& path);

  private:
    struct Candidate {
        std::string Path;
        std::uint64_t Hash = 0;
        bool Hashed = false;
        bool Claimed = false;
    };
    // Files by size; each file's hash is computed once, when a message of its size comes.
    std::unordered_map<std::uintmax_t, std::vector<Candidate>> bySize_;
};

// The 64-bit FNV-1a hash of bytes, continued from seed.
std::uint64_t HashBytes(std::string_view bytes, std::uint64_t seed = 0xcbf29ce484222325ULL);

}  // namespace dorvane
