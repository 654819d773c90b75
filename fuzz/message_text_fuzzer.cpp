// Both text readers at a fuzzer-chosen offset: the first four bytes of the input pick the
// offset, the rest is the file.
#include <cstring>
#include <sstream>

#include "fuzz_input_file.h"
#include "store/uoexpress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    std::int32_t offset = 0;
    std::memcpy(&offset, data, 4);
    const std::string path = dorvane::fuzzing::WriteInput("Inbox.dbx", data + 4, size - 4);
    dorvane::ReaderState reader;
    std::ostringstream stored;
    std::ostringstream recovered;
    dorvane::ReadMessageText(reader, path, offset, stored);
    dorvane::ReadRecoveredText(reader, path, offset, recovered);
    // A chain holds at most as many blocks as the file has room for.
    const std::size_t bound = ((size - 4) / 528 + 1) * 512;
    if (stored.str().size() > bound || recovered.str().size() > bound) __builtin_trap();
    return 0;
}
