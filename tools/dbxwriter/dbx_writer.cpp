#include "dbx_writer.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace dorvane::fixture {

Property Property::Value(std::uint8_t id, std::uint32_t value) {
    return {id, value, {}, {}};
}
Property Property::Text(std::uint8_t id, const std::string& text) {
    return {id, 0, text + std::string(1, '\0'), {}};
}
Property Property::Time(std::uint8_t id, std::uint64_t filetime) {
    std::string bytes(8, '\0');
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(filetime >> (8 * i));
    return {id, 0, bytes, {}};
}
Property Property::Number32(std::uint8_t id, std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
    return {id, 0, bytes, {}};
}
Property Property::Number24(std::uint8_t id, std::uint32_t value) {
    std::string bytes(3, '\0');
    for (int i = 0; i < 3; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
    return {id, 0, bytes, {}};
}
Property Property::Raw(std::uint8_t id, const std::string& bytes) {
    return {id, 0, bytes, {}};
}
Property Property::At(std::uint8_t id, std::uint32_t offset) {
    return {id, 0, {}, offset};
}

DbxWriter::DbxWriter(std::size_t headerSize) : bytes_(std::max<std::size_t>(headerSize, 0xE8)) {}

void DbxWriter::PutU32(std::size_t at, std::uint32_t value) {
    if (bytes_.size() < at + 4) bytes_.resize(at + 4);
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::int32_t DbxWriter::AddPadding(std::size_t bytes) {
    const auto at = Size();
    bytes_.resize(bytes_.size() + bytes);
    return at;
}

std::int32_t DbxWriter::AddBytes(const std::string& bytes) {
    const auto at = Size();
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return at;
}

std::int32_t DbxWriter::AddNode(const std::vector<Entry>& entries, std::int32_t first,
                                std::int32_t second) {
    const auto node = AddPadding(24 + 12 * entries.size());
    PutU32(node, static_cast<std::uint32_t>(node));
    SetNodeLinks(node, first, second);
    SetNodeEntryCount(node, static_cast<std::uint32_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) SetNodeEntry(node, i, entries[i]);
    return node;
}

void DbxWriter::SetNodeLinks(std::int32_t node, std::int32_t first, std::int32_t second) {
    PutU32(node + 0x0C, static_cast<std::uint32_t>(first));
    PutU32(node + 0x08, static_cast<std::uint32_t>(second));
}

void DbxWriter::SetNodeEntry(std::int32_t node, std::size_t index, Entry entry) {
    const std::size_t at = node + 24 + 12 * index;
    PutU32(at, static_cast<std::uint32_t>(entry.Record));
    PutU32(at + 4, static_cast<std::uint32_t>(entry.Child));
}

void DbxWriter::SetNodeEntryCount(std::int32_t node, std::uint32_t count) {
    PutU32(node + 0x10, count << 8);
}

std::int32_t DbxWriter::AddRecord(const std::vector<Property>& properties,
                                  const RecordOptions& options) {
    std::string table;
    std::string data;
    for (const Property& property : properties) {
        std::uint32_t number = property.Direct;
        if (property.Id < 0x80) {
            number = property.DataOffset.value_or(static_cast<std::uint32_t>(data.size()));
            data += property.Data;
        }
        const std::uint32_t word = property.Id | (number << 8);
        for (int i = 0; i < 4; ++i) table += static_cast<char>(word >> (8 * i));
    }
    const auto record = Size();
    const auto bodyLength =
        options.BodyLength.value_or(static_cast<std::int32_t>(table.size() + data.size()));
    const auto count = options.StoredCount.value_or(static_cast<std::uint8_t>(properties.size()));
    std::string header(12, '\0');
    for (int i = 0; i < 4; ++i)
        header[i] = static_cast<char>(static_cast<std::uint32_t>(record) >> (8 * i));
    for (int i = 0; i < 4; ++i)
        header[4 + i] = static_cast<char>(static_cast<std::uint32_t>(bodyLength) >> (8 * i));
    header[0x0A] = static_cast<char>(count);
    AddBytes(header + table + data);
    return record;
}

std::int32_t DbxWriter::AddBlock(const std::string& data, std::int32_t usedLength,
                                 std::int32_t next) {
    const auto block = AddPadding(528);
    PutU32(block, static_cast<std::uint32_t>(block));
    PutU32(block + 4, 512);
    PutU32(block + 8, static_cast<std::uint32_t>(usedLength));
    PutU32(block + 12, static_cast<std::uint32_t>(next));
    std::copy_n(data.begin(), std::min<std::size_t>(data.size(), 512), bytes_.begin() + block + 16);
    return block;
}

std::int32_t DbxWriter::AddText(const std::string& text, std::size_t bytesPerBlock) {
    bytesPerBlock = std::clamp<std::size_t>(bytesPerBlock, 1, 512);
    const std::size_t blocks =
        std::max<std::size_t>(1, (text.size() + bytesPerBlock - 1) / bytesPerBlock);
    const auto first = Size();
    for (std::size_t i = 0; i < blocks; ++i) {
        const std::string piece =
            text.substr(std::min(text.size(), i * bytesPerBlock), bytesPerBlock);
        const bool last = i + 1 == blocks;
        AddBlock(piece, static_cast<std::int32_t>(piece.size()), last ? 0 : Size() + 528);
    }
    return first;
}

void DbxWriter::Save(const std::string& path) const {
    SaveBytes(path, bytes_);
}

void SaveBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("Cannot create file " + path);
}

}  // namespace dorvane::fixture
