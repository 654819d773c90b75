#include "store/record_format.h"

#include <charconv>
#include <ostream>

namespace dorvane {

namespace {

template <typename Number>
void AppendNumber(std::string& out, Number value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

class JsonObject {
  public:
    explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
    template <typename Number>
    JsonObject& Field(const char* key, Number value) {
        Key(key);
        AppendNumber(out_, value);
        return *this;
    }
    JsonObject& Field(const char* key, const std::string& text) {
        Key(key);
        AppendJsonString(out_, text);
        return *this;
    }
    JsonObject& Field(const char* key, FileTime time) { return Field(key, time.Ticks()); }
    void End() { out_ += "}\n"; }

  private:
    void Key(const char* key) {
        if (!first_) out_ += ',';
        first_ = false;
        out_ += '"';
        out_ += key;
        out_ += "\":";
    }
    std::string& out_;
    bool first_ = true;
};

void AppendCell(std::string& out, const std::string& text) {
    for (const char c : text) out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
}

}  // namespace

void AppendJsonString(std::string& out, const std::string& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    // Bytes that stand for themselves are copied a stretch at a time.
    const char* plain = text.data();
    const char* const end = plain + text.size();
    for (const char* at = plain; at != end; ++at) {
        const auto byte = static_cast<unsigned char>(*at);
        if (byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\') continue;
        out.append(plain, at);
        plain = at + 1;
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += *at;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            // U+0080..U+00FF in UTF-8.
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    out.append(plain, end);
    out += '"';
}

void WriteJsonLine(std::ostream& out, const Toe5_FolderInfo& folder) {
    std::string line;
    JsonObject(line)
        .Field("FolderName", folder.FolderName)
        .Field("FolderId", folder.FolderId)
        .Field("ParentId", folder.ParentId)
        .Field("FileName", folder.FileName)
        .End();
    out << line;
}

void WriteJsonLine(std::ostream& out, const Toe5_MessageInfo& message) {
    std::string line;
    line.reserve(512);
    JsonObject(line)
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
    out << line;
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
