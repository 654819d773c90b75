#include "store/record_format.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <ostream>
#include <string_view>

#include "store/message_texts.h"

namespace dorvane {

namespace {

template <typename Number>
void AppendNumber(std::string& out, Number value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

void AppendCell(std::string& out, const std::string& text) {
    for (const char c : text) out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
}

// The most bytes a JSON string can take for a text of n bytes: "\u00XX" for each byte,
// and the quotes.
constexpr std::size_t JsonStringRoom(std::size_t n) {
    return 6 * n + 2;
}

// Writes text as a JSON string at `at`, which has JsonStringRoom(text.size()) bytes of
// room, and returns the end of what it wrote.
char* WriteJsonString(char* at, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    *at++ = '"';
    // Bytes that stand for themselves are copied a stretch at a time.
    const char* plain = text.data();
    const char* const end = plain + text.size();
    for (const char* c = plain; c != end; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\') continue;
        std::memcpy(at, plain, static_cast<std::size_t>(c - plain));
        at += c - plain;
        plain = c + 1;
        if (byte == '"' || byte == '\\') {
            *at++ = '\\';
            *at++ = *c;
        } else if (byte < 0x20) {
            at[0] = '\\';
            at[1] = 'u';
            at[2] = '0';
            at[3] = '0';
            at[4] = kHex[byte >> 4];
            at[5] = kHex[byte & 15];
            at += 6;
        } else {
            // U+0080..U+00FF in UTF-8.
            *at++ = static_cast<char>(0xC0 | (byte >> 6));
            *at++ = static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    std::memcpy(at, plain, static_cast<std::size_t>(end - plain));
    at += end - plain;
    *at++ = '"';
    return at;
}

// One JSON object written straight into room made for it beforehand: a line of a listing
// has tens of fields, and a call per appended byte would cost more than reading the record.
class JsonObject {
  public:
    // Room for `fields` fields whose texts hold textBytes bytes together.
    JsonObject(std::string& out, std::size_t fields, std::size_t textBytes) : out_(out) {
        const std::size_t start = out_.size();
        out_.resize(start + 3 + fields * kFieldRoom + JsonStringRoom(textBytes));
        at_ = out_.data() + start;
        *at_++ = '{';
    }
    template <typename Number>
    JsonObject& Field(std::string_view key, Number value) {
        Key(key);
        at_ = std::to_chars(at_, at_ + kNumberRoom, value).ptr;
        return *this;
    }
    JsonObject& Field(std::string_view key, const std::string& text) {
        Key(key);
        at_ = WriteJsonString(at_, text);
        return *this;
    }
    JsonObject& Field(std::string_view key, FileTime time) { return Field(key, time.Ticks()); }
    void End() {
        *at_++ = '}';
        *at_++ = '\n';
        out_.resize(static_cast<std::size_t>(at_ - out_.data()));
    }

  private:
    // A key of up to 32 bytes with its quotes, colon and comma, then a number of up to 20
    // digits and a sign, or the quotes of a string (whose bytes the text room holds).
    static constexpr std::size_t kKeyRoom = 32;
    static constexpr std::size_t kNumberRoom = 21;
    static constexpr std::size_t kFieldRoom = kKeyRoom + 4 + kNumberRoom;

    void Key(std::string_view key) {
        if (!first_) *at_++ = ',';
        first_ = false;
        *at_++ = '"';
        std::memcpy(at_, key.data(), std::min(key.size(), kKeyRoom));
        at_ += std::min(key.size(), kKeyRoom);
        *at_++ = '"';
        *at_++ = ':';
    }
    std::string& out_;
    char* at_ = nullptr;
    bool first_ = true;
};

}  // namespace

void AppendJsonString(std::string& out, const std::string& text) {
    const std::size_t start = out.size();
    out.resize(start + JsonStringRoom(text.size()));
    char* const end = WriteJsonString(out.data() + start, text);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

void WriteJsonLine(std::ostream& out, const Toe5_FolderInfo& folder) {
    std::string line;
    JsonObject(line, 4, folder.FolderName.size() + folder.FileName.size())
        .Field("FolderName", folder.FolderName)
        .Field("FolderId", folder.FolderId)
        .Field("ParentId", folder.ParentId)
        .Field("FileName", folder.FileName)
        .End();
    out << line;
}

void WriteJsonLine(std::ostream& out, const Toe5_MessageInfo& message) {
    // One line's room is kept from line to line: a listing writes a hundred thousand.
    thread_local std::string line;
    line.clear();
    std::size_t textBytes = 0;
    for (const std::string* text : MessageTexts(message)) textBytes += text->size();
    JsonObject(line, 17, textBytes)
        .Field("Value80", message.Value80)
        .Field("Value01", message.Value01)
        .Field("Text1B", message.Text1B)
        .Field("Text1A", message.Text1A)
        .Field("Text07", message.Text07)
        .Field("Time02", message.Time02)
        .Field("ReceivedTime", message.ReceivedTime)
        .Field("Subject", message.Subject)
        .Field("FromName", message.FromName)
        .Field("Text09", message.Text09)
        .Field("ToName", message.ToName)
        .Field("ReplyTo", message.ReplyTo)
        .Field("Text0A", message.Text0A)
        .Field("Text0B", message.Text0B)
        .Field("MsgSize", message.MsgSize)
        .Field("DataOffset", message.DataOffset)
        .Field("RecordOffset", message.RecordOffset)
        .End();
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
}

void WriteFolderTableCaption(std::ostream& out) {
    out << "FolderId\tParentId\tFolderName\tFileName\n";
}

void WriteTableRow(std::ostream& out, const Toe5_FolderInfo& folder) {
    std::string line;
    AppendNumber(line, folder.FolderId);
    line += '\t';
    AppendNumber(line, folder.ParentId);
    line += '\t';
    AppendCell(line, folder.FolderName);
    line += '\t';
    AppendCell(line, folder.FileName);
    line += '\n';
    out << line;
}

void WriteMessageTableCaption(std::ostream& out) {
    out << "From\tReply to\tTo\tSubject\tReceived\tPosition\tSize\n";
}

std::string ReceivedText(const Toe5_MessageInfo& message) {
    return platform::FormatListDateTime(MessageTimeToDateTime(message.ReceivedTime));
}

void WriteTableRow(std::ostream& out, const Toe5_MessageInfo& message) {
    std::string line;
    for (const std::string* text :
         {&message.FromName, &message.ReplyTo, &message.ToName, &message.Subject}) {
        AppendCell(line, *text);
        line += '\t';
    }
    AppendCell(line, ReceivedText(message));
    line += '\t';
    AppendNumber(line, message.DataOffset);
    line += '\t';
    AppendNumber(line, message.MsgSize);
    line += '\n';
    out << line;
}

}  // namespace dorvane
