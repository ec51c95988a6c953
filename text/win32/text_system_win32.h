// The text statements' system access on Windows, through the ANSI API: text
// and paths in the system code page, as the engine holds them.
#pragma once

#include <string>

#include "text/text_system.h"

namespace vantrell {

class Win32TextSystem final : public TextSystem {
 public:
  // tempFolder: the engine's temporary folder ("TEMPDIR" at start-up); when
  // empty, the user's temporary folder at construction.
  explicit Win32TextSystem(std::string tempFolder = {});

  PathKind Probe(const std::string& path) override;
  std::unique_ptr<ByteReader> OpenForReading(const std::string& path) override;
  std::unique_ptr<Replacement> BeginReplacement(const std::string& path) override;
  std::unique_ptr<FolderListing> ListFolder(const std::string& pattern) override;
  std::string ProfileString(const std::string& file, const std::string& section,
                            const std::string& key, size_t bufferChars) override;
  std::string CreateTemporaryFile(const std::string& prefix) override;
  std::string ExpandEnvironment(const std::string& text) override;
  std::vector<std::string> EnvironmentBlock() override;
  std::string UpperCase(std::string text) override;
  std::string LowerCase(std::string text) override;
  std::string ShortPath(const std::string& path, size_t bufferChars) override;
  std::optional<std::string> EntryName(const std::string& path) override;
  std::unique_ptr<FileView> NativeFileView() override;

 private:
  std::string tempFolder_;
};

}  // namespace vantrell
