// "Transform Instance": a new identity each time a new instance is asked for,
// none for a patch run or without NEWINSTANCE.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "msi/transform_instance.h"
#include "script/run_identity.h"
#include "twins/statement_test.h"

namespace vantrell {
namespace {

using testing::StatementRunner;
using testing::StubRun;

TEST(TransformInstance, NewIdentityOnlyForANewInstanceWithoutPatch) {
  struct Case {
    const char* newInstance;
    bool patch;
    bool changes;
  } cases[] = {
      {"TRUE", false, true}, {"-1", false, true}, {"FALSE", false, false}, {"TRUE", true, false}};
  for (const Case& c : cases) {
    StatementRunner statements;
    // Wired as the engine's table does, with the case's patch.
    statements.table.Register("Transform Instance", [&c](StatementContext& s) {
      ExecuteTransformInstance(s, c.patch, [&s] { s.run.Rebootstrap(); });
    });
    statements.vars.PutVariable("NEWINSTANCE", c.newInstance);
    StubRun& run = statements.run;
    CurrentRun().productCode = "{OLD}";
    CurrentRun().revisionCode = "{OLDREV}";
    statements.Run("Transform Instance");
    const std::string first = CurrentRun().productCode;
    EXPECT_EQ(first != "{OLD}", c.changes) << c.newInstance << c.patch;
    EXPECT_EQ(run.rebootstraps, c.changes ? 1 : 0);
    if (!c.changes) continue;
    EXPECT_NE(CurrentRun().revisionCode, first);
    statements.Run("Transform Instance");
    EXPECT_NE(CurrentRun().productCode, first) << "a second request makes another identity";
  }
}

TEST(TransformInstance, GuidsAreUpperCaseRegistryFormAndDistinct) {
  const std::regex form(
      "\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
  std::set<std::string> seen;
  for (int i = 0; i < 1000; ++i) {
    const std::string guid = NewGuid();
    EXPECT_TRUE(std::regex_match(guid, form)) << guid;
    seen.insert(guid);
  }
  EXPECT_EQ(seen.size(), 1000u);
}

}  // namespace
}  // namespace vantrell
