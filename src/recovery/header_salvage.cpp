#include "recovery/header_salvage.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "recovery/mail_date.h"

namespace dorvane {

namespace {

// The window's zero bytes read as blanks. The searched names, the carriage return and the
// date hold neither, so the searches run on the raw bytes and only what is taken out of
// them is converted.
void AppendWithBlanksForZeros(std::string& out, const std::uint8_t* bytes, std::size_t length) {
    const std::size_t start = out.size();
    out.append(reinterpret_cast<const char*>(bytes), length);
    std::replace(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '\0', ' ');
}

// A window held in memory.
class WindowInMemory {
  public:
    explicit WindowInMemory(std::string_view bytes) : bytes_(bytes) {}

    std::int64_t Size() const { return static_cast<std::int64_t>(bytes_.size()); }
    std::int64_t Find(std::string_view text) const { return Position(bytes_.find(text)); }
    std::int64_t FindByte(char c, std::int64_t from, std::int64_t to) const {
        if (from >= to) return -1;
        const auto at =
            bytes_.substr(0, static_cast<std::size_t>(to)).find(c, static_cast<std::size_t>(from));
        return Position(at);
    }
    std::string Take(std::int64_t from, std::int64_t length) const {
        std::string out;
        if (from >= Size()) return out;
        const auto part =
            bytes_.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(length));
        AppendWithBlanksForZeros(out, reinterpret_cast<const std::uint8_t*>(part.data()),
                                 part.size());
        return out;
    }

  private:
    static std::int64_t Position(std::size_t at) {
        return at == std::string_view::npos ? -1 : static_cast<std::int64_t>(at);
    }
    std::string_view bytes_;
};

// A window searched where it lies in the file, never copied: a range may start far below
// its "Date:" (a block start with megabytes of text after it), and only the values taken
// out of it are worth memory. Positions count from the window's first byte.
class WindowInFile {
  public:
    WindowInFile(PagedFile& file, std::int64_t first, std::int64_t last)
        : file_(file),
          first_(first),
          size_(std::max<std::int64_t>(0, std::min(last, file.End() - 1) - first + 1)) {}

    std::int64_t Size() const { return size_; }

    std::int64_t Find(std::string_view text) const {
        const std::int64_t lastStart = first_ + size_ - static_cast<std::int64_t>(text.size());
        for (std::int64_t at = first_; at <= lastStart;) {
            const auto bytes = file_.From(at);
            if (bytes.empty()) return -1;
            const auto length = static_cast<std::size_t>(std::min<std::int64_t>(
                static_cast<std::int64_t>(bytes.size()), lastStart - at + 1));
            const void* hit = std::memchr(bytes.data(), text.front(), length);
            if (hit == nullptr) {
                at += static_cast<std::int64_t>(length);
                continue;
            }
            at += static_cast<const std::uint8_t*>(hit) - bytes.data();
            if (file_.Matches(at, text)) return at - first_;
            ++at;
        }
        return -1;
    }

    std::int64_t FindByte(char c, std::int64_t from, std::int64_t to) const {
        for (std::int64_t at = first_ + from; at < first_ + to;) {
            const auto bytes = file_.From(at);
            if (bytes.empty()) return -1;
            const auto length = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(bytes.size()), first_ + to - at));
            const void* hit = std::memchr(bytes.data(), c, length);
            if (hit != nullptr) {
                return at + (static_cast<const std::uint8_t*>(hit) - bytes.data()) - first_;
            }
            at += static_cast<std::int64_t>(length);
        }
        return -1;
    }

    std::string Take(std::int64_t from, std::int64_t length) const {
        std::string out;
        const std::int64_t end = first_ + std::min(from + length, size_);
        for (std::int64_t at = first_ + from; at < end;) {
            const auto bytes = file_.From(at);
            if (bytes.empty()) break;
            const auto part = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(bytes.size()), end - at));
            AppendWithBlanksForZeros(out, bytes.data(), part);
            at += static_cast<std::int64_t>(part);
        }
        return out;
    }

  private:
    PagedFile& file_;
    std::int64_t first_;
    std::int64_t size_;
};

// The value after the first occurrence of name: from the character after its colon up to
// and including the first carriage return. The window's last character never ends a value,
// and a value without its carriage return is empty.
template <class Window>
std::string HeaderValue(const Window& window, std::string_view name, bool* found) {
    const std::int64_t at = window.Find(name);
    *found = at >= 0;
    if (!*found) return {};
    const std::int64_t start = at + static_cast<std::int64_t>(name.size());
    const std::int64_t end = window.FindByte('\r', start, window.Size() - 1);
    if (end < 0) return {};
    return window.Take(start, end - start + 1);
}

template <class Window>
Toe5_MessageInfo Salvage(const Window& window, std::int32_t firstOffset, std::int32_t length) {
    Toe5_MessageInfo record;
    record.DataOffset = firstOffset;
    record.MsgSize = length;
    bool found = false;
    record.FromName = HeaderValue(window, "From:", &found);
    record.ReplyTo = HeaderValue(window, "ply-To:", &found);
    record.ToName = HeaderValue(window, "To:", &found);
    record.Subject = HeaderValue(window, "Subject:", &found);
    if (found && record.Subject.empty()) record.Subject = "Recovered";

    // The date starts 6 characters after the "D": past "Date:" and the blank after it.
    const std::int64_t date = window.Find("Date:");
    if (date >= 0) {
        if (const auto parsed = ParseMailDate(window.Take(date + 6, 32))) {
            record.ReceivedTime = FileTime::FromTicks(MailDateToFileTime(*parsed));
        }
    }
    return record;
}

}  // namespace

Toe5_MessageInfo SalvageFromWindow(std::string_view window, std::int32_t firstOffset,
                                   std::int32_t length) {
    return Salvage(WindowInMemory(window), firstOffset, length);
}

void SalvageHeaders(PagedFile& file, std::int32_t firstOffset, std::int32_t limit,
                    std::int32_t length, MessageList& list) {
    const WindowInFile window(file, firstOffset, std::int64_t{limit} + 50);
    list.push_back(std::make_shared<const Toe5_MessageInfo>(Salvage(window, firstOffset, length)));
}

}  // namespace dorvane
