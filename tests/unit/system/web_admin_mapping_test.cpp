// The wrapper library's text rules for servers of version 7.0 and later:
// bindings, time spans, connection limits, access policies, locations and
// virtual paths, document lists, MIME entries, states, control methods, the
// next free site number and the caller's buffer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/web_admin_mapping.h"

namespace vantrell {
namespace {

TEST(WebAdminMapping, BindingsTimeSpansAndLimits) {
  EXPECT_EQ(BindingInformation("", "8080", "www"), "*:8080:www");
  EXPECT_EQ(BindingInformation("10.0.0.1", "443", ""), "10.0.0.1:443:");
  const std::pair<int32_t, const char*> spans[] = {{0, "00:00:00"},
                                                   {120, "00:02:00"},
                                                   {3725, "01:02:05"},
                                                   {90000, "1.01:00:00"},
                                                   {-5, "00:00:00"}};
  for (const auto& [seconds, text] : spans) EXPECT_EQ(TimeSpanText(seconds), text) << seconds;
  EXPECT_EQ(MaxConnectionsText(true, 10), "4294967295");
  EXPECT_EQ(MaxConnectionsText(false, 10), "10");
  EXPECT_EQ(MaxConnectionsText(false, -1), "4294967295");
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
  for (const Case& c : cases)
    EXPECT_EQ(AccessPolicy(c.read, c.write, c.source, c.execute), c.policy) << c.policy;
}

TEST(WebAdminMapping, PathsAndLocations) {
  const std::pair<const char*, const char*> paths[] = {{"", "/"},
                                                       {"app", "/app"},
                                                       {"app/sub", "/app/sub"},
                                                       {"app\\sub\\", "/app/sub"},
                                                       {"/app//sub", "/app/sub"}};
  for (const auto& [folder, path] : paths) EXPECT_EQ(VirtualPath(folder), path) << folder;
  EXPECT_EQ(SiteLocation("Shop", ""), "Shop");
  EXPECT_EQ(SiteLocation("Shop", "app\\sub"), "Shop/app/sub");
}

TEST(WebAdminMapping, ListsAndEntries) {
  EXPECT_EQ(DocumentNames("index.htm, default.aspx,,"),
            (std::vector<std::string>{"index.htm", "default.aspx"}));
  EXPECT_TRUE(DocumentNames("").empty());
  std::string extension, type;
  EXPECT_TRUE(SplitMimeEntry(".json=application/json", extension, type));
  EXPECT_EQ(extension + "|" + type, ".json|application/json");
  EXPECT_TRUE(SplitMimeEntry(".x=a=b", extension, type));
  EXPECT_EQ(type, "a=b");
  EXPECT_FALSE(SplitMimeEntry(".bad", extension, type));
}

TEST(WebAdminMapping, StatesMethodsAndNumbers) {
  const std::pair<int32_t, int32_t> states[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}, {-1, 0}};
  for (const auto& [state, metabase] : states) EXPECT_EQ(MetabaseServerState(state), metabase);
  const std::pair<int32_t, const char*> methods[] = {{0, "Start"}, {1, "Stop"}, {2, "Stop"},
                                                     {3, "Start"}, {4, ""},     {-1, ""}};
  for (const auto& [action, method] : methods) EXPECT_EQ(ControlMethod(action), method);
  EXPECT_EQ(NextFreeSiteNumber({}), 1);
  EXPECT_EQ(NextFreeSiteNumber({1, 2, 4}), 3);
  EXPECT_EQ(NextFreeSiteNumber({3, 2, 1}), 4);
}

TEST(WebAdminMapping, BufferIsCutAndTerminated) {
  char buffer[6];
  std::fill(std::begin(buffer), std::end(buffer), 'x');
  CopyToBuffer("Default", buffer, sizeof(buffer));
  EXPECT_STREQ(buffer, "Defau");
  CopyToBuffer("ab", buffer, sizeof(buffer));
  EXPECT_STREQ(buffer, "ab");
  CopyToBuffer("ab", buffer, 0);
  EXPECT_STREQ(buffer, "ab");
  CopyToBuffer("ab", nullptr, 5);
}

}  // namespace
}  // namespace vantrell
