#include "ui/tools/message_sort.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace dorvane {

namespace {

unsigned char Folded(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

template <typename T>
int Sign(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareAscending(const Toe5_MessageInfo& a, const Toe5_MessageInfo& b, MessageColumn column,
                     const LocalDateTime& now) {
    switch (column) {
        case MessageColumn::From:
            return CompareListTexts(a.FromName, b.FromName);
        case MessageColumn::ReplyTo:
            return CompareListTexts(a.ReplyTo, b.ReplyTo);
        case MessageColumn::To:
            return CompareListTexts(a.ToName, b.ToName);
        case MessageColumn::Subject:
            return CompareListTexts(a.Subject, b.Subject);
        case MessageColumn::Received:
            return Sign(MessageTimeToDateTime(a.ReceivedTime, now),
                        MessageTimeToDateTime(b.ReceivedTime, now));
        case MessageColumn::Position:
            return Sign(a.DataOffset, b.DataOffset);
        case MessageColumn::Size:
            return Sign(a.MsgSize, b.MsgSize);
    }
    return 0;
}

}  // namespace

int CompareListTexts(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int difference = Folded(a[i]) - Folded(b[i]);
        if (difference != 0) return difference;
    }
    return Sign(a.size(), b.size());
}

int CompareMessages(const Toe5_MessageInfo& a, const Toe5_MessageInfo& b, MessageColumn column,
                    bool descending, const LocalDateTime& now) {
    const int result = CompareAscending(a, b, column, now);
    return descending ? -result : result;
}

void SortMessages(MessageList& list, MessageColumn column, bool descending) {
    const LocalDateTime now = platform::LocalNow();
    if (column == MessageColumn::Received) {
        // Convert each time once rather than twice per comparison.
        std::vector<LocalDateTime> keys(list.size());
        for (std::size_t i = 0; i < list.size(); ++i) {
            keys[i] = MessageTimeToDateTime(list[i]->ReceivedTime, now);
        }
        std::vector<std::size_t> order(list.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
            return descending ? keys[y] < keys[x] : keys[x] < keys[y];
        });
        MessageList sorted;
        sorted.reserve(list.size());
        for (const std::size_t i : order) sorted.push_back(std::move(list[i]));
        list = std::move(sorted);
        return;
    }
    std::sort(list.begin(), list.end(), [&](const auto& a, const auto& b) {
        return CompareMessages(*a, *b, column, descending, now) < 0;
    });
}

}  // namespace dorvane
