// Text file reading and line adding (contract in text_file_statements.h).
#include "text/text_file_statements.h"

#include <vector>

namespace vantrell {
namespace {

constexpr size_t kChunk = size_t{64} << 10;
constexpr std::string_view kNewline = "$NEWLINE$";

}  // namespace

StreamLineReader::StreamLineReader(std::unique_ptr<TextSystem::ByteReader> source)
    : source_(std::move(source)) {}

bool StreamLineReader::Fill() {
  if (ended_) return false;
  buffer_.resize(kChunk);
  std::optional<size_t> n = source_->Read(buffer_.data(), buffer_.size());
  if (!n || *n == 0 || *n > kChunk) {
    ended_ = true;
    buffer_.clear();
    pos_ = 0;
    return false;
  }
  buffer_.resize(*n);
  pos_ = 0;
  return true;
}

bool StreamLineReader::AtEnd() {
  return pos_ == buffer_.size() && !Fill();
}

std::string StreamLineReader::ReadLine(size_t limit) {
  std::string line;
  for (;;) {
    if (pos_ == buffer_.size() && !Fill()) return line;
    size_t end = buffer_.find_first_of("\r\n", pos_);
    size_t stop = end == std::string::npos ? buffer_.size() : end;
    size_t room = limit - line.size();
    if (stop - pos_ > room) {
      line.append(buffer_, pos_, room);
      pos_ += room;
      return line;
    }
    line.append(buffer_, pos_, stop - pos_);
    pos_ = stop;
    if (end == std::string::npos) continue;
    char c = buffer_[pos_++];
    if (c == '\r' && (pos_ < buffer_.size() || Fill()) && buffer_[pos_] == '\n') ++pos_;
    return line;
  }
}

TextFileReader::Result TextFileReader::Read(TextSystem& system, const std::string& path,
                                            const std::string& key, bool readAll, size_t maxBytes) {
  Result result;
  if (reader_ == nullptr || key_ != key) {
    Close();
    std::unique_ptr<TextSystem::ByteReader> bytes = system.OpenForReading(path);
    if (bytes == nullptr) return result;
    reader_ = std::make_unique<StreamLineReader>(std::move(bytes));
    key_ = key;
  }
  result.opened = true;
  if (maxBytes == 0) maxBytes = 1;
  if (!reader_->AtEnd()) {
    result.read = true;
    if (!readAll) {
      result.value = reader_->ReadLine(maxBytes);
    } else {
      bool first = true;
      while (!reader_->AtEnd()) {
        if (!first) {
          if (result.value.size() + kNewline.size() >= maxBytes) break;
          result.value += kNewline;
        }
        result.value += reader_->ReadLine(maxBytes - result.value.size());
        first = false;
        if (result.value.size() >= maxBytes) break;
      }
    }
  }
  result.atEnd = reader_->AtEnd();
  if (result.atEnd) Close();
  return result;
}

void TextFileReader::CloseIfOpenAs(const std::string& key) {
  if (reader_ != nullptr && key_ == key) Close();
}

void TextFileReader::Close() {
  reader_.reset();
  key_.clear();
}

bool AddLineToTextFile(TextSystem& system, const std::string& path, const std::string& text,
                       bool atTop) {
  if (path.empty()) return false;
  const TextSystem::PathKind kind = system.Probe(path);
  if (kind == TextSystem::PathKind::kFolder || kind == TextSystem::PathKind::kDevice) return false;
  std::unique_ptr<TextSystem::ByteReader> old;
  if (kind == TextSystem::PathKind::kFile) {
    old = system.OpenForReading(path);
    if (old == nullptr) return false;
  }
  std::unique_ptr<TextSystem::Replacement> out = system.BeginReplacement(path);
  if (out == nullptr) return false;
  const std::string line = text + "\r\n";
  if (atTop && !out->Write(line)) return false;
  if (old != nullptr) {
    // Every line end becomes CR LF, and the last line gets one.
    std::vector<char> chunk(kChunk);
    std::string converted;
    bool afterCr = false;
    bool endsInLineBreak = true;
    for (;;) {
      std::optional<size_t> n = old->Read(chunk.data(), chunk.size());
      if (!n || *n > chunk.size()) return false;  // unreadable: keep the file as it is
      if (*n == 0) break;
      converted.clear();
      for (size_t i = 0; i < *n; ++i) {
        char c = chunk[i];
        if (c == '\r') {
          converted += "\r\n";
        } else if (c == '\n') {
          if (!afterCr) converted += "\r\n";
        } else {
          converted.push_back(c);
        }
        afterCr = c == '\r';
        endsInLineBreak = c == '\r' || c == '\n';
      }
      if (!out->Write(converted)) return false;
    }
    if (!endsInLineBreak && !out->Write("\r\n")) return false;
    old.reset();
  }
  if (!atTop && !out->Write(line)) return false;
  return out->Commit();
}

}  // namespace vantrell
