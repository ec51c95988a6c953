// Access control lists and SIDs in the platform's binary layout, kept as
// bytes so that lists read from the system round-trip unchanged.
//
// SID:  revision (1), sub-authority count (n <= 15), identifier authority
//       (6 bytes, big-endian), n sub-authorities (4 bytes each, little-endian).
// ACL:  revision, 0, size (2 bytes), entry count (2 bytes), 0 (2 bytes),
//       then the entries. Each entry starts with type, flags and its own size
//       (2 bytes). Types 0-3 (allowed, denied, audit, alarm) carry a mask (4)
//       and the SID; types 5-8 (their object forms) a mask, a flags word (4)
//       telling which of two GUIDs (16 each) follow, then the SID. All
//       numbers little-endian unless stated.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrell {

// A SID from its parts; nullopt for more than 15 sub-authorities.
std::optional<std::string> MakeSid(uint64_t authority, const std::vector<uint32_t>& subAuthorities);

// "S-1-<authority>-<sub>-...": the letter S in either case, revision 1, an
// authority below 256 and up to 8 sub-authorities, each fitting 32 bits.
// Anything else is not SID text (nullopt), and so is read as an account name.
std::optional<std::string> SidFromText(std::string_view text);

// The standard text form of a binary SID; empty when the bytes are no SID.
std::string SidToText(std::string_view sid);

inline constexpr uint8_t kAccessAllowedEntry = 0;
inline constexpr uint8_t kInheritedEntry = 0x10;

class AccessList {
 public:
  // An empty list of revision 2.
  AccessList() = default;
  // The list in the bytes; nullopt when they do not hold a whole, consistent list.
  static std::optional<AccessList> Parse(std::string_view bytes);

  // The list's bytes; nullopt when it would exceed the largest list size.
  std::optional<std::string> Bytes() const;

  size_t Count() const { return entries_.size(); }
  const std::vector<std::string>& Entries() const { return entries_; }

  // Removes every entry whose SID is sid; the number removed.
  size_t RemoveEntriesOf(std::string_view sid);
  // An access-allowed entry for sid, placed after the list's own entries
  // and before the inherited ones.
  void AddAllowed(std::string_view sid, uint32_t mask, uint8_t flags);
  void Clear() { entries_.clear(); }

  // The SID of an entry; nullopt for entry types without a known layout.
  static std::optional<std::string_view> EntrySid(std::string_view entry);
  static uint8_t EntryType(std::string_view entry) { return static_cast<uint8_t>(entry[0]); }
  static uint8_t EntryFlags(std::string_view entry) { return static_cast<uint8_t>(entry[1]); }
  static uint32_t EntryMask(std::string_view entry);

 private:
  uint8_t revision_ = 2;
  std::vector<std::string> entries_;
};

}  // namespace vantrell
