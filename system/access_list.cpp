// SIDs and access control lists as bytes (layout in access_list.h).
#include "system/access_list.h"

namespace vantrell {
namespace {

constexpr size_t kAclHeader = 8;
constexpr size_t kEntryHeader = 4;
constexpr size_t kMaxAclSize = 0xFFFF;
constexpr size_t kMaxSubAuthorities = 15;
constexpr size_t kMaxTextSubAuthorities = 8;
constexpr uint64_t kMaxTextAuthority = 255;
constexpr uint8_t kFirstObjectEntry = 5;
constexpr uint8_t kLastObjectEntry = 8;
constexpr uint32_t kObjectTypePresent = 1;
constexpr uint32_t kInheritedObjectTypePresent = 2;
constexpr size_t kGuidSize = 16;

uint32_t ReadLe(std::string_view bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i)
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
  return value;
}

void AppendLe(std::string& out, uint32_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The length of the SID at the start of bytes, when a whole one is there.
std::optional<size_t> SidLength(std::string_view bytes) {
  if (bytes.size() < 8 || bytes[0] != 1) return std::nullopt;
  const size_t count = static_cast<uint8_t>(bytes[1]);
  if (count > kMaxSubAuthorities) return std::nullopt;
  const size_t length = 8 + 4 * count;
  if (bytes.size() < length) return std::nullopt;
  return length;
}

// A decimal number of at most max, the whole text; nullopt otherwise.
std::optional<uint64_t> Decimal(std::string_view text, uint64_t max) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > max) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::string> MakeSid(uint64_t authority,
                                   const std::vector<uint32_t>& subAuthorities) {
  if (subAuthorities.size() > kMaxSubAuthorities) return std::nullopt;
  std::string sid;
  sid.push_back(1);
  sid.push_back(static_cast<char>(subAuthorities.size()));
  for (int shift = 40; shift >= 0; shift -= 8)
    sid.push_back(static_cast<char>((authority >> shift) & 0xFF));
  for (uint32_t sub : subAuthorities) AppendLe(sid, sub, 4);
  return sid;
}

std::optional<std::string> SidFromText(std::string_view text) {
  if (text.size() < 4 || (text[0] != 'S' && text[0] != 's') || text.substr(1, 3) != "-1-")
    return std::nullopt;
  std::vector<std::string_view> parts;
  size_t start = 4;
  while (true) {
    const size_t dash = text.find('-', start);
    parts.push_back(text.substr(start, dash == std::string_view::npos ? dash : dash - start));
    if (dash == std::string_view::npos) break;
    start = dash + 1;
  }
  if (parts.size() > 1 + kMaxTextSubAuthorities) return std::nullopt;
  const auto authority = Decimal(parts[0], kMaxTextAuthority);
  if (!authority) return std::nullopt;
  std::vector<uint32_t> subs;
  for (size_t i = 1; i < parts.size(); ++i) {
    const auto sub = Decimal(parts[i], 0xFFFFFFFFu);
    if (!sub) return std::nullopt;
    subs.push_back(static_cast<uint32_t>(*sub));
  }
  return MakeSid(*authority, subs);
}

std::string SidToText(std::string_view sid) {
  const auto length = SidLength(sid);
  if (!length) return {};
  uint64_t authority = 0;
  for (size_t i = 2; i < 8; ++i) authority = (authority << 8) | static_cast<uint8_t>(sid[i]);
  std::string text = "S-1-" + std::to_string(authority);
  for (size_t at = 8; at < *length; at += 4) text += "-" + std::to_string(ReadLe(sid, at, 4));
  return text;
}

std::optional<AccessList> AccessList::Parse(std::string_view bytes) {
  if (bytes.size() < kAclHeader) return std::nullopt;
  const size_t size = ReadLe(bytes, 2, 2);
  const size_t count = ReadLe(bytes, 4, 2);
  if (size < kAclHeader || size > bytes.size()) return std::nullopt;
  AccessList list;
  list.revision_ = static_cast<uint8_t>(bytes[0]);
  size_t at = kAclHeader;
  for (size_t i = 0; i < count; ++i) {
    if (size - at < kEntryHeader) return std::nullopt;
    const size_t entrySize = ReadLe(bytes, at + 2, 2);
    if (entrySize < kEntryHeader || entrySize > size - at) return std::nullopt;
    list.entries_.emplace_back(bytes.substr(at, entrySize));
    at += entrySize;
  }
  return list;
}

std::optional<std::string> AccessList::Bytes() const {
  size_t size = kAclHeader;
  for (const std::string& entry : entries_) size += entry.size();
  if (size > kMaxAclSize || entries_.size() > 0xFFFF) return std::nullopt;
  std::string bytes;
  bytes.push_back(static_cast<char>(revision_));
  bytes.push_back(0);
  AppendLe(bytes, static_cast<uint32_t>(size), 2);
  AppendLe(bytes, static_cast<uint32_t>(entries_.size()), 2);
  AppendLe(bytes, 0, 2);
  for (const std::string& entry : entries_) bytes += entry;
  return bytes;
}

std::optional<std::string_view> AccessList::EntrySid(std::string_view entry) {
  if (entry.size() < kEntryHeader) return std::nullopt;
  const uint8_t type = EntryType(entry);
  size_t at = kEntryHeader + 4;
  if (type >= kFirstObjectEntry && type <= kLastObjectEntry) {
    if (entry.size() < at + 4) return std::nullopt;
    const uint32_t present = ReadLe(entry, at, 4);
    at += 4;
    if ((present & kObjectTypePresent) != 0) at += kGuidSize;
    if ((present & kInheritedObjectTypePresent) != 0) at += kGuidSize;
  } else if (type > 3) {
    return std::nullopt;
  }
  if (entry.size() < at) return std::nullopt;
  const std::string_view rest = entry.substr(at);
  const auto length = SidLength(rest);
  if (!length) return std::nullopt;
  return rest.substr(0, *length);
}

uint32_t AccessList::EntryMask(std::string_view entry) {
  return entry.size() < kEntryHeader + 4 ? 0 : ReadLe(entry, kEntryHeader, 4);
}

size_t AccessList::RemoveEntriesOf(std::string_view sid) {
  const size_t before = entries_.size();
  std::erase_if(entries_, [sid](const std::string& entry) {
    const auto owner = EntrySid(entry);
    return owner && *owner == sid;
  });
  return before - entries_.size();
}

void AccessList::AddAllowed(std::string_view sid, uint32_t mask, uint8_t flags) {
  std::string entry;
  entry.push_back(static_cast<char>(kAccessAllowedEntry));
  entry.push_back(static_cast<char>(flags));
  AppendLe(entry, static_cast<uint32_t>(kEntryHeader + 4 + sid.size()), 2);
  AppendLe(entry, mask, 4);
  entry.append(sid);
  // The list's own entries come before the ones it inherits.
  auto at = entries_.begin();
  while (at != entries_.end() && (EntryFlags(*at) & kInheritedEntry) == 0) ++at;
  entries_.insert(at, std::move(entry));
}

}  // namespace vantrell
