// "Transform Instance": when NEWINSTANCE is true and no patch travels with the
// setup, the run takes a new product code and revision code, so that the next
// "Apply Changes" installs a second, independent instance of the product.
#pragma once

#include <functional>
#include <string>

#include "script/statements.h"

namespace vantrell {

// A new GUID in registry form: upper case, with braces (random, version 4).
std::string NewGuid();

// rebootstrap runs the bootstrap again under the new identity.
void ExecuteTransformInstance(StatementContext& statement, bool patchPresent,
                              const std::function<void()>& rebootstrap);

}  // namespace vantrell
