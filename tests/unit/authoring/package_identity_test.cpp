// The package made from a project's identity: its WiX source, the derived
// upgrade code and the language table.
#include "authoring/package_identity.h"

#include <gtest/gtest.h>

#include "authoring/identifiers.h"

namespace vantrell::authoring {
namespace {

Project Identity() {
  Project p;
  p.title = "Tom & Jerry's <Setup>";
  p.productCode = "{2d5e8a41-6b3c-4f0e-9a17-c84b5d2e6f03}";
  p.version = "2.1.0";
  p.publisher = "A \"quoted\" firm";
  p.defaultLanguage = "german";
  return p;
}

TEST(PackageIdentityTest, SourceCarriesTheProjectsIdentityEscaped) {
  const std::string wxs = IdentityPackageSource(Identity());
  for (const char* expected : {
           "Id=\"{2D5E8A41-6B3C-4F0E-9A17-C84B5D2E6F03}\"",
           "Name=\"Tom &amp; Jerry's &lt;Setup&gt;\"",
           "Language=\"1031\"",
           "Version=\"2.1.0\"",
           "Manufacturer=\"A &quot;quoted&quot; firm\"",
           "<Directory Id=\"TARGETDIR\" Name=\"SourceDir\" />",
       })
    EXPECT_NE(wxs.find(expected), std::string::npos) << expected << "\n" << wxs;
}

TEST(PackageIdentityTest, UpgradeCodeIsGivenOrStablyDerived) {
  Project p = Identity();
  const std::string derived = UpgradeCode(p);
  EXPECT_TRUE(IsBracedGuid(derived));
  EXPECT_NE(derived, "{2D5E8A41-6B3C-4F0E-9A17-C84B5D2E6F03}");
  p.revisionCode = "{7F1A3C95-2E4D-4B68-8D0C-1A9E5F3B7C24}";  // a new build, the same product
  EXPECT_EQ(UpgradeCode(p), derived);
  p.upgradeCode = "{93b0e4d7-1c2a-4e5f-b6d8-0f7a2c4e9b15}";
  EXPECT_EQ(UpgradeCode(p), "{93B0E4D7-1C2A-4E5F-B6D8-0F7A2C4E9B15}");
}

TEST(PackageIdentityTest, LanguagesByName) {
  EXPECT_EQ(LanguageIdentifier("English"), 1033);
  EXPECT_EQ(LanguageIdentifier("FRENCH"), 1036);
  EXPECT_EQ(LanguageIdentifier("Klingon"), 0);
}

}  // namespace
}  // namespace vantrell::authoring
