// "If" conditions, version comparison and the "Evaluate Expression" language.
#include "vars/conditions.h"

#include <array>
#include <vector>

#include "common/ascii.h"

namespace vantrell {
namespace {

constexpr std::string_view kEvaluateOrigin = "Evaluate Expression Action";

bool Contains(std::string_view text, std::string_view part) {
  // An empty part never occurs.
  return !part.empty() && text.find(part) != std::string_view::npos;
}

std::string UpperCopy(std::string_view text, AnsiUpperCase upper) {
  std::string out(text);
  if (!out.empty()) upper(out.data(), out.size());
  return out;
}

// Byte order with bytes as unsigned values; a proper prefix orders first.
int CompareBytes(std::string_view a, std::string_view b) {
  return a.compare(b);  // char_traits<char> compares as unsigned char
}

std::array<int32_t, 4> VersionFields(std::string_view text) {
  std::array<int32_t, 4> fields{};
  for (int32_t& field : fields) {
    if (text.empty()) break;
    size_t dot = text.find('.');
    // A field that is not an integer counts as 0, also before the last field.
    if (dot == std::string_view::npos) {
      field = StrToIntDef(text, 0);
      text = {};
    } else {
      field = StrToIntDef(text.substr(0, dot), 0);
      text.remove_prefix(dot + 1);
    }
  }
  return fields;
}

constexpr int kMalformed = -1;

// Reads the expression language from the front of its text. Nested
// parentheses are kept on an explicit stack, so depth costs no call stack.
class ExpressionReader {
 public:
  explicit ExpressionReader(std::string_view text) : s_(text) {}

  // 1, 0 or kMalformed; a ")" that closes nothing is left unread.
  int Expression() {
    struct Level {
      int value = kMalformed;  // no term yet
      bool isAnd = false;      // the connective before the next term
    };
    std::vector<Level> levels(1);
    for (;;) {
      SkipSpaces();
      if (AtEnd()) return kMalformed;
      if (s_[pos_] == '(') {
        ++pos_;
        levels.emplace_back();
        continue;
      }
      if (s_[pos_] != '"') return kMalformed;
      int term = Comparison();
      if (term == kMalformed) return kMalformed;
      // Fold the term in, closing every expression that ends here.
      for (;;) {
        Level& level = levels.back();
        if (level.value == kMalformed) {
          level.value = term;
        } else {
          level.value = level.isAnd ? (level.value & term) : (level.value | term);
        }
        SkipSpaces();
        if (AtEnd() || s_[pos_] == ')') {
          if (levels.size() == 1) return level.value;
          if (AtEnd()) return kMalformed;  // "(" never closed
          ++pos_;
          term = level.value;
          levels.pop_back();
          continue;
        }
        std::string_view word = Word();
        if (word != "and" && word != "or") return kMalformed;
        level.isAnd = word == "and";
        break;
      }
    }
  }

  bool AtEnd() const { return pos_ == s_.size(); }

 private:
  void SkipSpaces() {
    while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
  }

  // The run of bytes up to the next double quote or blank.
  std::string_view Word() {
    size_t start = pos_;
    while (pos_ < s_.size() && s_[pos_] != '"' && s_[pos_] != ' ') ++pos_;
    return s_.substr(start, pos_ - start);
  }

  bool String(std::string& out) {
    if (AtEnd() || s_[pos_] != '"') return false;
    ++pos_;
    while (pos_ < s_.size()) {
      char c = s_[pos_++];
      if (c != '"') {
        out += c;
        continue;
      }
      if (pos_ < s_.size() && s_[pos_] == '"') {
        out += '"';
        ++pos_;
        continue;
      }
      return true;
    }
    return false;  // no closing quote
  }

  int Comparison() {
    std::string left;
    std::string right;
    SkipSpaces();
    if (!String(left)) return kMalformed;
    SkipSpaces();
    std::string_view op = Word();
    SkipSpaces();
    if (!String(right)) return kMalformed;
    SkipSpaces();
    int order = CompareBytes(left, right);
    if (op == "=") return order == 0;
    if (op == "<>") return order != 0;
    if (op == "<") return order < 0;
    if (op == "<=") return order <= 0;
    if (op == ">") return order > 0;
    if (op == ">=") return order >= 0;
    return kMalformed;
  }

  std::string_view s_;
  size_t pos_ = 0;
};

bool Compare(std::string_view code, std::string_view v, std::string_view c, AnsiUpperCase upper) {
  if (code == "6") return CompareVersions(v, c);
  int32_t vi = 0;
  int32_t ci = 0;
  bool integers = TryStrToInt(v, vi) && TryStrToInt(c, ci);
  if (code == "0") return integers ? vi == ci : v == c;
  if (code == "1") return integers ? vi == ci : Contains(v, c);
  if (code == "2") return integers ? vi > ci : CompareBytes(v, c) > 0;
  if (code == "3") return integers ? vi == ci : Contains(UpperCopy(v, upper), UpperCopy(c, upper));
  if (code == "4") return integers ? vi == ci : EqualsIgnoreCase(v, c);
  return false;
}

}  // namespace

void AsciiUpperCase(char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) text[i] = AsciiUpper(text[i]);
}

bool ConditionHolds(const ConditionLines& lines, const TVariableManager& store,
                    AnsiUpperCase upper) {
  bool expected = TextToBool(lines.line4);
  bool outcome = false;
  if (lines.line2 == "5") {
    // Taken literally: "$NAME$" asks for a variable of that very name.
    outcome = store.VariableExists(lines.line1);
  } else {
    std::string name = TVariableManager::StripReference(lines.line1);
    if (name.empty()) name = lines.line1;
    // The value is expanded again, so references stored in it compare with their current values.
    std::string v = store.ExpandVariables(store.GetVariable(name));
    std::string c = store.ExpandVariables(lines.line3);
    outcome = Compare(lines.line2, v, c, upper);
  }
  return outcome == expected;
}

bool CompareVersions(std::string_view a, std::string_view b) {
  std::array<int32_t, 4> left = VersionFields(a);
  std::array<int32_t, 4> right = VersionFields(b);
  for (size_t i = 0; i < left.size(); ++i) {
    if (left[i] != right[i]) return left[i] > right[i];
  }
  return false;
}

std::string EvaluateExpression(std::string_view text) {
  std::string s;
  s.reserve(text.size() + 2);
  s += '(';
  s.append(text);
  s += ')';
  ExpressionReader reader(s);
  int value = reader.Expression();
  if (value == kMalformed || !reader.AtEnd()) return "ERROR";
  return value == 1 ? "TRUE" : "FALSE";
}

bool ExpressionSyntaxOk(std::string_view text) {
  std::string quoted(text);
  for (char& c : quoted) {
    if (c == '$') c = '"';
  }
  return EvaluateExpression(quoted) != "ERROR";
}

void RunEvaluateExpression(std::string_view line1, std::string_view line2,
                           TVariableManager& store) {
  store.DeclareResultVariable(line2, kEvaluateOrigin);
  std::string expression = store.ExpandVariablesQuoted(line1);
  store.AssignVariable(line2, EvaluateExpression(expression), kEvaluateOrigin);
}

}  // namespace vantrell
