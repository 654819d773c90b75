#pragma once

// High-level builders on top of DbxWriter: a folder file from a list of messages and a
// catalogue from a list of folders, laid out the way the mail client lays them out
// (each message's record followed by its text blocks, the index after them).

#include <cstdint>
#include <string>
#include <vector>

#include "dbx_writer.h"

namespace dorvane::fixture {

struct MessageSpec {
    std::string From;
    std::string ReplyTo;
    std::string To;
    std::string Subject;
    std::string MessageId;
    std::uint64_t Received = 0;  // FILETIME, 0 for none
    std::string Text;            // the whole stored message, headers and body
};

struct FolderSpec {
    std::string Name;
    std::int32_t Id = 0;
    std::int32_t ParentId = 0;
    std::string FileName;  // empty for a folder that only groups others
};

struct BuiltMessage {
    std::int32_t Record = 0;
    std::int32_t DataOffset = 0;
};

struct LayoutOptions {
    std::size_t HeaderSize = DbxWriter::kSmallHeaderSize;
    std::size_t EntriesPerNode = 64;   // records per index node before a child is started
    std::size_t ZeroGapAfterText = 0;  // extra zero bytes after each message's last block
};

// Adds one message (record and text) to w; returns where they went.
BuiltMessage AddMessage(DbxWriter& w, const MessageSpec& message);

// Builds an index over records in the given order: a root node whose entries each carry
// one record and a child node holding the records that follow it. Returns the root.
std::int32_t AddIndex(DbxWriter& w, const std::vector<std::int32_t>& records,
                      std::size_t entriesPerNode);

// A folder file holding messages in this order; its ItemCount is their number.
DbxWriter BuildMessageFile(const std::vector<MessageSpec>& messages, LayoutOptions layout = {},
                           std::vector<BuiltMessage>* built = nullptr);

// A catalogue listing folders in this order.
DbxWriter BuildCatalogue(const std::vector<FolderSpec>& folders, LayoutOptions layout = {});

// "From: ...\r\nTo: ...\r\n..." with a body: a plain message as the client stores it.
std::string ComposeMessageText(const MessageSpec& headers, const std::string& dateLine,
                               const std::string& body);

// FILETIME of a UTC date and time.
std::uint64_t FileTimeOf(int year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0);

}  // namespace dorvane::fixture
