#include "cli/output.h"

#include <cstddef>
#include <cstdio>
#include <iostream>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace dorvane::cli {

namespace {
constexpr std::size_t kChunkSize = std::size_t{1} << 20;
}

BinaryOutput::BinaryOutput() : buffer_(kChunkSize) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
    target_ = std::cout.rdbuf(this);
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

BinaryOutput::~BinaryOutput() {
    sync();
    std::cout.rdbuf(target_);
}

BinaryOutput::int_type BinaryOutput::overflow(int_type c) {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int BinaryOutput::sync() {
    return Drain() && target_->pubsync() == 0 ? 0 : -1;
}

bool BinaryOutput::Drain() {
    const std::streamsize pending = pptr() - pbase();
    const bool written = pending == 0 || target_->sputn(pbase(), pending) == pending;
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return written;
}

}  // namespace dorvane::cli
