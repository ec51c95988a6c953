// The package a project gets when it names none: a WiX source holding only
// the product's identity, made from the project file (title, version,
// publisher, product code, default language). The build adds the rows of
// the script's install-type statements to it as to any package.
#pragma once

#include <string>

#include "authoring/project.h"

namespace vantrell::authoring {

// The installer's language identifier for a language name ("English" 1033);
// 0, language neutral, for a name the table does not know.
int LanguageIdentifier(const std::string& language);

// The upgrade code: given in the project, else derived from the product code
// so that every build of the product shares it.
std::string UpgradeCode(const Project& project);

// The WiX source of the identity-only package.
std::string IdentityPackageSource(const Project& project);

}  // namespace vantrell::authoring
