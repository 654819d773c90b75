#include "store/record_readers.h"

#include "store/property_record.h"

namespace dorvane {

namespace {
std::int32_t AsInt(std::uint32_t value) {
    return static_cast<std::int32_t>(value);
}
}  // namespace

std::shared_ptr<const Toe5_MessageInfo> ReadMessageRecord(FileWindow& file, std::int32_t offset,
                                                          RecordBlocks<Toe5_MessageInfo>& blocks) {
    const PropertyRecord record(file, offset, /*zeroMeansEighteen=*/true);
    if (!record.Valid()) return nullptr;
    auto [made, shared] = blocks.Make();
    Toe5_MessageInfo* message = &made;
    message->RecordOffset = offset;
    // Entries are applied in table order: of two entries for one field the later wins.
    for (std::size_t i = 0; i < record.EntryCount(); ++i) {
        const std::uint32_t number = record.Number(i);
        switch (record.Id(i)) {
            case 0x01:
                message->Value01 = AsInt(record.U24(number));
                break;
            case 0x02:
                message->Time02 = FileTime::FromTicks(record.U64(number));
                break;
            case 0x04:
                message->DataOffset = AsInt(record.U32(number));
                break;
            case 0x07:
                message->Text07 = record.Text(number);
                break;
            case 0x08:
                message->Subject = record.Text(number);
                break;
            case 0x09:
                message->Text09 = record.Text(number);
                break;
            case 0x0A:
                message->Text0A = record.Text(number);
                break;
            case 0x0B:
                message->Text0B = record.Text(number);
                break;
            case 0x0D:
                message->FromName = record.Text(number);
                break;
            case 0x0E:
                message->ReplyTo = record.Text(number);
                break;
            case 0x12:
                message->ReceivedTime = FileTime::FromTicks(record.U64(number));
                break;
            case 0x13:
                message->ToName = record.Text(number);
                break;
            case 0x1A:
                message->Text1A = record.Text(number);
                break;
            case 0x1B:
                message->Text1B = record.Text(number);
                break;
            case 0x80:
                message->Value80 = AsInt(number);
                break;
            case 0x81:
                message->Value01 = AsInt(number);
                break;
            case 0x84:
                message->DataOffset = AsInt(number);
                break;
            case 0x91:
                message->MsgSize = AsInt(number);
                break;
            default:
                break;  // 0x11 among others: not the size, whatever it looks like
        }
    }
    return shared;
}

std::shared_ptr<const Toe5_FolderInfo> ReadFolderRecord(FileWindow& file, std::int32_t offset,
                                                        RecordBlocks<Toe5_FolderInfo>& blocks) {
    const PropertyRecord record(file, offset, /*zeroMeansEighteen=*/false);
    if (!record.Valid()) return nullptr;
    bool isFolder = false;
    for (std::size_t i = 0; i < record.EntryCount() && !isFolder; ++i) {
        isFolder = record.Id(i) == 0x03 || record.Id(i) == 0x06;
    }
    if (!isFolder) return nullptr;
    auto [made, shared] = blocks.Make();
    Toe5_FolderInfo* folder = &made;
    for (std::size_t i = 0; i < record.EntryCount(); ++i) {
        const std::uint32_t number = record.Number(i);
        switch (record.Id(i)) {
            case 0x02:
                folder->FolderName = record.Text(number);
                break;
            case 0x03:
                folder->FileName = record.Text(number);
                break;
            case 0x80:
                folder->FolderId = AsInt(number);
                break;
            case 0x81:
                folder->ParentId = AsInt(number);
                break;
            default:
                break;
        }
    }
    return shared;
}

}  // namespace dorvane
