// The wrapper library's text rules for servers of version 7.0 and later:
// bindings, time spans, connection limits, access policies, virtual paths
// and locations, lists and MIME entries, states, control methods, the next
// free site number, and texts cut to the caller's buffer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/web_admin_mapping.h"

namespace vantrell {
namespace {

TEST(WebAdminMapping, BindingsTimeSpansAndLimits) {
  char out[64];
  EXPECT_STREQ(BindingInformation(out, sizeof(out), "", "8080", "www"), "*:8080:www");
  EXPECT_STREQ(BindingInformation(out, sizeof(out), "10.0.0.1", "443", ""), "10.0.0.1:443:");
  const std::pair<int32_t, const char*> spans[] = {{0, "00:00:00"},
                                                   {120, "00:02:00"},
                                                   {3725, "01:02:05"},
                                                   {90000, "1.01:00:00"},
                                                   {-5, "00:00:00"}};
  for (const auto& [seconds, text] : spans)
    EXPECT_STREQ(TimeSpanText(out, sizeof(out), seconds), text) << seconds;
  EXPECT_STREQ(MaxConnectionsText(out, sizeof(out), true, 10), "4294967295");
  EXPECT_STREQ(MaxConnectionsText(out, sizeof(out), false, 10), "10");
  EXPECT_STREQ(MaxConnectionsText(out, sizeof(out), false, -1), "4294967295");
}

TEST(WebAdminMapping, AccessPolicies) {
  struct Case {
    bool read, write, source;
    int32_t execute;
    const char* policy;
  } cases[] = {
      {false, false, false, 0, "None"},
      {true, false, false, 0, "Read"},
      {true, false, false, 1, "Read, Script"},
      {true, true, true, 2, "Read, Write, Script, Execute, Source"},
      {false, false, false, 2, "Script, Execute"},
  };
  char out[64];
  for (const Case& c : cases)
    EXPECT_STREQ(AccessPolicy(out, sizeof(out), c.read, c.write, c.source, c.execute), c.policy);
}

TEST(WebAdminMapping, PathsAndLocations) {
  const std::pair<const char*, const char*> paths[] = {{"", "/"},
                                                       {"app", "/app"},
                                                       {"app/sub", "/app/sub"},
                                                       {"app\\sub\\", "/app/sub"},
                                                       {"/app//sub", "/app/sub"},
                                                       {"\\", "/"}};
  char out[64];
  for (const auto& [folder, path] : paths)
    EXPECT_STREQ(VirtualPath(out, sizeof(out), folder), path) << folder;
  EXPECT_STREQ(SiteLocation(out, sizeof(out), "Shop", ""), "Shop");
  EXPECT_STREQ(SiteLocation(out, sizeof(out), "Shop", "app\\sub"), "Shop/app/sub");
}

TEST(WebAdminMapping, ListsAndEntries) {
  const std::pair<const char*, std::vector<std::string>> lists[] = {
      {"index.htm, default.aspx,,", {"index.htm", "default.aspx"}},
      {" , ,", {}},
      {"", {}},
      {"a", {"a"}},
  };
  for (const auto& [list, want] : lists) {
    std::vector<std::string> got;
    char item[32];
    for (const char* cursor = list; NextListItem(cursor, item, sizeof(item));) got.push_back(item);
    EXPECT_EQ(got, want) << list;
  }
  char extension[16], type[32];
  EXPECT_TRUE(
      SplitMimeEntry(".json=application/json", extension, sizeof(extension), type, sizeof(type)));
  EXPECT_EQ(std::string(extension) + "|" + type, ".json|application/json");
  EXPECT_TRUE(SplitMimeEntry(".x=a=b", extension, sizeof(extension), type, sizeof(type)));
  EXPECT_STREQ(type, "a=b");
  EXPECT_FALSE(SplitMimeEntry(".bad", extension, sizeof(extension), type, sizeof(type)));
}

TEST(WebAdminMapping, StatesMethodsAndNumbers) {
  const std::pair<int32_t, int32_t> states[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}, {-1, 0}};
  for (const auto& [state, metabase] : states) EXPECT_EQ(MetabaseServerState(state), metabase);
  const std::pair<int32_t, const char*> methods[] = {{0, "Start"}, {1, "Stop"},  {2, "Stop"},
                                                     {3, "Start"}, {4, nullptr}, {-1, nullptr}};
  for (const auto& [action, method] : methods) EXPECT_STREQ(ControlMethod(action), method);
  const int64_t some[] = {1, 2, 4};
  const int64_t all[] = {3, 2, 1};
  EXPECT_EQ(NextFreeSiteNumber(nullptr, 0), 1);
  EXPECT_EQ(NextFreeSiteNumber(some, 3), 3);
  EXPECT_EQ(NextFreeSiteNumber(all, 3), 4);
}

TEST(WebAdminMapping, TextsAreCutToTheBuffer) {
  char small[6];
  EXPECT_STREQ(BindingInformation(small, sizeof(small), "", "8080", "www"), "*:808");
  EXPECT_STREQ(AccessPolicy(small, sizeof(small), true, true, false, 0), "Read,");
  EXPECT_STREQ(VirtualPath(small, sizeof(small), "application"), "/appl");
  CopyToBuffer("Default", small, sizeof(small));
  EXPECT_STREQ(small, "Defau");
  CopyToBuffer("ab", small, 0);
  EXPECT_STREQ(small, "Defau");
  CopyToBuffer("ab", nullptr, 5);
}

}  // namespace
}  // namespace vantrell
