#pragma once

// The message list's rows and its column sort without any window: the list view and the
// benchmarks both go through these. CompareMessages (ui/tools/message_sort.h) defines the
// order.

#include <array>
#include <string>
#include <string_view>

#include "store/uoexpress.h"
#include "ui/tools/message_sort.h"

namespace dorvane::ui {

inline constexpr int kMessageColumnCount = 7;
inline constexpr int kPositionColumn = static_cast<int>(MessageColumn::Position);
inline constexpr int kSizeColumn = static_cast<int>(MessageColumn::Size);
inline constexpr int kLastSharedColumn = static_cast<int>(MessageColumn::Received);

inline constexpr std::array<std::string_view, kMessageColumnCount> kMessageColumnCaptions = {
    "From", "Reply to", "To", "Subject", "Received", "Position", "Size"};

// The text of one cell: texts as stored, numbers in decimal, the received time as the
// locale's short date and long time (the time left out at midnight).
std::string MessageRowText(const Toe5_MessageInfo& message, int column);

// Sorts the list in place into the order CompareMessages gives for the column, with one
// "now" for every missing time. Each record's key is made once and the keys are sorted,
// not the records: a header click on a folder of 100,000 messages stays well under a
// tenth of a second.
void SortMessageList(MessageList& messages, int column, bool descending);

}  // namespace dorvane::ui
