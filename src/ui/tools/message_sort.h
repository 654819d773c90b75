#pragma once

#include <string_view>

#include "store/uoexpress.h"

namespace dorvane {

// The message list's columns, in their order.
enum class MessageColumn { From = 0, ReplyTo, To, Subject, Received, Position, Size };

// Compares two texts byte by byte with the letters a..z counted as A..Z and every other
// byte by its unsigned value; a text that starts the other is the smaller. No locale.
int CompareListTexts(std::string_view a, std::string_view b);

// CompareMessages for one column: negative, zero or positive, negated when descending.
// Received times compare as local date-times to the millisecond, a missing one as `now`;
// Position compares DataOffset as a number.
int CompareMessages(const Toe5_MessageInfo& a, const Toe5_MessageInfo& b, MessageColumn column,
                    bool descending, const LocalDateTime& now);

// Sorts the list in place by the column. One "now" stands for every missing time of the
// sort, so the order is consistent and the sort always ends.
void SortMessages(MessageList& list, MessageColumn column, bool descending);

}  // namespace dorvane
