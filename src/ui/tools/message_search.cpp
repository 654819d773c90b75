#include "ui/tools/message_search.h"

#include <string_view>

namespace dorvane {

namespace {

std::string Trimmed(std::string_view text) {
    const auto isBlankOrControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isBlankOrControl(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlankOrControl(text.back())) text.remove_suffix(1);
    return std::string(text);
}

bool Contains(const std::string& field, const std::string& criterion) {
    return field.find(criterion) != std::string::npos;
}

}  // namespace

SearchCriteria TrimmedCriteria(SearchCriteria criteria) {
    criteria.From = Trimmed(criteria.From);
    criteria.To = Trimmed(criteria.To);
    criteria.Subject = Trimmed(criteria.Subject);
    return criteria;
}

bool HasAnyCriterion(const SearchCriteria& criteria) {
    return !criteria.From.empty() || !criteria.To.empty() || !criteria.Subject.empty() ||
           criteria.Before.has_value() || criteria.After.has_value();
}

bool MatchesSearch(const Toe5_MessageInfo& message, const SearchCriteria& criteria,
                   const LocalDateTime& now) {
    if (!criteria.From.empty() && !Contains(message.FromName, criteria.From) &&
        !Contains(message.ReplyTo, criteria.From)) {
        return false;
    }
    if (!criteria.To.empty() && !Contains(message.ToName, criteria.To)) return false;
    if (!criteria.Subject.empty() && !Contains(message.Subject, criteria.Subject)) return false;
    if (criteria.Before || criteria.After) {
        // Times are kept to the millisecond, so "at least a millisecond apart" is "not equal".
        const LocalDateTime received = MessageTimeToDateTime(message.ReceivedTime, now);
        if (criteria.Before && !(received < *criteria.Before)) return false;
        if (criteria.After && !(received > *criteria.After)) return false;
    }
    return true;
}

void ApplySearch(MessageList& list, const SearchCriteria& raw) {
    const SearchCriteria criteria = TrimmedCriteria(raw);
    if (!HasAnyCriterion(criteria) || list.empty()) return;
    // One "now" for the whole search, so every message without a time compares alike.
    const LocalDateTime now = platform::LocalNow();
    MessageList kept;
    kept.reserve(list.size());
    for (auto entry = list.rbegin(); entry != list.rend(); ++entry) {
        if (MatchesSearch(**entry, criteria, now)) kept.push_back(std::move(*entry));
    }
    list.assign(std::make_move_iterator(kept.rbegin()), std::make_move_iterator(kept.rend()));
}

}  // namespace dorvane
