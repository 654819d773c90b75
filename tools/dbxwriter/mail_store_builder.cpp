#include "mail_store_builder.h"

namespace dorvane::fixture {

namespace {
// Days from 1601-01-01 to the given date in the Gregorian calendar.
std::int64_t DaysSince1601(int year, int month, int day) {
    const int y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + 134774;
}
}  // namespace

std::uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second) {
    const std::int64_t seconds =
        DaysSince1601(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return static_cast<std::uint64_t>(seconds) * 10'000'000;
}

BuiltMessage AddMessage(DbxWriter& w, const MessageSpec& message) {
    // The record comes first and names the text that follows it, so its size is known
    // before the text's offset: records are fixed up once the text is placed.
    std::vector<Property> properties;
    properties.push_back(Property::Value(0x80, static_cast<std::uint32_t>(w.Size()) & 0xFFFFFF));
    properties.push_back(Property::Number32(0x04, 0));  // DataOffset, patched below
    if (!message.MessageId.empty()) properties.push_back(Property::Text(0x07, message.MessageId));
    properties.push_back(Property::Text(0x08, message.Subject));
    properties.push_back(Property::Text(0x0D, message.From));
    if (!message.ReplyTo.empty()) properties.push_back(Property::Text(0x0E, message.ReplyTo));
    if (message.Received != 0) {
        properties.push_back(Property::Time(0x02, message.Received));
        properties.push_back(Property::Time(0x12, message.Received));
    }
    properties.push_back(Property::Text(0x13, message.To));
    properties.push_back(
        Property::Value(0x91, static_cast<std::uint32_t>(message.Text.size()) & 0xFFFFFF));
    const std::int32_t record = w.AddRecord(properties);
    const std::int32_t text = w.AddText(message.Text);
    // The DataOffset value is the first thing in the data area.
    const std::size_t tableSize = properties.size() * 4;
    w.PutU32(static_cast<std::size_t>(record) + 12 + tableSize, static_cast<std::uint32_t>(text));
    return {record, text};
}

std::int32_t AddIndex(DbxWriter& w, const std::vector<std::int32_t>& records,
                      std::size_t entriesPerNode) {
    if (entriesPerNode < 2) entriesPerNode = 2;
    std::vector<Entry> rootEntries;
    for (std::size_t i = 0; i < records.size(); i += entriesPerNode) {
        const std::size_t end = std::min(records.size(), i + entriesPerNode);
        std::int32_t child = 0;
        if (end - i > 1) {
            std::vector<Entry> leaf;
            for (std::size_t j = i + 1; j < end; ++j) leaf.push_back({records[j], 0});
            child = w.AddNode(leaf);
        }
        rootEntries.push_back({records[i], child});
    }
    return w.AddNode(rootEntries);
}

DbxWriter BuildMessageFile(const std::vector<MessageSpec>& messages, LayoutOptions layout,
                           std::vector<BuiltMessage>* built) {
    DbxWriter w(layout.HeaderSize);
    std::vector<std::int32_t> records;
    records.reserve(messages.size());
    for (const MessageSpec& message : messages) {
        const BuiltMessage placed = AddMessage(w, message);
        records.push_back(placed.Record);
        if (built != nullptr) built->push_back(placed);
        if (layout.ZeroGapAfterText > 0) w.AddPadding(layout.ZeroGapAfterText);
    }
    w.SetMessageRoot(AddIndex(w, records, layout.EntriesPerNode));
    w.SetItemCount(static_cast<std::int32_t>(messages.size()));
    return w;
}

DbxWriter BuildCatalogue(const std::vector<FolderSpec>& folders, LayoutOptions layout) {
    DbxWriter w(layout.HeaderSize);
    std::vector<std::int32_t> records;
    for (const FolderSpec& folder : folders) {
        std::vector<Property> properties = {
            Property::Value(0x80, static_cast<std::uint32_t>(folder.Id)),
            Property::Value(0x81, static_cast<std::uint32_t>(folder.ParentId)),
            Property::Text(0x02, folder.Name),
        };
        // A folder that only groups others has no file, and is admitted by 0x06 alone.
        if (folder.FileName.empty()) {
            properties.push_back(Property::Value(0x06, 0));
        } else {
            properties.push_back(Property::Text(0x03, folder.FileName));
        }
        records.push_back(w.AddRecord(properties));
    }
    w.SetCatalogueRoot(AddIndex(w, records, layout.EntriesPerNode));
    w.SetItemCount(static_cast<std::int32_t>(folders.size()));
    return w;
}

std::string ComposeMessageText(const MessageSpec& headers, const std::string& dateLine,
                               const std::string& body) {
    std::string text;
    text += "From: " + headers.From + "\r\n";
    if (!headers.ReplyTo.empty()) text += "Reply-To: " + headers.ReplyTo + "\r\n";
    text += "To: " + headers.To + "\r\n";
    text += "Subject: " + headers.Subject + "\r\n";
    if (!dateLine.empty()) text += "Date: " + dateLine + "\r\n";
    if (!headers.MessageId.empty()) text += "Message-ID: " + headers.MessageId + "\r\n";
    text += "MIME-Version: 1.0\r\n";
    text += "\r\n";
    text += body;
    return text;
}

}  // namespace dorvane::fixture
