// Writes a large folder file of realistic messages for the benchmarks.
//
//   dorvane-bench-folder OUTPUT_FILE MESSAGE_COUNT [SEED [attachments]]
//
// With "attachments", about a third of the messages carry a base64 attachment of 10 to
// 150 KB, as a mail store of some years does; without, all are short text messages.

#include <cstdlib>
#include <iostream>
#include <string>

#include "synthetic_mail.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: dorvane-bench-folder OUTPUT_FILE MESSAGE_COUNT [SEED]\n";
        return 2;
    }
    const long count = std::atol(argv[2]);
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::atol(argv[3])) : 42u;
    const bool withAttachments = argc > 4 && std::string(argv[4]) == "attachments";
    const auto w = dorvane::bench::BuildSyntheticFolder(count, seed, withAttachments);
    w.Save(argv[1]);
    std::cout << argv[1] << ": " << count << " messages, " << w.Size() << " bytes\n";
    return 0;
}
