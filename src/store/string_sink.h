#pragma once

#include <streambuf>
#include <string>

namespace dorvane {

// An output stream buffer that appends to a std::string the caller owns: the text readers'
// bytes land there without the copy that std::ostringstream::str() makes, and the caller can
// empty the string between messages while it keeps its room.
class StringSink : public std::streambuf {
  public:
    explicit StringSink(std::string& out) : out_(out) {}

  protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        out_.append(bytes, static_cast<std::size_t>(count));
        return count;
    }
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            out_.push_back(traits_type::to_char_type(c));
        }
        return traits_type::not_eof(c);
    }

  private:
    std::string& out_;
};

}  // namespace dorvane
