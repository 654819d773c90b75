// Catalogue-mode index reading on arbitrary bytes.
#include "fuzz_input_file.h"
#include "store/uoexpress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = dorvane::fuzzing::WriteInput("folders.dbx", data, size);
    dorvane::ReaderState reader;
    dorvane::FolderList folders;
    dorvane::ReadDbxIndex(reader, path, &folders, nullptr);
    return 0;
}
