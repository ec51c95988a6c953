// Extraction of all or selected entries of an open archive into a destination folder,
// streaming each folder once, checking CRCs, refusing unsafe names before writing.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "archive.h"

namespace zeb {

struct ExtractRequest {
  NativePath destination;
  bool all = true;
  std::vector<std::string> selection;  // API names, used when all is false
  // Called with the current entry's API name and bytes done/total; false stops.
  std::function<bool(const std::string&, uint64_t, uint64_t)> progress;
};

// Returns a zeb.h code.
int32_t ExtractEntries(Archive& archive, const ExtractRequest& request);

// Key under which API names are matched: '/' separators, ASCII case folded.
std::string SelectionKey(const std::string& apiName);

}  // namespace zeb
