// The text form of a component tree, as the form designer shows and the
// authoring tool edits it, and its parser. Grammar (two blanks per level):
//   component = ("object" | "inherited" | "inline") [Name ":"] Class ["[" int "]"]
//               property* component* "end"
//   property  = dotted-name "=" value
//   value     = int | float | string | ident | "True" | "False" | "nil"
//             | "[" [ident ("," ident)*] "]"                set
//             | "(" value* ")"                              list
//             | "<" ("item" ["[" int "]"] property* "end")* ">"  collection
//             | "{" hex digits "}"                          binary
//   string    = ("'" chars with '' for ' "'" | "#" code)+, joined by "+" across lines
//   float     = sign digits "." digits "E" sign digits, then "s" single, "c"
//               currency, "d" date, "f" double, nothing for extended
// Strings of the stream's byte types show bytes outside 32-126 as #byte;
// UTF-8 and wide strings show such characters as #code point.
#pragma once

#include <string>
#include <string_view>

#include "common/engine_error.h"
#include "dialogs/form_stream.h"

namespace vantrell {

std::string PrintFormText(const FormComponent& root);

// Thrown by ParseFormText; Line() is 1-based.
class FormTextError : public EngineError {
 public:
  FormTextError(const std::string& message, int line);
  int Line() const { return line_; }

 private:
  int line_;
};

// The tree of a text form. Integers take the smallest integer type, strings
// the byte types (6, or 12 beyond 255 bytes) unless a character is above 255,
// which makes them UTF-8 strings.
FormComponent ParseFormText(std::string_view text);

}  // namespace vantrell
