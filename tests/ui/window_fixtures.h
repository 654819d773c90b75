#pragma once

// Mail stores for the window tests, written with the DBX fixture writer into a temporary
// directory.

#include <memory>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include "mail_store_builder.h"
#include "scripted_interaction.h"
#include "ui/main/main_window.h"

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

// A main window on a fixture store, shown on the offscreen screen so clicks land, with
// every dialog answered by the scripted interaction. The store locator finds the fixture
// store unless the test gives another.
struct WindowSession {
    FixtureStore Store;
    ScriptedInteraction Interaction;
    std::unique_ptr<TForm1> Window;

    explicit WindowSession(TForm1::StoreLocator locator = {});
};

// The bytes of a file, empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

}  // namespace dorvane::ui::test
