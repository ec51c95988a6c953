// Text files for "Read from Text File" and "Write to Text File": a line
// reader over a byte stream (lines end at CR LF, LF or CR), the one reader
// that stays open across statements, and adding a line to a file without
// losing its other lines (the new contents replace the file only when whole).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "text/text_system.h"

namespace vantrell {

class StreamLineReader {
 public:
  explicit StreamLineReader(std::unique_ptr<TextSystem::ByteReader> source);

  // True when no byte is left; a read error counts as the end.
  bool AtEnd();
  // The next line without its end. A line longer than limit comes in pieces
  // of limit bytes; the next call continues it.
  std::string ReadLine(size_t limit);

 private:
  bool Fill();

  std::unique_ptr<TextSystem::ByteReader> source_;
  std::string buffer_;
  size_t pos_ = 0;
  bool ended_ = false;
};

// The reader that "Read from Text File" keeps open between statements.
class TextFileReader {
 public:
  struct Result {
    bool opened = false;  // false: the file could not be opened
    bool read = false;    // a value was read (the file was not already at its end)
    std::string value;
    bool atEnd = false;  // the file is at its end now; the reader is closed
  };

  // Continues the open reader when key (the path in lower case) is the one
  // it was opened with; otherwise closes it and opens path. One call reads
  // one line, or with readAll every remaining line joined with "$NEWLINE$",
  // never more than maxBytes of text.
  Result Read(TextSystem& system, const std::string& path, const std::string& key, bool readAll,
              size_t maxBytes);
  void CloseIfOpenAs(const std::string& key);
  void Close();
  bool IsOpen() const { return reader_ != nullptr; }

 private:
  std::unique_ptr<StreamLineReader> reader_;
  std::string key_;
};

// Inserts text as the first line, or appends it as the last, and writes
// every line back ending in CR LF. A file that exists but cannot be read is
// left alone. False when nothing was written.
bool AddLineToTextFile(TextSystem& system, const std::string& path, const std::string& text,
                       bool atTop);

}  // namespace vantrell
