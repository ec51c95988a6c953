// The control classes that a dialog form may hold, each described by its
// published properties: name, kind and default value as text. The registry
// lists the 39 classes in the order in which the dialog form registers them,
// then the form class itself. Names compare without regard to ASCII case.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrell {

// How a property's value is stored in a form file and shown as text.
enum class PropertyKind {
  kInteger,     // decimal
  kText,        // the bytes of the text
  kBool,        // "True" / "False"
  kIdent,       // an enumeration name ("alClient"); a list of names restricts it
  kSet,         // "[fsBold,fsItalic]", "[]"
  kFontHeight,  // Font.Height, an integer; Font.Size is derived from it
  kFontSize,    // Font.Size in points, kept as Font.Height (see form_runtime.h)
  kCharset,     // a charset name ("DEFAULT_CHARSET") or its number
  kColor,       // a colour name ("clBtnFace") or "$00BBGGRR"
  kStrings,     // lines, joined by CR LF
  kBinary,      // picture and glyph data: the bytes as they are
};

struct PropertyDescriptor {
  std::string_view name;  // "Caption", "Font.Style"
  PropertyKind kind;
  std::string_view defaultText;  // the text of the value when the file has none
  std::string_view names;        // kIdent, kSet: the allowed names, comma separated
};

struct ClassDescriptor {
  std::string_view name;  // "TLabel"
  bool windowed;          // a window of its own (false: painted by its parent)
  std::vector<PropertyDescriptor> properties;

  const PropertyDescriptor* Find(std::string_view property) const;
};

// The registered control classes, in registration order (39 entries).
std::span<const ClassDescriptor> ControlClasses();
// The dialog form's own class, "TPoolTemplate", used for the root component
// of every form file whatever class name the file gives it.
const ClassDescriptor& FormClass();
// A registered control class by name; nullptr when none.
const ClassDescriptor* FindControlClass(std::string_view name);

// Splits a kIdent or kSet descriptor's name list.
std::vector<std::string_view> SplitNames(std::string_view names);

}  // namespace vantrell
