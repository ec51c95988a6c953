// Conditions of "If" and "Else If" (a variable, a comparison code "0" to "6",
// a value and the expected outcome) and the expression language of
// "Evaluate Expression". Expression grammar, after references are replaced:
//   expression := term { connective term }      applied left to right
//   connective := "and" | "or"                  lower case only
//   term       := "(" expression ")" | comparison
//   comparison := string operator string        texts compared byte by byte
//   operator   := "=" | "<>" | "<" | "<=" | ">" | ">="
//   string     := '"' { any byte | '""' } '"'
// Blanks (code 32) may precede any token. A connective or operator is the run
// of bytes up to the next '"' or blank, so "and(" is not "and".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "vars/integer_text.h"
#include "vars/variable_manager.h"

namespace vantrell {

// Upper-cases a buffer in place with the system ANSI code page.
using AnsiUpperCase = void (*)(char* text, size_t length);
// The portable stand-in: a to z only.
void AsciiUpperCase(char* text, size_t length);

// The four parameter lines of "If" or "Else If", read and translated by the caller.
struct ConditionLines {
  std::string line1;  // variable: NAME or $NAME$
  std::string line2;  // comparison code
  std::string line3;  // comparison value, may hold references
  std::string line4;  // expected outcome, read with TextToBool
};

bool ConditionHolds(const ConditionLines& lines, const TVariableManager& store,
                    AnsiUpperCase upper = AsciiUpperCase);

// True when version a (up to four "." fields) is greater than version b.
bool CompareVersions(std::string_view a, std::string_view b);

// "TRUE", "FALSE", or "ERROR" for a malformed expression.
std::string EvaluateExpression(std::string_view text);
// The compile-time test: every "$" read as a double quote, then not "ERROR".
bool ExpressionSyntaxOk(std::string_view text);

// The statement "Evaluate Expression": line1 the expression, line2 the result variable.
void RunEvaluateExpression(std::string_view line1, std::string_view line2, TVariableManager& store);

}  // namespace vantrell
