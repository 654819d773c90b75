#include "store/record_readers.h"

#include "store/message_texts.h"
#include "store/property_record.h"

namespace dorvane {

namespace {
std::int32_t AsInt(std::uint32_t value) {
    return static_cast<std::int32_t>(value);
}

// Fills a record that holds nothing yet (its texts may keep room from earlier use).
void FillMessage(const PropertyRecord& record, std::int32_t offset, Toe5_MessageInfo& message) {
    message.RecordOffset = offset;
    // Entries are applied in table order: of two entries for one field the later wins.
    for (std::size_t i = 0; i < record.EntryCount(); ++i) {
        const std::uint32_t number = record.Number(i);
        switch (record.Id(i)) {
            case 0x01:
                message.Value01 = AsInt(record.U24(number));
                break;
            case 0x02:
                message.Time02 = FileTime::FromTicks(record.U64(number));
                break;
            case 0x04:
                message.DataOffset = AsInt(record.U32(number));
                break;
            case 0x07:
                record.Text(number, message.Text07);
                break;
            case 0x08:
                record.Text(number, message.Subject);
                break;
            case 0x09:
                record.Text(number, message.Text09);
                break;
            case 0x0A:
                record.Text(number, message.Text0A);
                break;
            case 0x0B:
                record.Text(number, message.Text0B);
                break;
            case 0x0D:
                record.Text(number, message.FromName);
                break;
            case 0x0E:
                record.Text(number, message.ReplyTo);
                break;
            case 0x12:
                message.ReceivedTime = FileTime::FromTicks(record.U64(number));
                break;
            case 0x13:
                record.Text(number, message.ToName);
                break;
            case 0x1A:
                record.Text(number, message.Text1A);
                break;
            case 0x1B:
                record.Text(number, message.Text1B);
                break;
            case 0x80:
                message.Value80 = AsInt(number);
                break;
            case 0x81:
                message.Value01 = AsInt(number);
                break;
            case 0x84:
                message.DataOffset = AsInt(number);
                break;
            case 0x91:
                message.MsgSize = AsInt(number);
                break;
            default:
                break;  // 0x11 among others: not the size, whatever it looks like
        }
    }
}

// Only records with a file name (0x03) or a 0x06 entry are folders.
bool IsFolderRecord(const PropertyRecord& record) {
    if (!record.Valid()) return false;
    for (std::size_t i = 0; i < record.EntryCount(); ++i) {
        if (record.Id(i) == 0x03 || record.Id(i) == 0x06) return true;
    }
    return false;
}

void FillFolder(const PropertyRecord& record, Toe5_FolderInfo& folder) {
    for (std::size_t i = 0; i < record.EntryCount(); ++i) {
        const std::uint32_t number = record.Number(i);
        switch (record.Id(i)) {
            case 0x02:
                record.Text(number, folder.FolderName);
                break;
            case 0x03:
                record.Text(number, folder.FileName);
                break;
            case 0x80:
                folder.FolderId = AsInt(number);
                break;
            case 0x81:
                folder.ParentId = AsInt(number);
                break;
            default:
                break;
        }
    }
}

// Empties a record for filling again, keeping the room its texts have.
void Clear(Toe5_MessageInfo& message) {
    for (std::string* text : MessageTexts(message)) text->clear();
    message.Value80 = message.Value01 = message.MsgSize = message.DataOffset = 0;
    message.Time02 = message.ReceivedTime = FileTime{};
}

void Clear(Toe5_FolderInfo& folder) {
    folder.FolderName.clear();
    folder.FileName.clear();
    folder.FolderId = folder.ParentId = 0;
}

}  // namespace

std::shared_ptr<const Toe5_MessageInfo> ReadMessageRecord(FileWindow& file, std::int32_t offset,
                                                          RecordBlocks<Toe5_MessageInfo>& blocks) {
    const PropertyRecord record(file, offset, /*zeroMeansEighteen=*/true);
    if (!record.Valid()) return nullptr;
    auto [made, shared] = blocks.Make();
    FillMessage(record, offset, made);
    return shared;
}

std::shared_ptr<const Toe5_FolderInfo> ReadFolderRecord(FileWindow& file, std::int32_t offset,
                                                        RecordBlocks<Toe5_FolderInfo>& blocks) {
    const PropertyRecord record(file, offset, /*zeroMeansEighteen=*/false);
    if (!IsFolderRecord(record)) return nullptr;
    auto [made, shared] = blocks.Make();
    FillFolder(record, made);
    return shared;
}

bool ReadMessageRecord(FileWindow& file, std::int32_t offset, Toe5_MessageInfo& message) {
    const PropertyRecord record(file, offset, /*zeroMeansEighteen=*/true);
    if (!record.Valid()) return false;
    Clear(message);
    FillMessage(record, offset, message);
    return true;
}

bool ReadFolderRecord(FileWindow& file, std::int32_t offset, Toe5_FolderInfo& folder) {
    const PropertyRecord record(file, offset, /*zeroMeansEighteen=*/false);
    if (!IsFolderRecord(record)) return false;
    Clear(folder);
    FillFolder(record, folder);
    return true;
}

}  // namespace dorvane
