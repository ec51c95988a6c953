// Real form files written by a form designer (VANTRELL_FORM_TESTDATA: *.dfm
// and their text forms in text/*.txt): each reads into its tree, prints as its
// text form, writes back to the same bytes and survives the text round trip;
// damaged copies fail with a stream error and nothing worse.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dialogs/form_stream.h"
#include "dialogs/form_text.h"

namespace vantrell {
namespace {

namespace fs = std::filesystem;

const fs::path kDataDir = VANTRELL_FORM_TESTDATA;
constexpr size_t kFormFileCount = 15;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<fs::path> FormFiles() {
  std::vector<fs::path> files;
  if (!fs::is_directory(kDataDir)) return files;
  for (const auto& entry : fs::directory_iterator(kDataDir)) {
    if (entry.path().extension() == ".dfm") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Lines without trailing blanks or CR; the converter that wrote the text forms
// leaves blanks after "<" and "end", and inside an empty list "(  )".
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    line.erase(line.find_last_not_of(" \r") + 1);
    size_t open = line.find_last_of('(');
    if (open != std::string::npos && line.back() == ')' &&
        line.find_first_not_of(' ', open + 1) == line.size() - 1) {
      line.erase(open + 1, line.size() - open - 2);
    }
    lines.push_back(line);
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

void ExpectSameLines(const std::string& expected, const std::string& actual) {
  std::vector<std::string> want = Lines(expected);
  std::vector<std::string> got = Lines(actual);
  for (size_t i = 0; i < std::min(want.size(), got.size()); ++i) {
    if (want[i] != got[i]) {
      ADD_FAILURE() << "line " << i + 1 << "\nexpected: " << want[i] << "\nactual:   " << got[i];
      return;
    }
  }
  EXPECT_EQ(want.size(), got.size());
}

// The stream part of a form file (after the resource header).
std::string StreamOf(const std::string& file) {
  size_t nul = file.find('\0', 3);
  return file.substr(nul + 7);
}

class FormFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files_ = FormFiles();
    if (files_.empty()) GTEST_SKIP() << "no form test data in " << kDataDir;
  }
  std::vector<fs::path> files_;
};

TEST_F(FormFilesTest, EveryFileReadsPrintsAndWritesBack) {
  EXPECT_EQ(files_.size(), kFormFileCount);
  size_t compared = 0;
  for (const fs::path& path : files_) {
    SCOPED_TRACE(path.filename().string());
    std::string file = ReadFile(path);
    FormResource resource = ReadFormResource(file);
    EXPECT_FALSE(resource.root.className.empty());
    EXPECT_EQ(WriteFormResource(resource), file);

    std::string printed = PrintFormText(resource.root);
    fs::path textPath = kDataDir / "text" / path.filename().replace_extension(".txt");
    if (fs::exists(textPath)) {
      ExpectSameLines(ReadFile(textPath), printed);
      ++compared;
    }
    // Text -> tree -> binary -> tree -> text.
    FormComponent parsed = ParseFormText(printed);
    FormComponent again = ReadFormStream(WriteFormStream(parsed));
    EXPECT_EQ(PrintFormText(again), printed);
  }
  EXPECT_EQ(compared, kFormFileCount - 1);
}

TEST_F(FormFilesTest, TextFormsCompileToTheSameText) {
  for (const fs::path& path : files_) {
    fs::path textPath = kDataDir / "text" / path.filename().replace_extension(".txt");
    if (!fs::exists(textPath)) continue;
    SCOPED_TRACE(textPath.filename().string());
    std::string text = ReadFile(textPath);
    FormComponent compiled = ReadFormStream(WriteFormStream(ParseFormText(text)));
    ExpectSameLines(text, PrintFormText(compiled));
  }
}

TEST_F(FormFilesTest, EveryTruncationFails) {
  for (const fs::path& path : files_) {
    SCOPED_TRACE(path.filename().string());
    std::string file = ReadFile(path);
    std::string stream = StreamOf(file);
    // Every offset in small streams, about 200 spread over large ones.
    size_t step = std::max<size_t>(1, stream.size() / 200);
    for (size_t length = 0; length < stream.size(); length += step) {
      EXPECT_THROW(ReadFormStream(stream.substr(0, length)), FormStreamError) << length;
    }
    for (size_t length = 0; length < file.size(); length += step) {
      EXPECT_THROW(ReadFormResource(file.substr(0, length)), FormStreamError) << length;
    }
  }
}

TEST_F(FormFilesTest, FlippedBytesFailCleanly) {
  std::mt19937 random(20240611);
  size_t failures = 0;
  size_t total = 0;
  for (const fs::path& path : files_) {
    SCOPED_TRACE(path.filename().string());
    std::string stream = StreamOf(ReadFile(path));
    for (int round = 0; round < 80; ++round) {
      std::string damaged = stream;
      int flips = 1 + static_cast<int>(random() % 4);
      for (int k = 0; k < flips; ++k) {
        damaged[random() % damaged.size()] ^= static_cast<char>(1 + random() % 255);
      }
      ++total;
      try {
        FormComponent root = ReadFormStream(damaged);
        // What still reads must print and write as any tree does.
        std::string text = PrintFormText(root);
        EXPECT_EQ(ReadFormStream(WriteFormStream(root)), root);
        EXPECT_FALSE(text.empty());
      } catch (const FormStreamError&) {
        ++failures;
      }
    }
  }
  // A flip inside binary data, a text or a number reads as other data; about a
  // quarter of the damaged copies break the structure and must be noticed.
  EXPECT_GT(failures, total / 8);
}

}  // namespace
}  // namespace vantrell
