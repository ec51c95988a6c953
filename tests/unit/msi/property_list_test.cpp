// Installer property names and the run's property list with its ".par" text.
#include <gtest/gtest.h>

#include "msi/installer_property_names.h"
#include "msi/property_list.h"

namespace vantrell {
namespace {

TEST(InstallerPropertyNames, MembershipIgnoresCase) {
  struct Case {
    const char* name;
    bool want;
  } cases[] = {{"alluSERS", true},   {"MSILOGGING", true}, {"SourceDir", true}, {"sourcedir", true},
               {"TARGETDIR", false}, {"", false},          {"ALLUSERS ", false}};
  for (const Case& c : cases) EXPECT_EQ(IsInstallerPropertyName(c.name), c.want) << c.name;
}

TEST(PropertyList, ParTextRoundTrip) {
  PropertyList list;
  list.Append("A21F1A76D", "FALSE");
  list.Append("P21F1A76D_1", "C:\\Program Files\\Shop\\");
  list.Append("EMPTY", "");
  const std::string text = list.SaveText();
  EXPECT_EQ(text,
            "A21F1A76D\r\nFALSE\r\nP21F1A76D_1\r\nC:\\Program Files\\Shop\\\r\nEMPTY\r\n\r\n");
  PropertyList loaded;
  loaded.LoadText(text);
  EXPECT_EQ(loaded.Lines(), list.Lines());
  PropertyList unix;
  unix.LoadText("a\nb\rc");
  EXPECT_EQ(unix.Lines(), (std::vector<std::string>{"a", "b", "c"}));
}

}  // namespace
}  // namespace vantrell
