// Builds setup scripts for tests statement by statement, either as the
// in-memory lists or as the carried text layout.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "script/script_reader.h"

namespace vantrell::testing {

class ScriptBuilder {
 public:
  ScriptBuilder& Add(std::string command, std::vector<std::string> parameters = {},
                     bool switchedOff = false) {
    statements_.push_back({std::move(command), std::move(parameters), switchedOff});
    return *this;
  }
  ScriptBuilder& Off(std::string command, std::vector<std::string> parameters = {}) {
    return Add(std::move(command), std::move(parameters), true);
  }
  ScriptBuilder& Plugin(std::string command) {
    plugins_.push_back(std::move(command));
    return *this;
  }
  ScriptBuilder& Title(std::string title) {
    title_ = std::move(title);
    return *this;
  }

  static std::string Identifier(size_t index) {
    char buffer[48];
    std::snprintf(buffer, sizeof(buffer), "{00000000-0000-0000-0000-%012zu}", index);
    return buffer;
  }

  std::string Text() const {
    std::string s;
    auto line = [&s](const std::string& l) { s += l + "\r\n"; };
    for (const auto& st : statements_) line(st.command);
    line("$");
    for (size_t i = 0; i < statements_.size(); ++i) line(Identifier(i));
    line("$");
    for (size_t i = 0; i < statements_.size(); ++i) {
      if (statements_[i].parameters.empty()) continue;
      line(Identifier(i));
      for (const auto& p : statements_[i].parameters) line(p);
    }
    line("$");
    for (const auto& st : statements_) line(st.off ? "C" : "");
    line("$");
    line("{11111111-2222-3333-4444-555555555555}");
    line(title_);
    for (const auto& p : plugins_) line(p);
    line("$");
    for (const char* r : {"Publisher", "Contact", "Help", "Updates", "Comments", "1.0"}) line(r);
    line("$");
    for (size_t i = 0; i < statements_.size(); ++i) line("");
    line("$");
    line("1");
    line("$");
    line("{66666666-7777-8888-9999-000000000000}");
    line("$");
    line("FALSE");
    line("English");
    line("$");
    line("$");
    return s;
  }

  SetupScript Build() const { return ReadScript(Text()); }

 private:
  struct Statement {
    std::string command;
    std::vector<std::string> parameters;
    bool off;
  };
  std::vector<Statement> statements_;
  std::vector<std::string> plugins_;
  std::string title_ = "Test Product";
};

}  // namespace vantrell::testing
