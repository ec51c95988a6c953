// Shares and access control against the security twin: SID text, list bytes
// read and written back, registry names, share names and folders; then the
// three statements: which entries each account ends with, which lists are
// written and when, and that no failure reaches the script.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/share_statements.h"
#include "twins/security_twin.h"
#include "twins/statement_test.h"

namespace vantrell {
namespace {

using testing::SecurityTwin;
using Kind = SecuredObjectKind;

std::string Sid(uint64_t authority, std::vector<uint32_t> subs) {
  return *MakeSid(authority, subs);
}

// "SID mask flags" of every entry, in list order.
std::vector<std::string> Describe(const std::optional<std::string>& bytes) {
  std::vector<std::string> out;
  const auto list = AccessList::Parse(*bytes);
  if (!list) return {"unreadable"};
  for (const std::string& entry : list->Entries()) {
    char mask[32];
    std::snprintf(mask, sizeof(mask), " %X %d", AccessList::EntryMask(entry),
                  AccessList::EntryFlags(entry));
    out.push_back(SidToText(AccessList::EntrySid(entry).value_or("")) + mask);
  }
  return out;
}

// ---- SIDs and lists ----------------------------------------------------

TEST(AccessList, SidText) {
  struct Case {
    const char* text;
    const char* want;  // the SID read back as text; "" for no SID text
  } cases[] = {
      {"S-1-1-0", "S-1-1-0"},
      {"s-1-5-32-544", "S-1-5-32-544"},
      {"S-1-5", "S-1-5"},
      {"S-1-5-21-1-2-3-4294967295", "S-1-5-21-1-2-3-4294967295"},
      {"S-1-5-1-2-3-4-5-6-7-8", "S-1-5-1-2-3-4-5-6-7-8"},
      {"S-1-5-1-2-3-4-5-6-7-8-9", ""},  // more than 8 sub-authorities
      {"S-1-255-1", "S-1-255-1"},
      {"S-1-256-1", ""},         // authority too large for the text form
      {"S-1-5-4294967296", ""},  // sub-authority beyond 32 bits
      {"S-1-5-99999999999", ""},
      {"S-2-5-1", ""},
      {"S-1-", ""},
      {"S-1-5-", ""},
      {"S-1-5--1", ""},
      {"S-1-5-+1", ""},
      {"S-1-5-1x", ""},
      {"Administrators", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    const auto sid = SidFromText(c.text);
    EXPECT_EQ(sid ? SidToText(*sid) : "", c.want) << c.text;
  }
}

TEST(AccessList, ReadsAndWritesTheListUnchanged) {
  // An allowed entry, an object entry with both GUIDs, and an entry type of
  // unknown layout: all come back byte for byte.
  std::string allowed =
      std::string("\x00\x03\x14\x00", 4) + std::string("\xA9\x00\x12\x00", 4) + Sid(5, {11});
  std::string object = std::string("\x05\x00\x38\x00", 4) + std::string("\xFF\x01\x00\x00", 4) +
                       std::string("\x03\x00\x00\x00", 4) + std::string(32, 'g') + Sid(5, {11});
  std::string unknown = std::string("\x11\x00\x08\x00", 4) + std::string(4, 'x');
  AccessList list;
  std::string bytes = std::string("\x04\x00", 2);
  const size_t size = 8 + allowed.size() + object.size() + unknown.size();
  bytes +=
      std::string(1, static_cast<char>(size & 0xFF)) + std::string(1, static_cast<char>(size >> 8));
  bytes += std::string("\x03\x00\x00\x00", 4) + allowed + object + unknown;
  const auto parsed = AccessList::Parse(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->Bytes(), bytes);
  EXPECT_EQ(SidToText(*AccessList::EntrySid(parsed->Entries()[1])), "S-1-5-11");
  EXPECT_FALSE(AccessList::EntrySid(parsed->Entries()[2]));

  AccessList edited = *parsed;
  EXPECT_EQ(edited.RemoveEntriesOf(Sid(5, {11})), 2u);  // allowed and object entry
  EXPECT_EQ(edited.Count(), 1u);
}

TEST(AccessList, RefusesBrokenBytes) {
  const std::string entry = std::string("\x00\x00\x14\x00\xFF\x01\x1F\x00", 8) + Sid(1, {0});
  const std::string good = std::string("\x02\x00\x1C\x00\x01\x00\x00\x00", 8) + entry;
  ASSERT_TRUE(AccessList::Parse(good));
  const std::string cases[] = {
      good.substr(0, 7),                                           // short header
      good.substr(0, 20),                                          // size beyond the bytes
      std::string("\x02\x00\x1C\x00\x02\x00\x00\x00", 8) + entry,  // one entry too many
      std::string("\x02\x00\x1C\x00\x01\x00\x00\x00", 8) + "\x00\x00\x02\x00" +
          entry.substr(4),  // entry smaller than its header
      std::string("\x02\x00\x1C\x00\x01\x00\x00\x00", 8) + "\x00\x00\x40\x00" +
          entry.substr(4),  // entry beyond the list
  };
  for (const std::string& bytes : cases) EXPECT_FALSE(AccessList::Parse(bytes)) << bytes.size();
}

TEST(AccessList, NewEntriesGoBeforeInheritedOnes) {
  AccessList list;
  list.AddAllowed(Sid(5, {18}), 1, kInheritedEntry);
  list.AddAllowed(Sid(1, {0}), 2, 0);
  list.AddAllowed(Sid(5, {11}), 3, 0);
  EXPECT_EQ(Describe(list.Bytes()),
            (std::vector<std::string>{"S-1-1-0 2 0", "S-1-5-11 3 0", "S-1-5-18 1 16"}));
}

// ---- names ---------------------------------------------------------------

TEST(ShareNames, RegistryObjectNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"HKEY_LOCAL_MACHINE\\Software\\X", "MACHINE\\Software\\X"},
      {"hklm\\Software\\X", "MACHINE\\Software\\X"},
      {"Local_Machine\\Software\\x", "MACHINE\\Software\\x"},
      {"HKEY_CURRENT_USER\\a", "CURRENT_USER\\a"},
      {"hkcu\\a", "CURRENT_USER\\a"},
      {"user\\a", "CURRENT_USER\\a"},
      {"HKU\\.DEFAULT", "USERS\\.DEFAULT"},
      {"HKEY_USERS\\.DEFAULT", "USERS\\.DEFAULT"},
      {"HKCC\\System", "CONFIG\\System"},
      {"HKEY_CURRENT_CONFIG\\System", "CONFIG\\System"},
      {"HKCR\\.txt", "CLASSES_ROOT\\.txt"},
      {"HKEY_CLASSES_ROOT\\.txt", "CLASSES_ROOT\\.txt"},
      {"classes\\.txt", "CLASSES_ROOT\\.txt"},
      {"HKEY_FOO\\X", "FOO\\X"},
      {"machine", "MACHINE"},
      {"hkey_", ""},
      {"", ""},
  };
  for (const auto& [name, want] : cases) EXPECT_EQ(RegistryObjectName(name), want) << name;
}

TEST(ShareNames, Repair) {
  struct Case {
    const char* name;
    bool nt;
    std::string want;
  } cases[] = {
      {"a+b", true, "a&b"},
      {"\"q\"", true, "'q'"},
      {"a*b", true,
       "a\xD7"
       "b"},
      {"a,b:c;d", true,
       "a\xB7"
       "b\xB7"
       "c\xB7"
       "d"},
      {"a/b|c", true,
       "a\xA6"
       "b\xA6"
       "c"},
      {"<a>=b?", true, "{a}~b\xBF"},
      {"[x]", true, "(x)"},
      {" Data ", true, " Data "},
      {"a\\b+c", true, "a\\b+c"},  // with "\" the name is left alone
      {" Public data+more ", false, "PUBLIC DATA&"},
      {"short", false, "SHORT"},
  };
  for (const Case& c : cases) EXPECT_EQ(RepairShareName(c.name, c.nt), c.want) << c.name;
}

TEST(ShareNames, FolderOrPrinter) {
  const std::pair<const char*, const char*> folders[] = {
      {"c:", "C:\\"},
      {"C:\\", "C:\\"},
      {"D:\\Data\\", "D:\\DATA"},
      {"d:\\data", "D:\\DATA"},
      {"\\\\srv\\x\\", "\\\\SRV\\X"},
  };
  for (const auto& [path, want] : folders) {
    EXPECT_TRUE(IsSharedFolder(path)) << path;
    EXPECT_EQ(SharedFolderPath(path), want) << path;
  }
  EXPECT_FALSE(IsSharedFolder("HP LaserJet,winspool"));
}

// ---- "Set Access Control" ------------------------------------------------

// Lines 1-16 of "Set Access Control".
struct AccessLines {
  std::string object = "C:\\App";
  bool everyone = false, user = false, authenticated = false, named = false;
  std::string account;
  bool read = false, full = false, add = false, replace = false, remove = false;
  bool file = true, share = false, key = false, service = false, printer = false;

  std::vector<std::string> Lines() const {
    auto b = [](bool v) { return std::string(v ? "TRUE" : "FALSE"); };
    return {object,   b(everyone), b(user),    b(authenticated), b(named),  account,
            b(read),  b(full),     b(add),     b(replace),       b(remove), b(file),
            b(share), b(key),      b(service), b(printer)};
  }
};

class AccessControlTest : public testing::StatementTest {
 protected:
  void SetUp() override {
    RegisterShareStatements(table, ShareServices{twin, {}});
    twin.userSid = Sid(5, {21, 1, 2, 3, 1000});
    twin.accounts["Administrators"] = Sid(5, {32, 544});
  }
  void Set(const AccessLines& lines) { Run("Set Access Control", lines.Lines()); }
  std::optional<std::string>& Acl(Kind kind, const std::string& name) {
    return twin.ObjectAt(kind, name).acl;
  }
  // A list holding one entry of every account the tests name, and one other.
  static std::string Existing() {
    AccessList list;
    list.AddAllowed(Sid(1, {0}), 0x1200A9, 3);
    list.AddAllowed(Sid(5, {32, 545}), 0x1200A9, 3);
    list.AddAllowed(Sid(5, {32, 544}), 0x10000, 0);
    return *list.Bytes();
  }

  SecurityTwin twin;
};

TEST_F(AccessControlTest, ReadThenFullLeavesOneFullEntryPerAccount) {
  Acl(Kind::kFile, "C:\\App") = Existing();
  AccessLines lines;
  lines.everyone = lines.user = lines.authenticated = lines.named = true;
  lines.account = "Administrators";
  lines.read = lines.full = lines.add = true;
  Set(lines);
  EXPECT_EQ(Describe(Acl(Kind::kFile, "C:\\App")),
            (std::vector<std::string>{"S-1-5-32-545 1200A9 3", "S-1-1-0 1F01FF 3",
                                      "S-1-5-21-1-2-3-1000 1F01FF 3", "S-1-5-11 1F01FF 3",
                                      "S-1-5-32-544 1F01FF 3"}));
  EXPECT_EQ(twin.writes.size(), 8u);  // after each entry
  // Every entry looks its account up again.
  EXPECT_EQ(twin.userLookups, 2);
  EXPECT_EQ(twin.accountLookups, 2);
  for (int scopes : twin.scopesAtCall) EXPECT_EQ(scopes, 1);
}

TEST_F(AccessControlTest, ReadOnlyAndSidText) {
  Acl(Kind::kFile, "C:\\App") = *AccessList().Bytes();
  AccessLines lines;
  lines.named = true;
  lines.account = "s-1-5-32-545";
  lines.read = lines.add = true;
  Set(lines);
  EXPECT_EQ(Describe(Acl(Kind::kFile, "C:\\App")),
            (std::vector<std::string>{"S-1-5-32-545 1200A9 3"}));
  EXPECT_EQ(twin.accountLookups, 0);  // SID text needs no lookup
}

TEST_F(AccessControlTest, PrinterEntries) {
  Acl(Kind::kPrinter, "Office") = std::nullopt;
  twin.ObjectAt(Kind::kPrinter, "Office");
  AccessLines lines;
  lines.object = "Office";
  lines.file = false;
  lines.printer = true;
  lines.everyone = true;
  lines.read = lines.add = true;
  Set(lines);
  EXPECT_EQ(Describe(Acl(Kind::kPrinter, "Office")), (std::vector<std::string>{"S-1-1-0 20008 0"}));
  lines.read = false;
  lines.full = true;
  Set(lines);
  EXPECT_EQ(Describe(Acl(Kind::kPrinter, "Office")),
            (std::vector<std::string>{"S-1-1-0 F000C 0", "S-1-1-0 F0010 9"}));
}

TEST_F(AccessControlTest, NothingWrittenWithoutAnAccessLine) {
  Acl(Kind::kFile, "C:\\App") = Existing();
  AccessLines lines;
  lines.everyone = lines.add = true;
  Set(lines);
  EXPECT_TRUE(twin.writes.empty());
  EXPECT_TRUE(twin.calls.empty());
}

TEST_F(AccessControlTest, TheLastObjectKindLineWins) {
  twin.ObjectAt(Kind::kFile, "hklm\\Software\\X");
  twin.ObjectAt(Kind::kRegistryKey, "MACHINE\\Software\\X");
  twin.ObjectAt(Kind::kService, "hklm\\Software\\X").readCode = 5;
  AccessLines lines;
  lines.object = "hklm\\Software\\X";
  lines.everyone = lines.read = lines.add = true;
  lines.file = lines.key = true;
  Set(lines);
  EXPECT_EQ(twin.calls,
            (std::vector<std::string>{"read MACHINE\\Software\\X", "write MACHINE\\Software\\X"}));
  twin.calls.clear();
  lines.service = true;  // tested after the registry key; cannot be read
  Set(lines);
  EXPECT_EQ(twin.calls, (std::vector<std::string>{"read hklm\\Software\\X"}));
}

TEST_F(AccessControlTest, BothRegistryNameFormsAddressOneKey) {
  twin.ObjectAt(Kind::kRegistryKey, "MACHINE\\Software\\X");
  AccessLines lines;
  lines.file = false;
  lines.key = true;
  lines.everyone = lines.read = lines.add = true;
  for (const char* name : {"HKEY_LOCAL_MACHINE\\Software\\X", "hklm\\Software\\X"}) {
    lines.object = name;
    Set(lines);
  }
  EXPECT_EQ(twin.objects.size(), 1u);
  EXPECT_EQ(twin.writes.size(), 1u);  // the second run found the entry there already
}

TEST_F(AccessControlTest, NoObjectKindChangesNothing) {
  AccessLines lines;
  lines.file = false;
  lines.everyone = lines.read = lines.add = lines.replace = lines.remove = true;
  Set(lines);
  EXPECT_TRUE(twin.calls.empty());
}

TEST_F(AccessControlTest, ReplaceLeavesAnEmptyListWithoutOpeningItUp) {
  struct Case {
    std::optional<std::string> before;
    size_t writes;
  } cases[] = {
      {Existing(), 1},
      {std::nullopt, 1},
      {*AccessList().Bytes(), 0},  // already empty: nothing to write
  };
  for (const Case& c : cases) {
    twin.writes.clear();
    Acl(Kind::kFile, "C:\\App") = c.before;
    AccessLines lines;
    lines.replace = lines.remove = true;
    Set(lines);
    ASSERT_TRUE(Acl(Kind::kFile, "C:\\App"));
    EXPECT_EQ(AccessList::Parse(*Acl(Kind::kFile, "C:\\App"))->Count(), 0u);
    EXPECT_EQ(twin.writes.size(), c.writes);
    for (const auto& written : twin.writes) EXPECT_TRUE(written) << "a null list was written";
  }
}

TEST_F(AccessControlTest, RemoveLeavesNoList) {
  struct Case {
    std::optional<std::string> before;
    size_t writes;
  } cases[] = {
      {Existing(), 1},
      {*AccessList().Bytes(), 1},
      {std::nullopt, 2},  // empty list first, then none, as the object layer does
  };
  for (const Case& c : cases) {
    twin.writes.clear();
    Acl(Kind::kFile, "C:\\App") = c.before;
    AccessLines lines;
    lines.remove = true;
    Set(lines);
    EXPECT_FALSE(Acl(Kind::kFile, "C:\\App"));
    EXPECT_EQ(twin.writes.size(), c.writes);
  }
}

TEST_F(AccessControlTest, FailuresNeverReachTheScript) {
  // Not there, unreadable, unwritable, unknown account, no user token.
  twin.userSid.reset();
  twin.ObjectAt(Kind::kFile, "C:\\Locked").writeCode = 5;
  twin.ObjectAt(Kind::kFile, "C:\\Odd").acl = std::string("\x02\x00\xFF\x00", 4);
  for (const char* object : {"C:\\Missing", "C:\\Locked", "C:\\Odd"}) {
    AccessLines lines;
    lines.object = object;
    lines.everyone = lines.user = lines.named = true;
    lines.account = "nobody";
    lines.read = lines.full = lines.add = true;
    EXPECT_NO_THROW(Set(lines)) << object;
  }
  // An unreadable list is never written over.
  EXPECT_EQ(twin.ObjectAt(Kind::kFile, "C:\\Odd").acl, std::string("\x02\x00\xFF\x00", 4));
  EXPECT_TRUE(vars.GetVariable("ERROR").empty());
}

// ---- "Create Share" and "Delete Share" -----------------------------------

class ShareTest : public testing::StatementTest {
 protected:
  void SetUp() override { RegisterShareStatements(table, ShareServices{twin, {}}); }
  SecurityTwin twin;
};

TEST_F(ShareTest, CreateFolderAndPrinterShares) {
  vars.AssignVariable("DATA", "D:\\Data\\", "Test");
  struct Case {
    std::vector<std::string> lines;
    std::vector<std::string> calls;
  } cases[] = {
      {{"c:", "Root", "all"}, {"share |Root|all|C:\\", "touch \\\\HOST\\Root"}},
      {{"$DATA$|SRV", "a+b", "r"}, {"share SRV|a&b|r|D:\\DATA", "touch \\\\HOST\\a&b"}},
      {{"Office Printer,winspool", "Office", ""},
       {"share printer Office Printer|Office|", "touch \\\\HOST\\Office"}},
  };
  for (const Case& c : cases) {
    twin.calls.clear();
    Run("Create Share", c.lines);
    EXPECT_EQ(twin.calls, c.calls) << c.lines[0];
  }
  for (int scopes : twin.scopesAtCall) EXPECT_EQ(scopes, 1);
}

TEST_F(ShareTest, FailedCreationAsksNothingMore) {
  twin.shareCode = 2118;  // the name is taken
  Run("Create Share", {"C:\\x", "x", ""});
  EXPECT_EQ(twin.calls, (std::vector<std::string>{"share |x||C:\\X"}));
}

TEST_F(ShareTest, DeleteShares) {
  twin.shares[{"", "Data"}] = {0, "C:\\DATA", ""};
  twin.shares[{"SRV", "Office"}] = {kSharePrinterQueue, "Office Printer,LocalsplOnly", ""};
  twin.printerShares["Office Printer"] = "Office";
  Run("Delete Share", {"Data"});
  Run("Delete Share", {"Office|SRV"});
  Run("Delete Share", {"Gone"});
  EXPECT_EQ(twin.calls, (std::vector<std::string>{"find |Data", "delete |Data", "find SRV|Office",
                                                  "unshare printer Office Printer", "find |Gone"}));
  EXPECT_TRUE(twin.shares.count({"", "Data"}) == 0);
  EXPECT_TRUE(twin.printerShares.empty());
}

}  // namespace
}  // namespace vantrell
