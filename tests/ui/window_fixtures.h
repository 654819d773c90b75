#pragma once

// Mail stores for the window tests, written with the DBX fixture writer into a temporary
// directory.

#include <string>
#include <vector>

#include <QTemporaryDir>

#include "mail_store_builder.h"

namespace dorvane::ui::test {

struct FixtureStore {
    QTemporaryDir Root;
    std::string StoreDir;  // Root/store: folders.dbx and its folder files
    std::string OtherDir;  // Root/other: a catalogue and files outside the store
    std::vector<fixture::MessageSpec> Inbox;
    std::vector<fixture::BuiltMessage> InboxBuilt;
    std::vector<fixture::BuiltMessage> DamagedBuilt;

    FixtureStore();
    std::string StorePath(const std::string& name) const { return StoreDir + "/" + name; }
    std::string OtherPath(const std::string& name) const { return OtherDir + "/" + name; }
};

// The bytes of a file, empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

}  // namespace dorvane::ui::test
