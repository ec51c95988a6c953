// The live form: the tree of controls built from a form file's components,
// each of a registered class, with every published property readable and
// writable by name as text. Names of properties and controls compare without
// regard to ASCII case. Text forms of the values, by kind:
//   integer "-12"; text the bytes of byte strings, UTF-8 for UTF-8 and wide
//   strings; truth "True"/"False" (set: also any case, "-1", "1", "0");
//   identifier "alClient" (set: any case of an allowed name, or any name and
//   integers where the class allows any); set "[fsBold,fsItalic]" (set: blanks
//   allowed, "[]" empty); colour "clBtnFace" or "$00BBGGRR" (set: also a
//   decimal or "$" number); charset "DEFAULT_CHARSET" or a number; strings
//   the lines joined by CR LF (set: split at CR LF or LF); binary the bytes.
// Font.Size is not stored: it is Font.Height converted with the form's
// PixelsPerInch, -MulDiv(Height, 72, PixelsPerInch), and setting it stores
// Font.Height = -MulDiv(Size, PixelsPerInch, 72).
// "Lines" and "Items" stand for "Lines.Strings" and "Items.Strings", and the
// "Text" of memos and rich edits for their lines.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/engine_error.h"
#include "dialogs/form_classes.h"
#include "dialogs/form_stream.h"

namespace vantrell {

// A form file names a class that is not registered: "Class TFoo not found".
class FormClassError : public EngineError {
 public:
  explicit FormClassError(const std::string& className);
  const std::string& ClassName() const { return className_; }

 private:
  std::string className_;
};

enum class SetResult {
  kDone,
  kUnknownProperty,  // neither published by the class nor stored in the file
  kBadValue,         // the text is no value of the property's kind
};

class Form;

class FormControl {
 public:
  FormControl(const ClassDescriptor& descriptor, const FormComponent& component,
              FormControl* parent, Form* form);
  FormControl(const FormControl&) = delete;
  FormControl& operator=(const FormControl&) = delete;

  const std::string& ClassName() const { return className_; }  // as the file gives it
  const std::string& Name() const { return name_; }
  const ClassDescriptor& Descriptor() const { return *descriptor_; }
  FormControl* Parent() const { return parent_; }
  const std::vector<std::unique_ptr<FormControl>>& Children() const { return children_; }

  // Published or stored in the file (also properties the class does not
  // publish, which are kept as they were read).
  bool Has(std::string_view property) const;
  // The value as text: stored, else the class default; nullopt when !Has.
  std::optional<std::string> Get(std::string_view property) const;
  // The file gave the property a value, or Set did.
  bool IsStored(std::string_view property) const;
  SetResult Set(std::string_view property, std::string_view text);

  // The stored value of a property (file or Set), nullptr when it has its default.
  const FormValue* Value(std::string_view property) const;
  // Typed reads for the window side; a value of another kind reads as the fallback.
  int64_t Integer(std::string_view property, int64_t fallback = 0) const;
  bool Truth(std::string_view property) const;
  std::vector<std::string> Lines(std::string_view property) const;

  // The properties as stored: read from the file in file order, then those set.
  const std::vector<FormProperty>& Stored() const { return stored_; }
  // The component again, with the current stored values.
  FormComponent ToComponent() const;

 private:
  friend class Form;
  const FormValue* Find(std::string_view canonical) const;
  std::string Canonical(std::string_view property) const;
  void Store(std::string_view canonical, FormValue value);

  const ClassDescriptor* descriptor_;
  std::string className_;
  std::string name_;
  uint8_t flags_ = 0;
  FormValue position_;
  std::vector<FormProperty> stored_;
  FormControl* parent_;
  Form* form_;
  std::vector<std::unique_ptr<FormControl>> children_;
};

class Form {
 public:
  // Builds the tree; the root takes the form class whatever its class name.
  // Throws FormClassError for the first component (depth first, file order)
  // whose class is not registered.
  explicit Form(const FormComponent& root);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  FormControl& Root() { return *root_; }
  const FormControl& Root() const { return *root_; }
  // The form or a control by Name; nullptr when none.
  FormControl* Find(std::string_view name) const;
  // All controls below the form, depth first in file order.
  std::vector<FormControl*> Controls() const;
  // The resolution the form was designed at (PixelsPerInch; 96 when absent or not positive).
  int DesignPixelsPerInch() const;

 private:
  std::unique_ptr<FormControl> root_;
};

// A colour resolved for painting: a system colour index (COLOR_BTNFACE ...)
// or an RGB value 0x00BBGGRR; none for clNone and clDefault.
struct ColorValue {
  enum class Source { kRgb, kSystem, kNone } source = Source::kNone;
  uint32_t value = 0;
};
// From the text of a colour property; nullopt when the text is no colour.
std::optional<ColorValue> ParseColor(std::string_view text);
// From the text of a charset property; nullopt when the text is none.
std::optional<int> ParseCharset(std::string_view text);
// "[a,b]" into its element names; nullopt when the brackets are missing.
std::optional<std::vector<std::string>> ParseSetText(std::string_view text);

// A picture property's data: the picture class name as a short string, then
// the picture in that class's file format, which some classes (bitmaps, JPEG
// images) precede with its 32-bit size. Empty class name when the data is
// too short for its name.
struct PictureData {
  std::string className;   // "TBitmap", "TIcon", "TPngImage", "TJPEGImage"
  std::string_view image;  // the file image, without the size
};
PictureData SplitPictureData(std::string_view data);

}  // namespace vantrell
