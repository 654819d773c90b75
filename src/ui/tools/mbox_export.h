#pragma once

#include <string>
#include <string_view>

#include "store/uoexpress.h"

namespace dorvane {

// One mbox file in the mboxrd convention, which Thunderbird, mutt and Python's mailbox
// read: each message is a "From " line with a sender and an asctime date, then its text
// with LF line ends, body lines matching ^>*From  quoted by one more ">", then one blank
// line.

// The address of the message's From header (the part in angle brackets, else the first
// word holding "@"); "MAILER-DAEMON" when there is none fit for the separator line.
std::string MboxSender(std::string_view text);

// The received time in asctime form, UTC: "Tue Jan  6 13:05:00 2004". A message without a
// usable time gets the start of 1970, a fixed date, so the same store gives the same file.
std::string MboxDate(FileTime received);

// Appends one message, its separator line first and the blank line after it.
void AppendMboxMessage(std::string& out, std::string_view text, FileTime received);

}  // namespace dorvane
