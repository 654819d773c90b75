// Message-mode index reading, then the text of every record found, on arbitrary bytes.
#include <sstream>

#include "fuzz_input_file.h"
#include "store/uoexpress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = dorvane::fuzzing::WriteInput("Inbox.dbx", data, size);
    dorvane::ReaderState reader;
    dorvane::MessageList messages;
    dorvane::ReadDbxIndex(reader, path, nullptr, &messages);
    for (const auto& message : messages) {
        std::ostringstream text;
        dorvane::ReadMessageText(reader, path, message->DataOffset, text);
    }
    return 0;
}
