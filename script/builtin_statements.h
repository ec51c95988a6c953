// Registers the handlers of the built-in statements that the engine serves so
// far with the statement table. Called once before the first run.
#pragma once

namespace vantrell {

void RegisterBuiltInStatements();

}  // namespace vantrell
