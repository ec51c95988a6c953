// The engine's own forms: the checked-in form files are what their text forms
// compile to (so an edit of the text cannot be forgotten in the binary), and
// the language dialog has the controls its window code finds by name.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/ascii.h"
#include "dialogs/form_runtime.h"
#include "dialogs/form_stream.h"
#include "dialogs/form_text.h"

namespace vantrell {
namespace {

std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(VANTRELL_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(EngineForms, FormFilesAreTheirCompiledTextForms) {
  for (const char* name : {"dialogs/forms/SelectLanguage"}) {
    SCOPED_TRACE(name);
    FormResource resource;
    resource.root = ParseFormText(ReadSource(std::string(name) + ".txt"));
    resource.resourceName = AsciiUpper(resource.root.className);
    EXPECT_EQ(WriteFormResource(resource), ReadSource(std::string(name) + ".dfm"))
        << "rebuild it: form_compile " << name << ".txt " << name << ".dfm";
  }
}

TEST(EngineForms, TheLanguageDialogsControls) {
  Form form(ReadFormResource(ReadSource("dialogs/forms/SelectLanguage.dfm")).root);
  ASSERT_NE(form.Find("Prompt"), nullptr);
  const FormControl* list = form.Find("Languages");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->ClassName(), "TComboBox");
  EXPECT_EQ(list->Get("Style"), "csDropDownList");  // a choice, never typed
  const FormControl* ok = form.Find("OK");
  const FormControl* cancel = form.Find("Cancel");
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(cancel, nullptr);
  EXPECT_TRUE(ok->Truth("Default"));     // Enter chooses
  EXPECT_TRUE(cancel->Truth("Cancel"));  // Escape cancels
  // The list takes the keyboard first, then OK, then Cancel.
  EXPECT_LT(list->Integer("TabOrder"), ok->Integer("TabOrder"));
  EXPECT_LT(ok->Integer("TabOrder"), cancel->Integer("TabOrder"));
}

}  // namespace
}  // namespace vantrell
