#pragma once

#include <optional>
#include <string>

#include "store/uoexpress.h"

namespace dorvane {

// What Find Now narrows the list by. Texts are taken as the user typed them; blanks and
// control characters at either end are dropped and an empty text is no criterion.
struct SearchCriteria {
    std::string From;
    std::string To;
    std::string Subject;
    std::optional<LocalDateTime> Before;  // received before this moment
    std::optional<LocalDateTime> After;   // received after this moment
};

// The criteria with their texts trimmed; HasAny tells whether any criterion is active.
SearchCriteria TrimmedCriteria(SearchCriteria criteria);
bool HasAnyCriterion(const SearchCriteria& criteria);

// Whether a message passes every active criterion: From found in FromName or ReplyTo, To in
// ToName, Subject in Subject (exact, case-sensitive substrings), the received time (now for
// a missing one) strictly before and after the bounds.
bool MatchesSearch(const Toe5_MessageInfo& message, const SearchCriteria& criteria,
                   const LocalDateTime& now);

// Removes from list every message that fails, visiting the entries from the last to the
// first; the others keep their order. Does nothing without an active criterion.
void ApplySearch(MessageList& list, const SearchCriteria& criteria);

}  // namespace dorvane
