#pragma once

#include <streambuf>
#include <vector>

namespace dorvane::cli {

// Standard output set up for the commands while this lives: bytes unchanged (no newline
// translation on Windows), no synchronisation with C stdio, and handed to the system a
// megabyte at a time, so that a listing of tens of megabytes costs a few dozen system
// calls rather than thousands. A failed write leaves std::cout failed, as it would unbuffered.
class BinaryOutput final : public std::streambuf {
  public:
    BinaryOutput();
    ~BinaryOutput() override;
    BinaryOutput(const BinaryOutput&) = delete;
    BinaryOutput& operator=(const BinaryOutput&) = delete;

  protected:
    int_type overflow(int_type c) override;
    int sync() override;

  private:
    bool Drain();

    std::streambuf* target_;
    std::vector<char> buffer_;
};

}  // namespace dorvane::cli
