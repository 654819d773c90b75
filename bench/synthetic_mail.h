#pragma once

// Realistic messages for the benchmarks: people, subjects, dates and bodies drawn from a
// seeded generator, so the same seed always gives the same folder.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "dbx_writer.h"
#include "mail_store_builder.h"

namespace dorvane::bench {

namespace fixture = dorvane::fixture;

namespace detail {

const char* const kNames[] = {"Alice Marsh", "Bob Quill",  "Carol Fenn",   "Dan Okafor",
                              "Erin Vale",   "Frank Lind", "Grace Hollis", "Hugo Brandt"};
const char* const kWords[] = {"meeting",  "report", "budget", "garden",  "holiday", "invoice",
                              "schedule", "photos", "train",  "weekend", "project", "family"};

inline std::string Person(std::mt19937& random) {
    const std::string name = kNames[random() % 8];
    std::string address = name.substr(0, name.find(' '));
    for (char& c : address) c = static_cast<char>(c | 0x20);
    return name + " <" + address + "@example.org>";
}

inline std::string Sentence(std::mt19937& random, int words) {
    std::string text;
    for (int i = 0; i < words; ++i) {
        if (i > 0) text += ' ';
        text += kWords[random() % 12];
    }
    return text;
}

}  // namespace detail

// A folder file of count messages; with attachments, about a third of them carry a base64
// attachment of 10 to 150 KB, as a mail store of some years does.
inline fixture::DbxWriter BuildSyntheticFolder(long count, unsigned seed, bool withAttachments) {
    using namespace detail;
    std::mt19937 random(seed);
    fixture::DbxWriter w(fixture::DbxWriter::kRealHeaderSize);
    std::vector<std::int32_t> records;
    records.reserve(static_cast<std::size_t>(count));
    for (long n = 0; n < count; ++n) {
        fixture::MessageSpec m;
        m.From = Person(random);
        m.To = Person(random);
        if (random() % 4 == 0) m.ReplyTo = Person(random);
        m.Subject = (random() % 3 == 0 ? "Re: " : "") + Sentence(random, 3 + random() % 5);
        m.MessageId = "<" + std::to_string(n) + "." + std::to_string(random()) + "@example.org>";
        m.Received = fixture::FileTimeOf(
            1998 + static_cast<int>(random() % 12), 1 + static_cast<int>(random() % 12),
            1 + static_cast<int>(random() % 28), static_cast<int>(random() % 24),
            static_cast<int>(random() % 60));
        // Bodies of a few hundred bytes to some kilobytes, as personal mail is.
        std::string body;
        const int lines = 5 + static_cast<int>(random() % 60);
        for (int i = 0; i < lines; ++i) body += Sentence(random, 4 + random() % 8) + ".\r\n";
        if (withAttachments && random() % 3 == 0) {
            static const char kBase64[] =
                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
            body +=
                "\r\n------=_NextPart_000\r\nContent-Type: application/octet-stream\r\n"
                "Content-Transfer-Encoding: base64\r\n\r\n";
            const std::size_t lineCount = (10'000 + random() % 140'000) / 78;
            for (std::size_t line = 0; line < lineCount; ++line) {
                for (int c = 0; c < 76; ++c) body += kBase64[random() % 64];
                body += "\r\n";
            }
        }
        m.Text = fixture::ComposeMessageText(m, "Tue, 6 Jan 2004 14:05:00 +0100", body);
        records.push_back(fixture::AddMessage(w, m).Record);
    }
    w.SetMessageRoot(fixture::AddIndex(w, records, 64));
    w.SetItemCount(static_cast<std::int32_t>(count));
    return w;
}

}  // namespace dorvane::bench
