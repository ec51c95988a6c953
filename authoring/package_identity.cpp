// The identity-only package source (contract in package_identity.h).
#include "authoring/package_identity.h"

#include <utility>

#include "authoring/identifiers.h"
#include "common/ascii.h"

namespace vantrell::authoring {
namespace {

std::string Xml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

int LanguageIdentifier(const std::string& language) {
  static const std::pair<const char*, int> kLanguages[] = {
      {"English", 1033},  {"German", 1031},  {"French", 1036},     {"Spanish", 3082},
      {"Italian", 1040},  {"Dutch", 1043},   {"Portuguese", 2070}, {"Brazilian", 1046},
      {"Swedish", 1053},  {"Danish", 1030},  {"Norwegian", 1044},  {"Finnish", 1035},
      {"Polish", 1045},   {"Czech", 1029},   {"Hungarian", 1038},  {"Russian", 1049},
      {"Japanese", 1041}, {"Chinese", 2052}, {"Korean", 1042},     {"Turkish", 1055},
      {"Greek", 1032},    {"Hebrew", 1037},  {"Arabic", 1025},
  };
  for (const auto& [name, id] : kLanguages) {
    if (EqualsIgnoreCase(name, language)) return id;
  }
  return 0;
}

std::string UpgradeCode(const Project& p) {
  if (!p.upgradeCode.empty()) return AsciiUpper(p.upgradeCode);
  // A name-based GUID in its own name space: the product code and a fixed word.
  return DerivedIdentifier(p.productCode, "", "upgrade-code", 0);
}

std::string IdentityPackageSource(const Project& p) {
  const std::string version = p.version.empty() ? "1.0.0" : p.version;
  const std::string publisher = p.publisher.empty() ? p.title : p.publisher;
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
         "  <Product Id=\"" +
         Xml(AsciiUpper(p.productCode)) + "\" Name=\"" + Xml(p.title) + "\" Language=\"" +
         std::to_string(LanguageIdentifier(p.defaultLanguage)) + "\" Version=\"" + Xml(version) +
         "\" Manufacturer=\"" + Xml(publisher) + "\" UpgradeCode=\"" + Xml(UpgradeCode(p)) +
         "\">\n"
         "    <Package InstallerVersion=\"200\" Compressed=\"yes\" Comments=\"" +
         Xml(p.comments) +
         "\" />\n"
         "    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\" />\n"
         "  </Product>\n"
         "</Wix>\n";
}

}  // namespace vantrell::authoring
