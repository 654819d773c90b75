#pragma once

// A folder of many messages made in memory, with texts and times spread the way a real
// folder spreads them (repeated senders, "Re:" chains, a few messages without a time).

#include <cstdint>
#include <memory>
#include <string>

#include "store/uoexpress.h"

namespace dorvane::bench {

inline MessageList SyntheticFolder(std::size_t count) {
    static const char* const kSenders[] = {"Alice Marsh",  "bob quill", "Carol Fenn",
                                           "dan okafor",   "Erin Vale", "Frank Lind",
                                           "Grace Hopper", "heidi klum"};
    static const char* const kSubjects[] = {"Minutes",
                                            "Re: Holiday photos",
                                            "Invoice",
                                            "Lunch on Friday?",
                                            "Fwd: Newsletter",
                                            "Backup",
                                            "Re: Re: Train times",
                                            "Your order has shipped"};
    MessageList list;
    list.reserve(count);
    std::uint64_t state = 88172645463325252ULL;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    const std::uint64_t year2000 = 125911584000000000ULL;  // FILETIME of 2000-01-01
    for (std::size_t i = 0; i < count; ++i) {
        auto message = std::make_shared<Toe5_MessageInfo>();
        message->FromName = std::string(kSenders[next() % 8]) + " <user" +
                            std::to_string(next() % 500) + "@example.org>";
        message->ReplyTo = message->FromName;
        message->ToName = "Reader <reader@example.org>";
        message->Subject =
            std::string(kSubjects[next() % 8]) + " " + std::to_string(next() % 10000);
        // Ten years of mail; one message in a hundred has no time and counts as now.
        message->ReceivedTime = next() % 100 == 0
                                    ? FileTime{}
                                    : FileTime::FromTicks(year2000 + next() % 3155760000000000ULL);
        message->MsgSize = static_cast<std::int32_t>(next() % 200000);
        message->DataOffset = static_cast<std::int32_t>(0x24BC + i * 1024);
        list.push_back(std::move(message));
    }
    return list;
}

}  // namespace dorvane::bench
