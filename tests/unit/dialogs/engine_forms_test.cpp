// The engine's own forms: the checked-in form files are what their text forms
// compile to (so an edit of the text cannot be forgotten in the binary), and
// the language dialog and start-up's windows have the controls and design
// their window code relies on.
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
  for (const char* name :
       {"dialogs/forms/SelectLanguage", "dialogs/forms/SetupInit", "dialogs/forms/SetupSplash"}) {
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

// The preparing window as designed at 96 pixels per inch: a fixed frame
// without title-bar buttons, the text beside the icons, the bar beneath.
TEST(EngineForms, ThePreparingWindowsDesign) {
  Form form(ReadFormResource(ReadSource("dialogs/forms/SetupInit.dfm")).root);
  EXPECT_EQ(form.Root().ClassName(), "TSetupInit");
  EXPECT_EQ(form.DesignPixelsPerInch(), 96);
  struct Case {
    const char* control;
    const char* className;
    const char* property;
    const char* value;
  } cases[] = {
      {"SetupInit", "TSetupInit", "BorderStyle", "bsSingle"},
      {"SetupInit", "TSetupInit", "BorderIcons", "[]"},
      {"SetupInit", "TSetupInit", "ClientWidth", "369"},
      {"SetupInit", "TSetupInit", "ClientHeight", "89"},
      {"SetupInit", "TSetupInit", "Font.Name", "Tahoma"},
      {"SetupInit", "TSetupInit", "Font.Height", "-11"},
      {"SetupInit", "TSetupInit", "Position", "poDesigned"},  // start-up places it
      {"Label1", "TLabel", "Left", "56"},
      {"Label1", "TLabel", "Top", "16"},
      {"Label1", "TLabel", "Width", "297"},
      {"Label1", "TLabel", "Height", "33"},
      {"Label1", "TLabel", "WordWrap", "True"},
      {"Label1", "TLabel", "AutoSize", "False"},
      {"Image1", "TImage", "Left", "16"},
      {"Image1", "TImage", "Top", "16"},
      {"Image1", "TImage", "Width", "32"},
      {"Image1", "TImage", "Height", "32"},
      {"Image1", "TImage", "AutoSize", "True"},
      {"Image2", "TImage", "Left", "16"},
      {"Image2", "TImage", "Top", "16"},
      {"Image2", "TImage", "Width", "32"},
      {"Image2", "TImage", "Height", "32"},
      {"Image2", "TImage", "AutoSize", "True"},
      {"ProgressBar", "TProgressBar", "Left", "16"},
      {"ProgressBar", "TProgressBar", "Top", "56"},
      {"ProgressBar", "TProgressBar", "Width", "337"},
      {"ProgressBar", "TProgressBar", "Height", "17"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.control) + "." + c.property);
    const FormControl* control = form.Find(c.control);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->ClassName(), c.className);
    EXPECT_EQ(control->Get(c.property), c.value);
  }
  // Two different 32 x 32 pictures, one per family of Windows versions.
  const std::string newer = form.Find("Image1")->Get("Picture.Data").value_or("");
  const std::string older = form.Find("Image2")->Get("Picture.Data").value_or("");
  for (const std::string& data : {newer, older}) {
    PictureData picture = SplitPictureData(data);
    ASSERT_EQ(picture.image.substr(0, 8), "\x89PNG\r\n\x1a\n");
    ASSERT_GE(picture.image.size(), 24U);
    const auto dimension = [&](size_t at) {
      uint32_t v = 0;
      for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint8_t>(picture.image[at + i]);
      return v;
    };
    EXPECT_EQ(dimension(16), 32U);  // IHDR width
    EXPECT_EQ(dimension(20), 32U);  // IHDR height
  }
  EXPECT_NE(newer, older);
}

// The splash is its picture and nothing else: no frame, sized by its image.
TEST(EngineForms, TheSplashIsItsPicture) {
  Form form(ReadFormResource(ReadSource("dialogs/forms/SetupSplash.dfm")).root);
  EXPECT_EQ(form.Root().ClassName(), "TSetupSplash");
  EXPECT_EQ(form.Root().Get("BorderStyle"), "bsNone");
  EXPECT_TRUE(form.Root().Truth("AutoSize"));
  ASSERT_EQ(form.Controls().size(), 1U);
  const FormControl* image = form.Find("Image");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->ClassName(), "TImage");
  EXPECT_EQ(image->Integer("Left", -1), 0);
  EXPECT_EQ(image->Integer("Top", -1), 0);
  EXPECT_TRUE(image->Truth("AutoSize"));
  EXPECT_FALSE(image->IsStored("Picture.Data"));  // the setup's own picture goes in
}

}  // namespace
}  // namespace vantrell
