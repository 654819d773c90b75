#pragma once

#include <array>
#include <type_traits>

#include "store/uoexpress.h"

namespace dorvane {

// The ten texts of a message record, in field order, for code that treats them all alike:
// pointers into message, const when message is.
template <typename Message>
requires std::is_same_v<std::remove_const_t<Message>, Toe5_MessageInfo>
auto MessageTexts(Message& message) {
    return std::array{&message.Text1B,   &message.Text1A, &message.Text07, &message.Subject,
                      &message.FromName, &message.Text09, &message.ToName, &message.ReplyTo,
                      &message.Text0A,   &message.Text0B};
}

}  // namespace dorvane
