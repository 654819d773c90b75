#include "ui/main/message_rows.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

#include "store/record_format.h"

namespace dorvane::ui {

std::string MessageRowText(const Toe5_MessageInfo& message, int column) {
    switch (static_cast<MessageColumn>(column)) {
        case MessageColumn::From:
            return message.FromName;
        case MessageColumn::ReplyTo:
            return message.ReplyTo;
        case MessageColumn::To:
            return message.ToName;
        case MessageColumn::Subject:
            return message.Subject;
        case MessageColumn::Received:
            return ReceivedText(message);
        case MessageColumn::Position:
            return std::to_string(message.DataOffset);
        case MessageColumn::Size:
            return std::to_string(message.MsgSize);
    }
    return {};
}

namespace {

// The text as CompareListTexts sees it: letters a to z as A to Z. Plain string comparison
// of two such keys (bytes as unsigned, the shorter first when one starts the other) is then
// the same order, and runs at memcmp's speed.
std::string FoldedKey(const std::string& text) {
    std::string key = text;
    for (char& c : key) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return key;
}

const std::string& TextOf(const Toe5_MessageInfo& message, MessageColumn column) {
    switch (column) {
        case MessageColumn::From:
            return message.FromName;
        case MessageColumn::ReplyTo:
            return message.ReplyTo;
        case MessageColumn::To:
            return message.ToName;
        default:
            return message.Subject;
    }
}

template <typename Key>
void SortByKeys(MessageList& messages, const std::vector<Key>& keys, bool descending) {
    std::vector<std::size_t> order(messages.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        return descending ? keys[y] < keys[x] : keys[x] < keys[y];
    });
    MessageList sorted;
    sorted.reserve(messages.size());
    for (const std::size_t i : order) sorted.push_back(std::move(messages[i]));
    messages = std::move(sorted);
}

template <typename Key, typename MakeKey>
void SortBy(MessageList& messages, bool descending, MakeKey makeKey) {
    std::vector<Key> keys;
    keys.reserve(messages.size());
    for (const auto& message : messages) keys.push_back(makeKey(*message));
    SortByKeys(messages, keys, descending);
}

}  // namespace

void SortMessageList(MessageList& messages, int column, bool descending) {
    const auto sortColumn = static_cast<MessageColumn>(column);
    switch (sortColumn) {
        case MessageColumn::From:
        case MessageColumn::ReplyTo:
        case MessageColumn::To:
        case MessageColumn::Subject:
            SortBy<std::string>(messages, descending, [sortColumn](const Toe5_MessageInfo& m) {
                return FoldedKey(TextOf(m, sortColumn));
            });
            return;
        case MessageColumn::Received: {
            const LocalDateTime now = platform::LocalNow();
            SortBy<LocalDateTime>(messages, descending, [&now](const Toe5_MessageInfo& m) {
                return MessageTimeToDateTime(m.ReceivedTime, now);
            });
            return;
        }
        case MessageColumn::Position:
            SortBy<std::int32_t>(messages, descending,
                                 [](const Toe5_MessageInfo& m) { return m.DataOffset; });
            return;
        case MessageColumn::Size:
            SortBy<std::int32_t>(messages, descending,
                                 [](const Toe5_MessageInfo& m) { return m.MsgSize; });
            return;
    }
}

}  // namespace dorvane::ui
