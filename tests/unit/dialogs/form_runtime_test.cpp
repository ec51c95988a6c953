// The live form: the class registry, building a tree from a form's
// components, property access by name as text (defaults, kinds, aliases,
// case), the class error, and the real form files.
#include "dialogs/form_runtime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dialogs/form_text.h"

namespace vantrell {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDialog = R"(object Welcome: TPoolTemplate
  Left = 200
  Top = 100
  Caption = 'Welcome'
  ClientHeight = 313
  ClientWidth = 497
  Font.Charset = ANSI_CHARSET
  Font.Height = -13
  Font.Name = 'Tahoma'
  PixelsPerInch = 120
  TextHeight = 16
  object Banner: TPanel
    Left = 0
    Top = 0
    Width = 497
    Height = 60
    Align = alTop
    Color = clWhite
    object Title: TLabel
      Left = 12
      Top = 8
      Width = 200
      Height = 16
      Caption = 'Welcome to the setup'
      Font.Style = [fsBold]
      ParentFont = False
      Transparent = True
    end
  end
  object Name: TEdit
    Left = 12
    Top = 80
    Hint = 'USERNAME'
    Tag = 3
    TabOrder = 1
  end
  object Notes: TMemo
    Left = 12
    Top = 110
    Lines.Strings = (
      'first'
      'second')
    ScrollBars = ssVertical
    TabOrder = 2
    Layout = 'custom'
  end
  object Agree: TRzCheckBox
    Left = 12
    Top = 210
    Caption = 'I agree'
    Checked = True
    State = cbChecked
    TabOrder = 3
  end
  object Kind: TComboBox
    Left = 200
    Top = 80
    Style = csDropDownList
    Items.Strings = (
      'Typical'
      'Custom')
    TabOrder = 4
  end
  object Progress: TProgressBar
    Left = 12
    Top = 240
    Max = 50
    Position = 20
    TabOrder = 5
  end
  object Next: TButton
    Left = 410
    Top = 280
    Caption = '&Next >'
    Default = True
    Tag = 1
    TabOrder = 6
    OnClick = NextClick
  end
end
)";

std::unique_ptr<Form> Build(const std::string& text) {
  return std::make_unique<Form>(ParseFormText(text));
}

TEST(FormClassesTest, RegistersTheThirtyNineClassesInOrder) {
  const std::vector<std::string_view> expected = {
      "TLabel",         "TEdit",           "TMemo",        "TButton",      "TRzCheckBox",
      "TRzRadioButton", "TListBox",        "TComboBox",    "TGroupBox",    "TPanel",
      "TBitBtn",        "TSpeedButton",    "TMaskEdit",    "TImage",       "TShape",
      "TBevel",         "TStaticText",     "TGauge",       "TPageControl", "TTabSheet",
      "TRichEdit",      "TTrackBar",       "TProgressBar", "TUpDown",      "TAnimate",
      "TCheckListBox",  "TTreeView",       "THTMLViewer",  "TFileListBox", "TDirectoryListBox",
      "TDriveComboBox", "TFilterComboBox", "TPTShellTree", "TPTShellList", "TPTShellCombo",
      "TFlashFrame",    "TRzFormShape",    "TRzBmpButton", "TVistaGlass"};
  std::vector<std::string_view> names;
  for (const ClassDescriptor& c : ControlClasses()) names.push_back(c.name);
  EXPECT_EQ(names, expected);
  EXPECT_EQ(FindControlClass("tlabel"), &ControlClasses()[0]);
  EXPECT_EQ(FindControlClass("TCheckBox"), nullptr);
  EXPECT_EQ(FindControlClass("TPoolTemplate"), nullptr);  // the form is no control
}

// Every class publishes what the dialogs bind and lay out, and every default
// is a value of its own kind: a form without the property reads as the
// default, and writing that text back must be accepted.
TEST(FormClassesTest, EveryDefaultIsAValueOfItsKind) {
  std::vector<const ClassDescriptor*> all;
  for (const ClassDescriptor& c : ControlClasses()) all.push_back(&c);
  all.push_back(&FormClass());
  for (const ClassDescriptor* c : all) {
    for (const char* common : {"Left", "Top", "Width", "Height", "Tag", "Hint", "Visible",
                               "Enabled", "Font.Name", "Font.Height", "Font.Style", "Color"}) {
      EXPECT_NE(c->Find(common), nullptr) << c->name << "." << common;
    }
    FormComponent component;
    component.className = std::string(c->name);
    Form form(c == &FormClass() ? component
                                : FormComponent{0, {}, "TPoolTemplate", "F", {}, {component}});
    FormControl& control = c == &FormClass() ? form.Root() : *form.Root().Children()[0];
    for (const PropertyDescriptor& p : c->properties) {
      std::optional<std::string> text = control.Get(p.name);
      ASSERT_TRUE(text.has_value()) << c->name << "." << p.name;
      if (p.kind == PropertyKind::kIdent && p.names.empty() && text->empty()) continue;
      EXPECT_EQ(control.Set(p.name, *text), SetResult::kDone)
          << c->name << "." << p.name << " = " << *text;
      EXPECT_EQ(control.Get(p.name), text) << c->name << "." << p.name;
    }
  }
}

TEST(FormRuntimeTest, BuildsTheTreeInFileOrder) {
  auto form = Build(kDialog);
  EXPECT_EQ(form->Root().ClassName(), "TPoolTemplate");
  std::vector<std::string> names;
  for (FormControl* c : form->Controls()) names.push_back(c->Name() + ":" + c->ClassName());
  EXPECT_EQ(names, (std::vector<std::string>{"Banner:TPanel", "Title:TLabel", "Name:TEdit",
                                             "Notes:TMemo", "Agree:TRzCheckBox", "Kind:TComboBox",
                                             "Progress:TProgressBar", "Next:TButton"}));
  EXPECT_EQ(form->Find("TITLE")->Parent(), form->Find("banner"));
  EXPECT_EQ(form->Find("welcome"), &form->Root());
  EXPECT_EQ(form->Find("Missing"), nullptr);
  EXPECT_EQ(form->DesignPixelsPerInch(), 120);
}

struct GetCase {
  const char* control;
  const char* property;
  std::optional<std::string> text;
};

TEST(FormRuntimeTest, ReadsEveryKindAsText) {
  auto form = Build(kDialog);
  const GetCase cases[] = {
      // stored values
      {"Welcome", "Caption", "Welcome"},
      {"Welcome", "clientwidth", "497"},
      {"Welcome", "Font.Charset", "ANSI_CHARSET"},
      {"Banner", "Align", "alTop"},
      {"Banner", "Color", "clWhite"},
      {"Title", "Font.Style", "[fsBold]"},
      {"Title", "TRANSPARENT", "True"},
      {"Name", "Hint", "USERNAME"},
      {"Name", "Tag", "3"},
      {"Notes", "Lines.Strings", "first\r\nsecond"},
      {"Notes", "Lines", "first\r\nsecond"},
      {"Notes", "Text", "first\r\nsecond"},
      {"Kind", "Items", "Typical\r\nCustom"},
      {"Agree", "Checked", "True"},
      {"Progress", "Position", "20"},
      // defaults of the class
      {"Welcome", "BorderStyle", "bsSingle"},
      {"Welcome", "Position", "poScreenCenter"},
      {"Welcome", "Scaled", "True"},
      {"Name", "Text", ""},
      {"Name", "Width", "121"},
      {"Name", "Color", "clWindow"},
      {"Name", "Enabled", "True"},
      {"Name", "MaxLength", "0"},
      {"Next", "Height", "25"},
      {"Next", "Font.Style", "[]"},
      {"Title", "Font.Name", "MS Sans Serif"},
      {"Progress", "Min", "0"},
      {"Kind", "ItemIndex", "-1"},
      // Font.Size from Font.Height at the form's 120 pixels per inch
      {"Welcome", "Font.Size", "8"},
      {"Title", "Font.Size", "7"},
      // kept as read although the class does not publish it
      {"Notes", "Layout", "custom"},
      {"Next", "OnClick", "NextClick"},
      // unknown
      {"Next", "Checked", std::nullopt},
      {"Title", "Text", std::nullopt},
  };
  for (const GetCase& c : cases) {
    FormControl* control = form->Find(c.control);
    ASSERT_NE(control, nullptr) << c.control;
    EXPECT_EQ(control->Get(c.property), c.text) << c.control << "." << c.property;
    EXPECT_EQ(control->Has(c.property), c.text.has_value()) << c.control << "." << c.property;
  }
}

TEST(FormRuntimeTest, ReadsFloatingPointValuesAsTheFewestDigitsThatReadBack) {
  auto form = Build(R"(object F: TPoolTemplate
  Tenth = 0.100000000000000000
  Third = 0.333333333333333333
  Large = 1.000000000000000000E20
  Negative = -2.500000000000000000
  Whole = 3.000000000000000000
end
)");
  const std::pair<const char*, const char*> cases[] = {
      {"Tenth", "0.1"}, {"Third", "0.33333333333333331"}, {"Large", "1e+20"}, {"Negative", "-2.5"},
      {"Whole", "3"},
  };
  for (const auto& [property, text] : cases) {
    EXPECT_EQ(form->Root().Get(property), text) << property;
  }
}

struct SetCase {
  const char* control;
  const char* property;
  const char* text;
  SetResult result;
  const char* after;  // Get afterwards
};

TEST(FormRuntimeTest, WritesEveryKindFromText) {
  const SetCase cases[] = {
      {"Next", "Caption", "&Finish", SetResult::kDone, "&Finish"},
      {"Next", "enabled", "False", SetResult::kDone, "False"},
      {"Next", "Enabled", "TRUE", SetResult::kDone, "True"},
      {"Next", "Enabled", "-1", SetResult::kDone, "True"},
      {"Next", "Enabled", "0", SetResult::kDone, "False"},
      {"Next", "Enabled", "yes", SetResult::kBadValue, "True"},
      {"Next", "Left", " -7 ", SetResult::kDone, "-7"},
      {"Next", "Left", "$10", SetResult::kDone, "16"},
      {"Next", "Left", "12px", SetResult::kBadValue, "410"},
      {"Next", "Left", "4294967296", SetResult::kBadValue, "410"},
      {"Banner", "Align", "ALCLIENT", SetResult::kDone, "alClient"},
      {"Banner", "Align", "alMiddle", SetResult::kBadValue, "alTop"},
      {"Title", "Font.Style", "[fsitalic, FSBOLD]", SetResult::kDone, "[fsBold,fsItalic]"},
      {"Title", "Font.Style", "[]", SetResult::kDone, "[]"},
      {"Title", "Font.Style", "fsBold", SetResult::kBadValue, "[fsBold]"},
      {"Title", "Font.Style", "[fsHeavy]", SetResult::kBadValue, "[fsBold]"},
      {"Title", "Font.Color", "clred", SetResult::kDone, "clRed"},
      {"Title", "Font.Color", "$00123456", SetResult::kDone, "$00123456"},
      {"Title", "Font.Color", "255", SetResult::kDone, "clRed"},
      {"Title", "Font.Color", "crimson", SetResult::kBadValue, "clWindowText"},
      {"Title", "Font.Charset", "204", SetResult::kDone, "RUSSIAN_CHARSET"},
      {"Title", "Font.Charset", "300", SetResult::kBadValue, "DEFAULT_CHARSET"},
      {"Title", "Font.Size", "12", SetResult::kDone, "12"},
      {"Notes", "Text", "one\r\ntwo\nthree", SetResult::kDone, "one\r\ntwo\r\nthree"},
      {"Notes", "Lines", "", SetResult::kDone, ""},
      {"Notes", "Layout", "other", SetResult::kDone, "other"},
      {"Next", "OnClick", "Other Click", SetResult::kBadValue, "NextClick"},
      {"Next", "Checked", "True", SetResult::kUnknownProperty, ""},
      {"Name", "PasswordChar", "*", SetResult::kDone, "*"},
      {"Welcome", "BorderIcons", "[biSystemMenu]", SetResult::kDone, "[biSystemMenu]"},
      {"Welcome", "Cursor", "crHourGlass", SetResult::kDone, "crHourGlass"},
  };
  for (const SetCase& c : cases) {
    auto form = Build(kDialog);
    FormControl* control = form->Find(c.control);
    EXPECT_EQ(control->Set(c.property, c.text), c.result)
        << c.control << "." << c.property << " := " << c.text;
    EXPECT_EQ(control->Get(c.property).value_or(""), c.after)
        << c.control << "." << c.property << " := " << c.text;
  }
}

TEST(FormRuntimeTest, FontSizeIsKeptAsHeightAtTheDesignResolution) {
  auto form = Build(kDialog);  // 120 pixels per inch
  FormControl* title = form->Find("Title");
  ASSERT_EQ(title->Set("Font.Size", "12"), SetResult::kDone);
  EXPECT_EQ(title->Get("Font.Height"), "-20");
  ASSERT_EQ(title->Set("Font.Height", "-11"), SetResult::kDone);
  EXPECT_EQ(title->Get("Font.Size"), "7");  // 6.6 points
  EXPECT_FALSE(title->IsStored("Font.Size"));
}

TEST(FormRuntimeTest, WritesBackWhatItRead) {
  FormComponent original = ParseFormText(kDialog);
  Form form(original);
  EXPECT_EQ(WriteFormStream(form.Root().ToComponent()), WriteFormStream(original));
  form.Find("Next")->Set("Visible", "False");
  FormComponent changed = form.Root().ToComponent();
  const FormComponent& next = changed.children.back();
  EXPECT_EQ(next.properties.back().name, "Visible");
  EXPECT_EQ(next.properties.back().value.type, FormValueType::kFalse);
}

TEST(FormRuntimeTest, AnUnregisteredClassFailsWithItsName) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"object F: TForm1\n  object B: TCheckBox\n  end\nend\n", "Class TCheckBox not found"},
      {"object F: TForm1\n  object P: TPanel\n    object G: TStringGrid\n    end\n  end\n"
       "  object X: TXyz\n  end\nend\n",
       "Class TStringGrid not found"},
      {"object F: TForm1\n  object L: TLabel\n  end\n  object T: TTimer\n  end\nend\n",
       "Class TTimer not found"},
  };
  for (const Case& c : cases) {
    try {
      Form form(ParseFormText(c.text));
      ADD_FAILURE() << "built: " << c.message;
    } catch (const FormClassError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(FormRuntimeTest, ParsesColoursCharsetsAndSets) {
  using Source = ColorValue::Source;
  struct ColorCase {
    const char* text;
    std::optional<Source> source;
    uint32_t value;
  } colors[] = {
      {"clBtnFace", Source::kSystem, 15}, {"clwindow", Source::kSystem, 5},
      {"clRed", Source::kRgb, 0xFF},      {"$00FF8000", Source::kRgb, 0xFF8000},
      {"-16777201", Source::kSystem, 15},  // 0xFF00000F
      {"$8000000F", Source::kSystem, 15}, {"clNone", Source::kNone, 0},
      {"clBogus", std::nullopt, 0},
  };
  for (const ColorCase& c : colors) {
    std::optional<ColorValue> v = ParseColor(c.text);
    ASSERT_EQ(v.has_value(), c.source.has_value()) << c.text;
    if (!v) continue;
    EXPECT_EQ(v->source, *c.source) << c.text;
    EXPECT_EQ(v->value, c.value) << c.text;
  }
  EXPECT_EQ(ParseCharset("DEFAULT_CHARSET"), 1);
  EXPECT_EQ(ParseCharset("238"), 238);
  EXPECT_EQ(ParseCharset("KLINGON_CHARSET"), std::nullopt);
  EXPECT_EQ(ParseSetText(" [ a , b ] "), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ParseSetText("[]"), std::vector<std::string>{});
  EXPECT_EQ(ParseSetText("[a,,b]"), std::nullopt);
  EXPECT_EQ(ParseSetText("a,b"), std::nullopt);
}

TEST(FormRuntimeTest, SplitsPictureDataIntoClassAndImage) {
  struct Case {
    std::string data, className, image;
  } cases[] = {
      {std::string("\x07TBitmap\x02\0\0\0BM", 14), "TBitmap", "BM"},  // sized
      {std::string("\x05TIcon\0\0\x01\0\x01\0", 12), "TIcon",
       std::string("\0\0\x01\0\x01\0", 6)},  // not sized
      {std::string("\x07TBitmap\x09\0\0\0BM", 14), "TBitmap",
       std::string("\x09\0\0\0BM", 6)},  // a size that is not the rest's is image
      {"\x04TPng", "TPng", ""},
      {"\x09TShort", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    PictureData p = SplitPictureData(c.data);
    EXPECT_EQ(p.className, c.className) << c.className;
    EXPECT_EQ(p.image, c.image) << c.className;
  }
}

// The real form files: the one whose classes are all registered builds and
// writes back its own bytes; each other names its first foreign class.
TEST(FormRuntimeTest, RealFormsBuildOrNameTheirForeignClass) {
  const fs::path dir = VANTRELL_FORM_TESTDATA;
  if (!fs::is_directory(dir)) GTEST_SKIP() << "no form test data";
  struct Case {
    const char* file;
    const char* error;  // empty: builds
  } cases[] = {
      {"AmziLS_AmziProlog_hello.dfm", "Class TLSEngine not found"},
      {"AmziLS_AmziProlog_main.dfm", "Class TStringGrid not found"},
      {"GoldenSoftwareLtd_gedemin_dlgImportOperation.dfm", "Class TxLabel not found"},
      {"GoldenSoftwareLtd_gedemin_gdv_frmInvCard_unit.dfm", "Class TSplitter not found"},
      {"GoldenSoftwareLtd_gedemin_rp_RemoteManager_unit.dfm", "Class TIBQuery not found"},
      {"K7LER_KingCal_Kingprop.dfm", ""},
      {"delphi-pascal-archive_electro_store_system_MenuPrincipal.dfm",
       "Class TStatusBar not found"},
      {"delphi-pascal-archive_high_calc_Unit1.dfm", "Class TStringGrid not found"},
      {"delphi-pascal-archive_market-monitoring-and-billing_imprime_facture.dfm",
       "Class TQuickRep not found"},
      {"graphics32_graphics32_MainUnit.dfm", "Class TImgView32 not found"},
      {"lynxnake_TurboPower-Orpheus_ExIGrid1U.dfm", "Class TCheckBox not found"},
      {"lynxnake_TurboPower-Orpheus_ExTbl01U.dfm", "Class TOvcTable not found"},
      {"lynxnake_TurboPower-Orpheus_O32IGridEditor1.dfm", "Class TOvcSimpleField not found"},
      {"pyscripter_python4delphi_Unit1.dfm", "Class TSplitter not found"},
      {"pyscripter_python4delphi_fmMain.dfm", "Class TSplitter not found"},
  };
  for (const Case& c : cases) {
    std::ifstream in(dir / c.file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    FormResource resource = ReadFormResource(bytes.str());
    std::unique_ptr<Form> form;
    try {
      form = std::make_unique<Form>(resource.root);
      EXPECT_STREQ("", c.error) << c.file;
    } catch (const FormClassError& e) {
      EXPECT_STREQ(e.what(), c.error) << c.file;
      continue;
    }
    EXPECT_EQ(WriteFormStream(form->Root().ToComponent()), WriteFormStream(resource.root))
        << c.file;
  }
}

TEST(FormRuntimeTest, TheAboutBoxReadsAsDesigned) {
  const fs::path file = fs::path(VANTRELL_FORM_TESTDATA) / "K7LER_KingCal_Kingprop.dfm";
  if (!fs::exists(file)) GTEST_SKIP() << "no form test data";
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  Form form(ReadFormResource(bytes.str()).root);
  const GetCase cases[] = {
      {"VcdAboutBox", "Caption", "About"},
      {"VcdAboutBox", "BorderIcons", "[]"},
      {"VcdAboutBox", "BorderStyle", "bsDialog"},
      {"VcdAboutBox", "ActiveControl", "BitBtn1"},
      {"VcdAboutBox", "Font.Size", "8"},
      {"vcdTitle", "Alignment", "taCenter"},
      {"vcdCopyright", "Caption",
       "Copyright \xC2\xA9 1995-2018 Mark Lussier and AppVision"},  // UTF-8 in the file
      {"Image1", "AutoSize", "True"},
      {"Bevel1", "Shape", "bsBox"},
      {"BitBtn1", "Style", "bsNew"},
      {"BitBtn1", "Font.Color", "clBlack"},
      {"BitBtn1", "Caption", "&Close"},
  };
  for (const GetCase& c : cases) {
    EXPECT_EQ(form.Find(c.control)->Get(c.property), c.text) << c.control << "." << c.property;
  }
  std::string picture = form.Find("Image1")->Get("Picture.Data").value_or("");
  ASSERT_GT(picture.size(), 14U);
  EXPECT_EQ(picture.substr(0, 8), "\x07TBitmap");  // then the bitmap's size and its file
  EXPECT_EQ(picture.substr(12, 2), "BM");
}

}  // namespace
}  // namespace vantrell
