// The recovery scan with header salvage on arbitrary bytes, then the text of every
// salvaged message.
#include <sstream>

#include "fuzz_input_file.h"
#include "recovery/recovery_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = dorvane::fuzzing::WriteInput("Damaged.dbx", data, size);
    dorvane::ReaderState reader;
    dorvane::MessageList list;
    dorvane::ScanObserver silent;
    dorvane::ScanForMessages(reader, path, 80, list, silent);
    for (const auto& message : list) {
        std::ostringstream text;
        dorvane::ReadRecoveredText(reader, path, message->DataOffset, text);
    }
    return 0;
}
