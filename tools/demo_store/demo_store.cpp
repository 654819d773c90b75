// Writes the demo mail store: a catalogue, the usual folders with about sixty messages of
// our own making, and a damaged copy of the Inbox whose index has been wiped.
//
//   dorvane-demo-store OUTPUT_DIRECTORY [WINE_PREFIX]
//
// With WINE_PREFIX it also writes a Wine-style prefix whose user.reg records the store the
// way Outlook Express does, under the default identity and with a %UserProfile% reference,
// so the store is found through the real lookup.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "dbx_writer.h"
#include "mail_store_builder.h"

namespace fixture = dorvane::fixture;
using fixture::MessageSpec;

namespace {

const char* const kPeople[] = {
    "Alice Marsh <alice@example.org>", "Bob Quill <bob@example.org>",
    "Carol Fenn <carol@example.net>",  "Dan Okafor <dan@example.com>",
    "Erin Vale <erin@example.org>",    "Frank Lind <frank@example.net>",
};
const char* const kSubjects[] = {
    "Minutes of Tuesday's meeting",
    "Re: Holiday photos",
    "Invoice 2004-117",
    "Lunch on Friday?",
    "Fwd: Garden club newsletter",
    "Backup schedule",
    "Re: Re: Train times",
    "Your order has shipped",
};
const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct Date {
    int Year, Month, Day, Hour, Minute;
};

std::string DateLine(const Date& d) {
    // Zeller-free weekday: days since a known Sunday (2000-01-02).
    const auto ticks = fixture::FileTimeOf(d.Year, d.Month, d.Day);
    const auto sunday = fixture::FileTimeOf(2000, 1, 2);
    const long long days = static_cast<long long>((ticks - sunday) / 864'000'000'000ULL);
    char line[64];
    std::snprintf(line, sizeof line, "%s, %d %s %d %02d:%02d:00 +0000", kWeekdays[days % 7], d.Day,
                  kMonths[d.Month - 1], d.Year, d.Hour, d.Minute);
    return line;
}

std::string Paragraphs(int count, int seed) {
    std::string body;
    for (int i = 0; i < count; ++i) {
        body += "Paragraph " + std::to_string(i + 1) + " of message " + std::to_string(seed) +
                ". The quick brown fox jumps over the lazy dog; pack my box with five dozen "
                "liquor jugs.\r\n\r\n";
    }
    return body;
}

std::string Attachment(int seed) {
    std::string base64;
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    unsigned state = static_cast<unsigned>(seed) * 2654435761u;
    for (int line = 0; line < 40; ++line) {
        for (int i = 0; i < 76; ++i) {
            state = state * 1103515245u + 12345u;
            base64 += kAlphabet[(state >> 16) & 63];
        }
        base64 += "\r\n";
    }
    return base64;
}

MessageSpec MakeMessage(int n, const std::string& folder) {
    MessageSpec m;
    m.From = kPeople[n % 6];
    m.To = kPeople[(n + 1) % 6];
    m.Subject = kSubjects[n % 8];
    m.MessageId = "<" + std::to_string(n) + "." + folder + "@demo.example.org>";
    const Date date{2002 + n % 7, 1 + n % 12, 1 + (n * 7) % 28, (8 + n * 3) % 24, (n * 13) % 60};
    m.Received = fixture::FileTimeOf(date.Year, date.Month, date.Day, date.Hour, date.Minute);
    std::string dateLine = DateLine(date);
    std::string body;

    switch (n % 10) {
        case 3: {  // multipart with an attachment
            m.Subject = "Photos from the trip";
            MessageSpec headers = m;
            std::string text = fixture::ComposeMessageText(headers, dateLine, "");
            text.erase(text.size() - 2);  // reopen the header for the content type
            text +=
                "Content-Type: multipart/mixed; boundary=\"----=_NextPart_000_0001\"\r\n\r\n"
                "This is a multi-part message in MIME format.\r\n\r\n"
                "------=_NextPart_000_0001\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n"
                "Here are the photos I promised.\r\n\r\n"
                "------=_NextPart_000_0001\r\nContent-Type: image/jpeg; name=\"beach.jpg\"\r\n"
                "Content-Transfer-Encoding: base64\r\n"
                "Content-Disposition: attachment; filename=\"beach.jpg\"\r\n\r\n" +
                Attachment(n) + "\r\n------=_NextPart_000_0001--\r\n";
            m.Text = text;
            return m;
        }
        case 5:  // 8-bit headers in the Western code page, as old clients sent them
            m.From = "J\xFCrgen M\xFCller <juergen@example.de>";
            m.Subject =
                "Gr\xFC\xDF"
                "e aus K\xF6ln";
            body =
                "Viele Gr\xFC\xDF"
                "e!\r\n";
            break;
        case 7:  // no Date header and no received time
            m.Received = 0;
            dateLine.clear();
            m.Subject = "Note without a date";
            body = "This one was saved as a draft and never sent.\r\n";
            break;
        case 8:  // a very long subject
            m.Subject =
                "A very long subject line that goes on " + std::string(280, '.') + " and on";
            body = Paragraphs(2, n);
            break;
        case 9:  // a long message over many blocks
            body = Paragraphs(120, n);
            break;
        default:
            body = Paragraphs(1 + n % 4, n);
            break;
    }
    m.Text = fixture::ComposeMessageText(m, dateLine, body);
    return m;
}

void WriteFolder(const std::filesystem::path& dir, const std::string& file, int first, int count,
                 const std::string& folder) {
    std::vector<MessageSpec> messages;
    for (int n = first; n < first + count; ++n) messages.push_back(MakeMessage(n, folder));
    fixture::LayoutOptions layout;
    layout.HeaderSize = fixture::DbxWriter::kRealHeaderSize;
    layout.EntriesPerNode = 8;
    fixture::BuildMessageFile(messages, layout).Save((dir / file).string());
}

// A folder whose messages from `deleted` on were deleted but not yet compacted away: their
// records and text stay in the file between the live ones, but the index leaves them out.
void WriteFolderWithDeleted(const std::filesystem::path& dir, const std::string& file, int first,
                            int count, int deleted, const std::string& folder) {
    fixture::LayoutOptions layout;
    layout.HeaderSize = fixture::DbxWriter::kRealHeaderSize;
    fixture::DbxWriter w(layout.HeaderSize);
    std::vector<std::int32_t> live;
    for (int n = first; n < first + count; ++n) {
        const auto built = fixture::AddMessage(w, MakeMessage(n, folder));
        if (n < deleted || n >= deleted + 2) live.push_back(built.Record);
    }
    w.SetMessageRoot(fixture::AddIndex(w, live, 8));
    w.SetItemCount(static_cast<std::int32_t>(live.size()));
    w.Save((dir / file).string());
}

// The Inbox again, with its index wiped the way a crash during compaction leaves it: the
// messages are all there, but nothing leads to them.
void WriteDamagedCopy(const std::filesystem::path& dir, int first, int count) {
    std::vector<MessageSpec> messages;
    for (int n = first; n < first + count; ++n) messages.push_back(MakeMessage(n, "Inbox"));
    fixture::LayoutOptions layout;
    layout.HeaderSize = fixture::DbxWriter::kRealHeaderSize;
    fixture::DbxWriter w(layout.HeaderSize);
    std::vector<std::int32_t> records;
    for (const auto& message : messages) records.push_back(fixture::AddMessage(w, message).Record);
    const std::int32_t indexStart = w.Size();
    w.SetMessageRoot(fixture::AddIndex(w, records, 8));
    w.SetItemCount(count);
    std::fill(w.Bytes().begin() + indexStart, w.Bytes().end(), 0);
    w.AddPadding(256);  // the tail of the file, as the client leaves it
    w.Save((dir / "Damaged Inbox.dbx").string());
}

const char* const kIdentity = "{6E2D1A4C-93B7-4F0E-A5C1-0D8B2F7E4A19}";

void WriteWinePrefix(const std::filesystem::path& prefix, const std::filesystem::path& store) {
    namespace fs = std::filesystem;
    fs::create_directories(prefix / "dosdevices");
    const fs::path profile = prefix / "drive_c" / "users" / "demo";
    const fs::path storeLink = profile / "Local Settings" / "Application Data" / "Identities" /
                               kIdentity / "Microsoft" / "Outlook Express";
    fs::create_directories(storeLink.parent_path());
    std::error_code ignored;
    fs::remove(prefix / "dosdevices" / "c:", ignored);
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    fs::remove(storeLink, ignored);
    fs::create_directory_symlink(fs::absolute(store), storeLink);

    const std::string key = std::string("Identities\\\\") + kIdentity +
                            "\\\\Software\\\\Microsoft\\\\Outlook Express\\\\5.0";
    std::ofstream reg(prefix / "user.reg", std::ios::binary | std::ios::trunc);
    reg << "WINE REGISTRY Version 2\n"
           ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
           "#arch=win64\n\n"
           "[Environment] 1700000000\n"
           "\"TEMP\"=str(2):\"%USERPROFILE%\\\\Temp\"\n\n"
           "[Identities] 1700000000\n"
           "#time=1d9f0a0b0c0d0e0\n"
           "\"Default User ID\"=\""
        << kIdentity
        << "\"\n\n"
           "["
        << key
        << "] 1700000000\n"
           "\"Store Root\"=str(2):\"%UserProfile%\\\\Local Settings\\\\Application Data"
           "\\\\Identities\\\\"
        << kIdentity
        << "\\\\Microsoft\\\\Outlook Express\"\n\n"
           // The key without identities is there but holds no "Store Root": the lookup
           // falls through to the default identity's, as once identities are in use.
           "[Software\\\\Microsoft\\\\Outlook Express] 1700000000\n\n"
           "[Volatile Environment] 1700000000\n"
           "\"USERPROFILE\"=\"C:\\\\users\\\\demo\"\n";
    if (!reg) throw std::runtime_error("Cannot create file " + (prefix / "user.reg").string());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: dorvane-demo-store OUTPUT_DIRECTORY [WINE_PREFIX]\n";
        return 2;
    }
    try {
        const std::filesystem::path dir = argv[1];
        std::filesystem::create_directories(dir);
        const std::vector<fixture::FolderSpec> folders = {
            {"Outlook Express", 0, 0, ""},
            {"Inbox", 1, 0, "Inbox.dbx"},
            {"Outbox", 2, 0, "Outbox.dbx"},
            {"Sent Items", 3, 0, "Sent Items.dbx"},
            {"Deleted Items", 4, 0, "Deleted Items.dbx"},
            {"Drafts", 5, 0, "Drafts.dbx"},
            {"Family", 6, 1, "Family.dbx"},
            {"Projects", 7, 0, ""},
            {"Garden Club", 8, 7, "Garden Club.dbx"},
            {"Old Invoices", 9, 7, "Old Invoices.dbx"},
            {"2004", 10, 9, "2004.dbx"},
            {"Damaged Inbox", 11, 0, "Damaged Inbox.dbx"},
        };
        fixture::LayoutOptions layout;
        layout.HeaderSize = fixture::DbxWriter::kRealHeaderSize;
        fixture::BuildCatalogue(folders, layout).Save((dir / "folders.dbx").string());
        WriteFolder(dir, "Inbox.dbx", 0, 20, "Inbox");
        WriteFolder(dir, "Outbox.dbx", 20, 1, "Outbox");
        WriteFolder(dir, "Sent Items.dbx", 21, 10, "Sent");
        WriteFolderWithDeleted(dir, "Deleted Items.dbx", 31, 7, 32, "Deleted");
        WriteFolder(dir, "Drafts.dbx", 36, 2, "Drafts");
        WriteFolder(dir, "Family.dbx", 38, 8, "Family");
        WriteFolder(dir, "Garden Club.dbx", 46, 6, "Garden");
        WriteFolder(dir, "Old Invoices.dbx", 52, 4, "Invoices");
        WriteFolder(dir, "2004.dbx", 56, 4, "Invoices2004");
        WriteDamagedCopy(dir, 0, 12);
        if (argc == 3) WriteWinePrefix(argv[2], dir);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}
