// Writes the seed corpora of the fuzz targets from the fixture writer: small, valid files
// and a few characteristic breakages. Run once; the output is committed under corpus/.
//
//   dorvane-make-seed-corpus CORPUS_DIRECTORY

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "dbx_writer.h"
#include "mail_store_builder.h"

namespace fixture = dorvane::fixture;
namespace fs = std::filesystem;

namespace {

std::vector<fixture::MessageSpec> Messages(int count) {
    std::vector<fixture::MessageSpec> messages;
    for (int i = 0; i < count; ++i) {
        fixture::MessageSpec m;
        m.From = "Alice <alice@example.org>";
        m.To = "Bob <bob@example.org>";
        m.Subject = "Message " + std::to_string(i);
        m.Received = fixture::FileTimeOf(2004, 1, 6 + i, 14, 5);
        m.Text = fixture::ComposeMessageText(m, "Tue, 6 Jan 2004 14:05:00 +0100",
                                             std::string(100 + 300 * i, 'x') + "\r\n");
        messages.push_back(m);
    }
    return messages;
}

void Save(const fs::path& dir, const std::string& name, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(dir);
    fixture::SaveBytes((dir / name).string(), bytes);
}

std::vector<std::uint8_t> WithOffset(std::int32_t offset, const std::vector<std::uint8_t>& file) {
    std::vector<std::uint8_t> input;
    input.reserve(file.size() + 4);
    for (int i = 0; i < 4; ++i) {
        input.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(offset) >> (8 * i)));
    }
    input.insert(input.end(), file.begin(), file.end());
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: dorvane-make-seed-corpus CORPUS_DIRECTORY\n";
        return 2;
    }
    const fs::path root = argv[1];
    fixture::LayoutOptions layout;
    layout.EntriesPerNode = 2;

    std::vector<fixture::BuiltMessage> built;
    const auto folder = fixture::BuildMessageFile(Messages(3), layout, &built);
    Save(root / "index_messages", "three_messages", folder.Bytes());
    Save(root / "index_messages", "one_message", fixture::BuildMessageFile(Messages(1)).Bytes());
    {
        fixture::DbxWriter w;
        const std::int32_t record = w.AddRecord({fixture::Property::Text(0x08, "loop")});
        const std::int32_t a = w.AddNode({{record, 0}});
        const std::int32_t b = w.AddNode({{record, a}}, a, a);
        w.SetNodeLinks(a, b, b);
        w.SetMessageRoot(a);
        w.SetItemCount(1);
        Save(root / "index_messages", "cycle", w.Bytes());
    }

    const auto catalogue = fixture::BuildCatalogue({{"Outlook Express", 0, 0, ""},
                                                    {"Inbox", 1, 0, "Inbox.dbx"},
                                                    {"Family", 2, 1, "Family.dbx"}},
                                                   layout);
    Save(root / "index_catalogue", "catalogue", catalogue.Bytes());

    Save(root / "message_text", "first_message", WithOffset(built[0].DataOffset, folder.Bytes()));
    Save(root / "message_text", "long_message", WithOffset(built[2].DataOffset, folder.Bytes()));
    {
        fixture::DbxWriter w;
        w.SetItemCount(1);
        const std::int32_t first = w.AddBlock("A", 1, w.Size() + 528);
        const std::int32_t second = w.AddBlock("B", 1, 0);
        w.PutU32(static_cast<std::size_t>(second) + 12, static_cast<std::uint32_t>(first));
        Save(root / "message_text", "chain_cycle", WithOffset(first, w.Bytes()));
    }
    // The recovery scan: a folder file whose index is gone.
    {
        auto damaged = fixture::BuildMessageFile(Messages(3), layout);
        damaged.SetMessageRoot(0);
        damaged.AddPadding(120);
        Save(root / "recovery_scan", "index_wiped", damaged.Bytes());
    }
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"mail_date/full", "Tue, 6 Jan 2004 14:05:00 +0100"},
        {"mail_date/zone_as_time", "6 Jan 2004 +01:00"},
        {"mail_date/hex", "$1F Jan 0x7D4 1:2:3"},
        {"user_reg/identity",
         "WINE REGISTRY Version 2\n\n[Identities] 1\n\"Default User ID\"=\"{A}\"\n\n"
         "[Identities\\\\{A}\\\\Software\\\\Microsoft\\\\Outlook Express\\\\5.0] 1\n"
         "\"Store Root\"=str(2):\"%UserProfile%\\\\OE\\x00e9\"\n\n"
         "[Volatile Environment] 1\n\"USERPROFILE\"=\"C:\\\\users\\\\bob\"\n"},
        {"user_reg/wrong_type",
         "[Software\\\\Microsoft\\\\Outlook Express] 1\n\"Store Root\"=dword:00000001\n"},
    };
    for (const auto& [name, text] : texts) {
        const fs::path file = root / name;
        Save(file.parent_path(), file.filename().string(),
             std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    return 0;
}
