// A dialog's controls bound to the variables: values in by class, Hint and
// Tag, user changes written back with their handler's name, button roles,
// readme and license lookup, the scroll-to-end watch, static texts with
// sizes, the component list and target-folder browsing, against a window
// side kept in memory.
#include "dialogs/dialog_binding.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dialogs/form_text.h"
#include "script/background.h"

namespace vantrell {
namespace {

// The window side in memory: what was shown, the item marks, the focus,
// and the answers of the folder browser and the question box.
class MemorySurface final : public DialogSurface {
 public:
  void Show(FormControl& control, std::string_view property) override {
    shown.push_back(control.Name() + "." + std::string(property));
  }
  std::vector<bool> Marks(const FormControl& control) const override {
    auto found = marks.find(control.Name());
    return found == marks.end() ? std::vector<bool>() : found->second;
  }
  void SetMarks(FormControl& control, const std::vector<bool>& m) override {
    marks[control.Name()] = m;
  }
  void Focus(FormControl& control) override { focused = control.Name(); }
  bool HasSelectedText(const FormControl&) const override { return selectedText; }
  bool CanScrollVertically(const FormControl& control) const override {
    return scrollable.count(control.Name()) != 0;
  }
  void LoadRichText(FormControl& control, const std::string& rtf) override {
    control.Set("Lines", "rich:" + rtf);
  }
  std::optional<std::string> BrowseForFolder() override {
    if (folders.empty()) return std::nullopt;
    std::optional<std::string> folder = folders.front();
    folders.pop_front();
    return folder;
  }
  bool AskYesNo(const std::string& title, const std::string& text) override {
    asked.push_back(title + "|" + text);
    return answerYes;
  }
  void ShowTree(FormControl& control, const std::vector<ComponentTreeNode>& roots) override {
    trees[control.Name()] = roots;
  }
  std::vector<size_t> SelectedNode(const FormControl& control) const override {
    auto found = selectedNodes.find(control.Name());
    return found == selectedNodes.end() ? std::vector<size_t>() : found->second;
  }
  void SelectNode(FormControl& control, const std::vector<size_t>& path) override {
    selectedNodes[control.Name()] = path;
  }
  int PopupMenu(FormControl&, const std::vector<std::string>& items, bool atCursor) override {
    menus.push_back(std::to_string(items.size()) + (atCursor ? " at cursor" : " at node"));
    return menuChoice;
  }
  void ShowHtmlPage(FormControl& control, const std::string& supportFolder, const std::string& page,
                    const std::string& text) override {
    pages.push_back(control.Name() + "|" + supportFolder + "|" + page + "|" + text);
  }
  void ShowFolder(FormControl& control, const std::string& path) override {
    shownFolders[control.Name()] = path;
    paths[control.Name()] = path;
  }
  std::string FolderPath(const FormControl& control) const override {
    auto found = paths.find(control.Name());
    return found == paths.end() ? std::string() : found->second;
  }
  void PlayMovie(FormControl& control, const std::string& player, const std::string& movie,
                 const std::string& text) override {
    movies.push_back(control.Name() + "|" + player + "|" + movie + "|" + text);
  }

  std::vector<std::string> shown;
  std::map<std::string, std::vector<bool>> marks;
  std::string focused;
  bool selectedText = false;
  std::set<std::string> scrollable;
  std::deque<std::optional<std::string>> folders;
  std::vector<std::string> asked;
  bool answerYes = false;
  std::map<std::string, std::vector<ComponentTreeNode>> trees;
  std::map<std::string, std::vector<size_t>> selectedNodes;
  std::vector<std::string> menus;
  int menuChoice = -1;
  std::vector<std::string> pages;
  std::map<std::string, std::string> shownFolders;  // where each folder control was moved
  std::map<std::string, std::string> paths;         // where each folder control stands
  std::vector<std::string> movies;
};

// A dialog form from the controls' text (each "object ... end" block at the
// first level below the form).
std::unique_ptr<Form> MakeForm(const std::string& controls, const std::string& caption = "Page") {
  const std::string text =
      "object Page: TPoolTemplate\n  Caption = '" + caption + "'\n" + controls + "end\n";
  return std::make_unique<Form>(ParseFormText(text));
}

struct Fixture {
  explicit Fixture(const std::string& controls, std::vector<std::string> rules = {})
      : form(MakeForm(controls)), binding(*form, surface, vars, components, std::move(rules)) {
    form->Root().Set("Hint", "Page.dfm");
    services.folderExists = [this](const std::string& path) {
      return existing.count(path) != 0 || existing.count(path + "\\") != 0;
    };
    services.fileExists = [this](const std::string& path) {
      return existingFiles.count(path) != 0;
    };
    services.supportFileExists = [this](const std::string& name) { return files.count(name) != 0; };
    services.readSupportFile = [this](const std::string& name) -> std::optional<std::string> {
      auto found = files.find(name);
      if (found == files.end()) return std::nullopt;
      return found->second;
    };
    services.freeSpace = [](const std::string&) -> std::optional<int64_t> { return 5000000; };
    services.wizardCaption = "Sample Setup - Vantrell Wizard";
    services.cancelQuestion = "Are you sure you want to cancel?";
  }
  FormControl& Control(const std::string& name) { return *form->Find(name); }
  std::string Get(const std::string& name, const std::string& property) {
    return Control(name).Get(property).value_or("<none>");
  }
  void Prepare() { binding.Prepare(services); }

  TVariableManager vars{false};
  TComponentTable components;
  MemorySurface surface;
  std::unique_ptr<Form> form;
  DialogBinding binding;
  DialogServices services;
  std::set<std::string> existing;
  std::set<std::string> existingFiles;
  std::map<std::string, std::string> files;
};

std::string Edit(const std::string& name, const std::string& hint, int tag,
                 const std::string& extra = "") {
  return "  object " + name + ": TEdit\n    Hint = '" + hint +
         "'\n    Tag = " + std::to_string(tag) + "\n" + extra + "  end\n";
}

TEST(DialogBinding, EditsTakeTheirVariablesOrPlaceholders) {
  struct Case {
    const char* name;
    const char* hint;
    int tag;
    const char* design;
    bool defined;
    const char* value;
    const char* shown;
  };
  const Case cases[] = {
      {"bound", "COMPANY", 0, "", true, "Acme", "Acme"},
      {"bound as a reference", "$COMPANY$", 0, "", true, "Acme", "Acme"},
      {"doubled backslashes reduced", "FOLDER", 0, "", true, "C:\\\\A\\\\B", "C:\\A\\B"},
      {"network path kept", "FOLDER", 0, "", true, "\\\\server\\\\share", "\\\\server\\share"},
      {"missing variable: as designed, expanded", "NOSUCH", 0, "$TITLE$ v1", false, "",
       "Sample v1"},
      {"empty: Tag 1 start menu", "EMPTY", 1, "", true, "", "Sample Programs"},
      {"empty: Tag 2 target folder", "EMPTY", 2, "", true, "", "C:\\Program Files\\Sample"},
      {"empty: Tag 3 user name", "EMPTY", 3, "", true, "", "Pat"},
      {"empty: Tag 4 company", "EMPTY", 4, "", true, "", "Acme"},
      {"not empty: no placeholder", "COMPANY", 3, "", true, "Other", "Other"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f(Edit("Field", c.hint, c.tag, std::string("    Text = '") + c.design + "'\n"));
    f.vars.PutVariable("TITLE", "Sample");
    f.vars.PutVariable("STARTMENU", "$TITLE$ Programs");
    f.vars.PutVariable("TARGETDIR", "C:\\\\Program Files\\\\$TITLE$");
    f.vars.PutVariable("USERNAME", "Pat");
    f.vars.PutVariable("USERCOMPANY", "Acme");
    const std::string name = TVariableManager::StripReference(c.hint).empty()
                                 ? c.hint
                                 : TVariableManager::StripReference(c.hint);
    if (c.defined) f.vars.PutVariable(name, c.value);
    f.Prepare();
    EXPECT_EQ(f.Get("Field", "Text"), c.shown);
    // Setting the text raised the change: the edit writes its own form back.
    EXPECT_EQ(f.vars.GetVariable(name), c.shown);
  }
}

TEST(DialogBinding, TypedTextIsWrittenUnderTheUpperCasedHint) {
  Fixture f(Edit("Field", "company", 0));
  f.vars.PutVariable("COMPANY", "Acme");
  f.Prepare();
  f.Control("Field").Set("Text", "Widgets Ltd");
  f.binding.Changed(f.Control("Field"));
  EXPECT_EQ(f.vars.GetVariable("COMPANY"), "Widgets Ltd");
  f.binding.Release();
  f.Control("Field").Set("Text", "after release");
  f.binding.Changed(f.Control("Field"));
  EXPECT_EQ(f.vars.GetVariable("COMPANY"), "Widgets Ltd");
}

TEST(DialogBinding, PageShownAgainShowsWhatTheVariablesNowHold) {
  Fixture f(Edit("Field", "COMPANY", 0) +
            "  object Heading: TLabel\n    Caption = 'Hello $USERNAME$'\n  end\n");
  f.vars.PutVariable("COMPANY", "Acme");
  f.vars.PutVariable("USERNAME", "Pat");
  f.Prepare();
  EXPECT_EQ(f.Get("Heading", "Caption"), "Hello Pat");
  f.binding.Release();
  f.vars.PutVariable("COMPANY", "Changed");
  f.vars.PutVariable("USERNAME", "Sam");
  f.Prepare();
  EXPECT_EQ(f.Get("Field", "Text"), "Changed");
  EXPECT_EQ(f.Get("Heading", "Caption"), "Hello Sam");
  EXPECT_EQ(f.Get("Page", "Caption"), "Page - Vantrell Wizard");
}

TEST(DialogBinding, TextsInTheActiveLanguage) {
  Fixture f(
      "  object Heading: TLabel\n    Caption = 'Hello $USERNAME$'\n  end\n"
      "  object Other: TLabel\n    Caption = 'Not translated'\n  end\n" +
      Edit("Field", "NOSUCH", 0, "    Text = 'design'\n"));
  f.vars.PutVariable("USERNAME", "Pat");
  f.services.language = "German";
  f.services.translate = [](const std::string& dialog,
                            const std::string& control) -> std::optional<std::string> {
    if (dialog != "Page.dfm") return std::nullopt;
    if (control == "Heading") return "Hallo $USERNAME$";
    if (control == "Page.dfm") return "Seite";
    if (control == "Field") return "$USERNAME$ bleibt";
    return std::nullopt;
  };
  f.Prepare();
  EXPECT_EQ(f.Get("Heading", "Caption"), "Hallo Pat");
  EXPECT_EQ(f.Get("Other", "Caption"), "Not translated");
  EXPECT_EQ(f.Get("Page", "Caption"), "Seite - Vantrell Wizard");
  EXPECT_EQ(f.Get("Field", "Text"), "$USERNAME$ bleibt");  // an edit's translation is not expanded
}

TEST(DialogBinding, CheckBoxesWriteTruthTexts) {
  const std::string box = "  object Box: TRzCheckBox\n    Hint = 'OPTION'\n  end\n";
  Fixture f(box);
  f.vars.PutVariable("OPTION", "-1");
  f.Prepare();
  EXPECT_EQ(f.Get("Box", "Checked"), "True");
  EXPECT_EQ(f.vars.GetVariable("OPTION"), "TRUE");
  f.Control("Box").Set("Checked", "False");
  f.binding.Clicked(f.Control("Box"));
  EXPECT_EQ(f.vars.GetVariable("OPTION"), "FALSE");

  Fixture missing(box);
  missing.Prepare();
  EXPECT_EQ(missing.Get("Box", "Checked"), "False");
  EXPECT_FALSE(missing.vars.VariableExists("OPTION"));
  missing.Control("Box").Set("Checked", "True");
  missing.binding.Clicked(missing.Control("Box"));
  EXPECT_EQ(missing.vars.GetVariable("OPTION"), "TRUE");  // created
}

TEST(DialogBinding, RadioButtonsWriteEveryBoundButton) {
  Fixture f(
      "  object Typical: TRzRadioButton\n    Hint = 'TYPICAL'\n    Checked = True\n  end\n"
      "  object Custom: TRzRadioButton\n    Hint = 'CUSTOM'\n  end\n");
  f.vars.PutVariable("TYPICAL", "FALSE");
  f.vars.PutVariable("CUSTOM", "TRUE");
  f.Prepare();
  EXPECT_EQ(f.Get("Typical", "Checked"), "False");
  EXPECT_EQ(f.Get("Custom", "Checked"), "True");
  EXPECT_EQ(f.vars.GetVariable("TYPICAL"), "FALSE");
  EXPECT_EQ(f.vars.GetVariable("CUSTOM"), "TRUE");
}

TEST(DialogBinding, ListsLoseEmptyItemsAndWriteTheirSelection) {
  Fixture f(
      "  object Choices: TListBox\n    Hint = 'CHOICE'\n"
      "    Items.Strings = ('A' '$EMPTY$' 'B' 'C')\n  end\n"
      "  object Pick: TComboBox\n    Hint = 'PICK'\n    Style = csDropDownList\n"
      "    Items.Strings = ('Red' 'Green')\n  end\n"
      "  object Free: TComboBox\n    Hint = 'FREE'\n    Items.Strings = ('Red' 'Green')\n  end\n");
  f.vars.PutVariable("EMPTY", "");
  f.vars.PutVariable("CHOICE", "b");
  f.vars.PutVariable("PICK", "GREEN");
  f.vars.PutVariable("FREE", "Blue");
  f.Prepare();
  EXPECT_EQ(f.Get("Choices", "Items"), "A\r\nB\r\nC");
  EXPECT_EQ(f.Get("Choices", "ItemIndex"), "1");
  EXPECT_EQ(f.Get("Pick", "ItemIndex"), "1");
  EXPECT_EQ(f.Get("Pick", "Text"), "Green");
  EXPECT_EQ(f.Get("Free", "Text"), "Blue");
  f.surface.marks["Choices"] = {true, true, false};
  f.binding.Clicked(f.Control("Choices"));
  EXPECT_EQ(f.vars.GetVariable("CHOICE"), "A$NEWLINE$B$NEWLINE$");
}

TEST(DialogBinding, TrackBarTakesAnIntegerOrFailsTheDisplay) {
  const std::string bar = "  object Level: TTrackBar\n    Hint = 'LEVEL'\n  end\n";
  Fixture f(bar);
  f.vars.PutVariable("LEVEL", "7");
  f.Prepare();
  EXPECT_EQ(f.Get("Level", "Position"), "7");
  f.Control("Level").Set("Position", "3");
  f.binding.Changed(f.Control("Level"));
  EXPECT_EQ(f.vars.GetVariable("LEVEL"), "3");

  Fixture bad(bar);
  bad.vars.PutVariable("LEVEL", "high");
  EXPECT_THROW(bad.Prepare(), DialogValueError);
}

TEST(DialogBinding, ReadmeAndLicenseComeFromTheSupportFolder) {
  struct Case {
    const char* name;
    const char* controlClass;
    int tag;
    std::string language;
    std::map<std::string, std::string> files;
    std::string lines;
  };
  const Case cases[] = {
      {"readme in the language first",
       "TMemo",
       1,
       "German",
       {{"readme.German.txt", "Hallo"}, {"readme.txt", "Hello"}},
       "Hallo"},
      {"plain readme without language", "TMemo", 1, "", {{"readme.txt", "Hello"}}, "Hello"},
      {"no language: readme..txt first",
       "TMemo",
       1,
       "",
       {{"readme..txt", "dots"}, {"readme.txt", "Hello"}},
       "dots"},
      {"license missing",
       "TMemo",
       2,
       "",
       {},
       "Add a license..txt or license.txt file to your project as a support file/creative to "
       "display it here."},
      {"rich edit prefers rtf",
       "TRichEdit",
       2,
       "French",
       {{"license.French.txt", "texte"}, {"license.rtf", "{\\rtf1 x}"}},
       "rich:{\\rtf1 x}"},
      {"rich edit message",
       "TRichEdit",
       1,
       "French",
       {},
       "Add a readme.French.rtf or readme.rtf, or readme.French.txt or readme.txt file to your "
       "project as a support file/creative to display it here."},
      {"bytes as they are", "TMemo", 1, "", {{"readme.txt", "caf\xE9"}}, "caf\xE9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f(std::string("  object Text: ") + c.controlClass +
              "\n    Tag = " + std::to_string(c.tag) + "\n  end\n");
    f.services.language = c.language;
    f.files = c.files;
    f.Prepare();
    EXPECT_EQ(f.Get("Text", "Lines"), c.lines);
    EXPECT_EQ(f.Get("Text", "ReadOnly"), "True");
    EXPECT_GE(f.Control("Text").Integer("MaxLength"), 1048576);
  }
}

TEST(DialogBinding, HtmlViewerWithTag1ShowsTheIndexPage) {
  const std::string message =
      "Add an index.htm file to your project to display it here, along with any other additional "
      "support/linked files.";
  struct Case {
    const char* name;
    int tag;
    std::string language;
    std::set<std::string> files;
    std::vector<std::string> pages;
  };
  const Case cases[] = {
      {"page in the language first",
       1,
       "German",
       {"index.German.htm", "index.htm"},
       {"Html|C:\\sup\\|C:\\sup\\index.German.htm|" + message}},
      {"plain page", 1, "German", {"index.htm"}, {"Html|C:\\sup\\|C:\\sup\\index.htm|" + message}},
      {"no language: index..htm first",
       1,
       "",
       {"index..htm", "index.htm"},
       {"Html|C:\\sup\\|C:\\sup\\index..htm|" + message}},
      {"no page: the message", 1, "", {"index.html"}, {"Html|C:\\sup\\||" + message}},
      {"other tags load nothing", 0, "", {"index.htm"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f("  object Html: THTMLViewer\n    Tag = " + std::to_string(c.tag) + "\n  end\n");
    f.services.supportFolder = "C:\\sup\\";
    f.services.language = c.language;
    for (const std::string& file : c.files) f.files[file] = "<html></html>";
    f.Prepare();
    EXPECT_EQ(f.surface.pages, c.pages);
  }
}

TEST(DialogBinding, FlashFrameWithTag1PlaysTheMovieUntilReleased) {
  const std::string add = "Add a movie.swf file to your project to display it here.";
  struct Case {
    const char* name;
    int tag;
    std::string language;
    std::set<std::string> files;
    std::string played;  // empty: the frame is left alone
  };
  const Case cases[] = {
      {"movie in the language first",
       1,
       "German",
       {"flash.ocx", "movie.German.swf", "movie.swf"},
       "Movie|C:\\sup\\flash.ocx|C:\\sup\\movie.German.swf|Kein Film"},
      {"plain movie",
       1,
       "German",
       {"flash.ocx", "movie.English.swf", "movie.swf"},
       "Movie|C:\\sup\\flash.ocx|C:\\sup\\movie.swf|Kein Film"},
      {"no language: movie..swf first",
       1,
       "",
       {"flash.ocx", "movie..swf", "movie.swf"},
       "Movie|C:\\sup\\flash.ocx|C:\\sup\\movie..swf|Kein Film"},
      {"no movie: the message", 1, "German", {"flash.ocx", "movie.swf.txt"}, "Movie|||" + add},
      {"no player: the failure text", 1, "", {"movie.swf", "flash.dll"}, "Movie|||Kein Film"},
      {"no player and no movie: the failure text", 1, "", {}, "Movie|||Kein Film"},
      {"other tags play nothing", 0, "", {"flash.ocx", "movie.swf"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f("  object Movie: TFlashFrame\n    Tag = " + std::to_string(c.tag) + "\n  end\n");
    f.services.supportFolder = "C:\\sup\\";
    f.services.language = c.language;
    f.services.movieFailure = "Kein Film";
    for (const std::string& file : c.files) f.files[file] = "data";
    f.Prepare();
    std::vector<std::string> expected;
    if (!c.played.empty()) expected.push_back(c.played);
    EXPECT_EQ(f.surface.movies, expected);
    // Releasing the page stops what it plays, once.
    f.binding.Release();
    f.binding.Release();
    if (!c.played.empty()) expected.push_back("Movie|||");
    EXPECT_EQ(f.surface.movies, expected);
  }
}

TEST(DialogBinding, LicenseAcceptWaitsForTheScrollToTheEnd) {
  const std::string controls =
      "  object License: TMemo\n    Tag = 2\n    ScrollBars = ssVertical\n  end\n"
      "  object Accept: TRzCheckBox\n    Enabled = False\n  end\n";
  const std::vector<std::string> rules = {
      "IF (License.MaxLength = 2147483647)  THEN  Accept.Enabled := True;"};
  Fixture fits(controls, rules);
  fits.Prepare();
  EXPECT_EQ(fits.Get("Accept", "Enabled"), "True");

  Fixture longText(controls, rules);
  longText.surface.scrollable.insert("License");
  longText.Prepare();
  EXPECT_EQ(longText.Get("Accept", "Enabled"), "False");
  ASSERT_EQ(longText.binding.WatchedMemo(), &longText.Control("License"));
  longText.binding.ScrolledToEnd(longText.Control("License"));
  EXPECT_EQ(longText.Get("Accept", "Enabled"), "True");
}

TEST(DialogBinding, ButtonRolesEndTheDialog) {
  struct Case {
    int tag;
    bool yes;
    int result;
    std::string custom;
  };
  const Case cases[] = {{1, false, 6, ""}, {2, false, 7, ""},   {3, false, -1, ""},
                        {3, true, 2, ""},  {5, false, 8, "Go"}, {0, false, -1, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    Fixture f("  object Go: TButton\n    Tag = " + std::to_string(c.tag) + "\n  end\n");
    f.Prepare();
    SetCancelRequested(false);
    f.surface.answerYes = c.yes;
    f.binding.Clicked(f.Control("Go"));
    EXPECT_EQ(f.binding.ModalResult(), c.result);
    EXPECT_EQ(f.binding.CustomResult(), c.custom);
    if (c.tag == 3) {
      EXPECT_EQ(f.surface.asked,
                std::vector<std::string>{
                    "Sample Setup - Vantrell Wizard|Are you sure you want to cancel?"});
      EXPECT_EQ(CancelRequested(), c.yes);
      EXPECT_EQ(f.Get("Go", "Enabled"), c.yes ? "False" : "True");
    }
  }
  SetCancelRequested(false);
}

TEST(DialogBinding, TargetBrowsingKeepsTheProductFoldersBelowTheChoice) {
  const std::string controls =
      Edit("Target", "TARGETDIR", 2) + "  object Browse: TButton\n    Tag = 4\n  end\n";
  Fixture f(controls);
  f.vars.PutVariable("TARGETDIR", "C:\\Program Files\\Company\\Product");
  f.existing = {"C:\\", "C:\\Program Files\\"};
  f.Prepare();
  EXPECT_EQ(f.binding.TargetTail(), "Company\\Product");
  f.surface.folders = {std::string("D:\\Apps"), std::string("C:\\Program Files"), std::nullopt};
  f.binding.Clicked(f.Control("Browse"));
  EXPECT_EQ(f.Get("Target", "Text"), "D:\\Apps\\Company\\Product");
  EXPECT_EQ(f.vars.GetVariable("TARGETDIR"), "D:\\Apps\\Company\\Product");
  f.binding.Clicked(f.Control("Browse"));  // an ancestor of the target at display
  EXPECT_EQ(f.vars.GetVariable("TARGETDIR"), "C:\\Program Files\\Company\\Product");
  f.binding.Clicked(f.Control("Browse"));  // cancelled
  EXPECT_EQ(f.vars.GetVariable("TARGETDIR"), "C:\\Program Files\\Company\\Product");
}

TEST(DialogBinding, BrowsedTargetTable) {
  struct Case {
    const char* base;
    const char* chosen;
    const char* tail;
    const char* result;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Co\\App", "D:\\Apps", "Co\\App", "D:\\Apps\\Co\\App"},
      {"C:\\Program Files\\Co\\App", "D:\\", "Co\\App", "D:\\Co\\App"},
      {"C:\\Program Files\\Co\\App", "c:\\program files", "Co\\App", "C:\\Program Files\\Co\\App"},
      {"C:\\Program Files\\Co\\App", "C:\\", "Co\\App", "C:\\Program Files\\Co\\App"},
      // Only whole folder names: C:\Prog is another folder.
      {"C:\\Program Files\\Co\\App", "C:\\Prog", "Co\\App", "C:\\Prog\\Co\\App"},
      {"C:\\Existing", "E:\\Other", "", "E:\\Other\\"},
      {"C:\\Existing", "", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BrowsedTarget(c.base, c.chosen, c.tail), c.result) << c.chosen;
  }
}

TEST(DialogBinding, CustomFolderBrowsingWritesTheNamedVariable) {
  Fixture f("  object DataFolder: TButton\n    Tag = 6\n  end\n" +
            Edit("Shown", "DATAFOLDER", 100));
  f.Prepare();
  f.surface.folders = {std::string("D:\\Data")};
  f.binding.Clicked(f.Control("DataFolder"));
  EXPECT_EQ(f.vars.GetVariable("DATAFOLDER"), "D:\\Data\\");
  EXPECT_EQ(f.Get("Shown", "Text"), "D:\\Data\\");  // Tag 100 follows
}

std::string FolderControl(const std::string& name, const std::string& className,
                          const std::string& hint, int tag) {
  return "  object " + name + ": " + className + "\n    Hint = '" + hint +
         "'\n    Tag = " + std::to_string(tag) + "\n  end\n";
}

TEST(DialogBinding, FolderControlsStartAtTheirValueOrTheTargetFolder) {
  struct Case {
    const char* name;
    const char* className;
    int tag;
    const char* value;  // of the bound variable FOLDER; nullptr: none
    const char* target;
    const char* shown;  // nullptr: left where it was
  };
  const char* kTarget = "C:\\Program Files\\Company\\Product";
  const Case cases[] = {
      {"file list: the folder of its file", "TFileListBox", 0, "C:\\Data\\readme.txt", "",
       "C:\\Data\\"},
      {"shell list: the folder of its item", "TPTShellList", 0, "C:\\Data\\Sub", "", "C:\\Data\\"},
      {"directory list: the folder itself", "TDirectoryListBox", 0, "C:\\Data", "", "C:\\Data"},
      {"shell tree", "TPTShellTree", 0, "C:\\Data\\Sub", "", "C:\\Data\\Sub"},
      {"shell combo", "TPTShellCombo", 0, "C:\\Data", "", "C:\\Data"},
      {"drive box: the drive of the value", "TDriveComboBox", 0, "d:\\Games\\x", "", "d:\\"},
      {"a missing folder leaves it", "TDirectoryListBox", 0, "C:\\Missing", "", nullptr},
      {"a missing drive leaves it", "TDriveComboBox", 0, "Q:\\", "", nullptr},
      {"unbound: left as designed", "TPTShellTree", 0, nullptr, kTarget, nullptr},
      {"Tag 1: directory list at the nearest existing folder", "TDirectoryListBox", 1, nullptr,
       kTarget, "C:\\Program Files\\"},
      {"Tag 1: shell tree", "TPTShellTree", 1, nullptr, kTarget, "C:\\Program Files\\"},
      {"Tag 1: file list", "TFileListBox", 1, nullptr, kTarget, "C:\\Program Files\\"},
      {"Tag 1: shell list", "TPTShellList", 1, nullptr, kTarget, "C:\\Program Files\\"},
      {"Tag 1: drive box takes the drive", "TDriveComboBox", 1, nullptr, kTarget, "C:\\"},
      {"Tag 1: shell combo takes the drive", "TPTShellCombo", 1, nullptr, kTarget, "C:\\"},
      {"Tag 1 goes after the bound value", "TDirectoryListBox", 1, "C:\\Data", kTarget,
       "C:\\Program Files\\"},
      {"Tag 1 on a missing drive: the bound value stays", "TPTShellTree", 1, "C:\\Data",
       "Q:\\Company\\Product", "C:\\Data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f(FolderControl("Folder", c.className, "FOLDER", c.tag) +
              "  object Filter: TFilterComboBox\n    Hint = 'FOLDER'\n  end\n");
    f.existing = {"C:\\", "C:\\Program Files\\", "C:\\Data\\", "C:\\Data\\Sub\\", "d:\\"};
    if (c.value != nullptr) f.vars.PutVariable("FOLDER", c.value);
    f.vars.PutVariable("TARGETDIR", c.target);
    f.Prepare();
    auto shown = f.surface.shownFolders.find("Folder");
    EXPECT_EQ(shown == f.surface.shownFolders.end() ? "<none>" : shown->second,
              c.shown == nullptr ? "<none>" : c.shown);
    // Nothing is written back until the user moves the control; a filter
    // box stays as designed.
    EXPECT_EQ(f.vars.GetVariable("FOLDER"), c.value == nullptr ? "" : c.value);
    EXPECT_EQ(f.surface.shownFolders.count("Filter"), 0U);
  }
}

TEST(DialogBinding, FolderControlChangesWriteTheirPlaceAndBrowseTheTarget) {
  struct Case {
    const char* className;
    int tag;
    const char* path;  // where the control stands after the user's change
    const char* written;
    const char* target;
  };
  const char* kTarget = "C:\\Program Files\\Company\\Product";
  const Case cases[] = {
      {"TFileListBox", 0, "D:\\Apps\\setup.ini", "D:\\Apps\\setup.ini", kTarget},
      {"TDirectoryListBox", 0, "D:\\Apps", "D:\\Apps", kTarget},
      {"TDriveComboBox", 0, "d:\\", "d:\\", kTarget},
      {"TPTShellTree", 0, "D:\\Apps", "D:\\Apps", kTarget},
      {"TPTShellList", 0, "D:\\Apps\\notes.txt", "D:\\Apps\\notes.txt", kTarget},
      {"TPTShellList", 0, "", "before", kTarget},  // a virtual item: nothing
      {"TPTShellCombo", 0, "D:\\Apps", "D:\\Apps", kTarget},
      // Tag 1 passes its folder on: the product's folders go below it.
      {"TDirectoryListBox", 1, "D:\\Apps", "D:\\Apps", "D:\\Apps\\Company\\Product"},
      {"TPTShellTree", 1, "D:\\Apps", "D:\\Apps", "D:\\Apps\\Company\\Product"},
      {"TFileListBox", 1, "D:\\Apps\\setup.ini", "D:\\Apps\\setup.ini",
       "D:\\Apps\\Company\\Product"},
      {"TDriveComboBox", 1, "d:\\", "d:\\", "d:\\Company\\Product"},
      {"TPTShellCombo", 1, "c:\\program files", "c:\\program files", kTarget},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.className) + " at " + c.path);
    Fixture f(FolderControl("Folder", c.className, "FOLDER", c.tag) +
              Edit("Target", "TARGETDIR", 2) + Edit("Follows", "FOLDER", 100));
    f.existing = {"C:\\", "C:\\Program Files\\"};
    f.vars.PutVariable("TARGETDIR", kTarget);
    f.vars.PutVariable("FOLDER", "before");
    f.Prepare();
    f.surface.paths["Folder"] = c.path;
    f.binding.Changed(f.Control("Folder"));
    EXPECT_EQ(f.vars.GetVariable("FOLDER"), c.written);
    EXPECT_EQ(f.Get("Follows", "Text"), c.written);  // Tag 100 follows the change
    EXPECT_EQ(f.vars.GetVariable("TARGETDIR"), c.target);
    EXPECT_EQ(f.Get("Target", "Text"), c.target);
  }
}

TEST(DialogBinding, TargetOnAMissingDriveKeepsItsTail) {
  Fixture f(Edit("Target", "TARGETDIR", 2) + FolderControl("Tree", "TPTShellTree", "", 1));
  f.vars.PutVariable("TARGETDIR", "Q:\\Company\\Product");
  f.existing = {"C:\\"};
  f.Prepare();
  EXPECT_EQ(f.binding.TargetTail(), "Company\\Product");
  EXPECT_EQ(f.surface.shownFolders.count("Tree"), 0U);
  f.surface.paths["Tree"] = "C:\\";
  f.binding.Changed(f.Control("Tree"));
  EXPECT_EQ(f.vars.GetVariable("TARGETDIR"), "C:\\Company\\Product");
}

TEST(DialogBinding, Tag100FolderControlsFollowTheirVariable) {
  struct Case {
    const char* typed;
    const char* files;   // where the file list goes
    const char* folder;  // where the directory list and shell controls go
    const char* drive;
  };
  const Case cases[] = {
      {"D:\\\\Apps", "D:\\Apps", "D:\\Apps", "D:\\"},
      {"D:\\Apps\\setup.ini", "D:\\Apps\\setup.ini", "<none>", "D:\\"},
      {"D:\\Missing", "<none>", "<none>", "D:\\"},
      {"Q:\\Apps", "<none>", "<none>", "<none>"},
      {"", "<none>", "<none>", "<none>"},
  };
  const char* classes[] = {"TFileListBox", "TDirectoryListBox", "TDriveComboBox",
                           "TPTShellTree", "TPTShellList",      "TPTShellCombo"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    std::string controls = Edit("Typed", "CHOICE", 0);
    for (const char* className : classes) {
      controls += FolderControl(std::string(className).substr(1), className, "$CHOICE$", 100);
    }
    Fixture f(controls);
    f.existing = {"C:\\", "D:\\", "D:\\Apps\\"};
    f.existingFiles = {"D:\\Apps\\setup.ini"};
    f.vars.PutVariable("CHOICE", "before");
    f.Prepare();
    f.surface.shownFolders.clear();
    f.Control("Typed").Set("Text", c.typed);
    f.binding.Changed(f.Control("Typed"));
    auto shown = [&](const std::string& name) {
      auto found = f.surface.shownFolders.find(name);
      return found == f.surface.shownFolders.end() ? std::string("<none>") : found->second;
    };
    EXPECT_EQ(shown("FileListBox"), c.files);
    EXPECT_EQ(shown("DriveComboBox"), c.drive);
    for (const char* name : {"DirectoryListBox", "PTShellTree", "PTShellList", "PTShellCombo"}) {
      EXPECT_EQ(shown(name), c.folder) << name;
    }
    // Moving them wrote nothing back.
    EXPECT_EQ(f.vars.GetVariable("CHOICE"), c.typed);
  }
}

TEST(DialogBinding, ComponentListAndItsStaticTexts) {
  Fixture f(
      "  object List: TCheckListBox\n    Tag = 1\n  end\n"
      "  object Description: TStaticText\n    Tag = 2\n  end\n"
      "  object Size: TStaticText\n    Tag = 3\n  end\n"
      "  object Required: TStaticText\n    Tag = 4\n  end\n"
      "  object Free: TStaticText\n    Tag = 5\n  end\n"
      "  object Remaining: TStaticText\n    Tag = 6\n  end\n");
  f.components.DefineComponent("Program", "The program$NEWLINE$itself", true);
  f.components.DefineComponent("Help", "Manuals", false);
  f.components.DefineComponent("Core", "Always there", true);
  f.components.SetComponentSpace("Program", 1048575);
  f.components.SetComponentSpace("Help", 1);
  f.components.SetComponentSpace("Core", 0);
  f.components.SetComponentChoice("Core", false);
  f.vars.PutVariable("TARGETDIR", "C:\\App");
  f.Prepare();
  EXPECT_EQ(f.Get("List", "Items"), "Program\r\nHelp\r\nCore");
  EXPECT_EQ(f.surface.marks["List"], (std::vector<bool>{true, false, true}));
  EXPECT_EQ(f.Get("Required", "Caption"), "1,048,575 bytes");
  EXPECT_EQ(f.Get("Free", "Caption"), "4,882 KB");

  f.Control("List").Set("ItemIndex", "0");
  f.binding.Clicked(f.Control("List"));
  EXPECT_EQ(f.binding.CurrentComponent(), "Program");
  EXPECT_EQ(f.Get("Description", "Caption"), "The program\r\nitself");
  EXPECT_EQ(f.Get("Size", "Caption"), "1,048,575 bytes");

  // Ticking Help and unticking the fixed Core: Core keeps its state.
  f.surface.marks["List"] = {true, true, false};
  f.binding.ItemChecked(f.Control("List"));
  EXPECT_EQ(f.components.ComponentState("Help"), "TRUE");
  EXPECT_EQ(f.components.ComponentState("Core"), "TRUE");
  EXPECT_EQ(f.surface.marks["List"], (std::vector<bool>{true, true, true}));
  EXPECT_EQ(f.Get("Required", "Caption"), "1,024 KB");
  EXPECT_EQ(f.Get("Remaining", "Caption"), "3,858 KB");
}

// The images of a tree's nodes, depth first: "text=image".
std::string TreeImages(const std::vector<ComponentTreeNode>& nodes) {
  std::string out;
  for (const ComponentTreeNode& node : nodes) {
    out += node.text + "=" + std::to_string(node.image) + " " + TreeImages(node.children);
  }
  return out;
}

TEST(DialogBinding, ComponentTreeAndItsMenu) {
  struct Case {
    const char* name;
    std::vector<size_t> node;
    int choice;
    const char* images;  // after the choice
  };
  const Case cases[] = {
      {"this component only: its ancestors too, not its children",
       {0, 0},
       0,
       "App=1 Docs=1 Guide=0 Core=1 "},
      {"the entire feature", {0, 0}, 1, "App=1 Docs=1 Guide=1 Core=1 "},
      {"unavailable: the feature, except a fixed choice", {0}, 2, "App=0 Docs=0 Guide=0 Core=1 "},
      {"the menu closed without a choice", {0}, -1, "App=1 Docs=0 Guide=0 Core=1 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f(
        "  object Tree: TTreeView\n    Tag = 1\n  end\n"
        "  object Description: TStaticText\n    Tag = 2\n  end\n");
    f.components.DefineComponent("App", "The application", true);
    f.components.DefineComponent("App\\Docs", "Documents", false);
    f.components.DefineComponent("App\\Docs\\Guide", "The guide", false);
    f.components.DefineComponent("App\\Core", "Always", true);
    f.components.SetComponentChoice("App\\Core", false);
    f.Prepare();
    EXPECT_EQ(f.binding.CurrentComponent(), "App");  // the first node is selected
    EXPECT_EQ(f.Get("Description", "Caption"), "The application");
    f.surface.SelectNode(f.Control("Tree"), c.node);
    f.binding.TreeChanged(f.Control("Tree"));
    f.surface.menuChoice = c.choice;
    f.binding.TreeMenuRequested(f.Control("Tree"), true);
    EXPECT_EQ(f.surface.menus, std::vector<std::string>{"3 at cursor"});
    EXPECT_EQ(TreeImages(f.surface.trees["Tree"]), c.images);
  }

  // One choice after another on the same tree.
  Fixture f("  object Tree: TTreeView\n    Tag = 1\n  end\n");
  f.components.DefineComponent("App", "", true);
  f.components.DefineComponent("App\\Docs", "", false);
  f.components.DefineComponent("App\\Docs\\Guide", "", false);
  f.Prepare();
  for (const auto& [node, choice] : std::vector<std::pair<std::vector<size_t>, int>>{
           {{0, 0}, 0}, {{0}, 2}, {{0, 0, 0}, 1}, {{0, 0}, 2}}) {
    f.surface.SelectNode(f.Control("Tree"), node);
    f.binding.TreeChanged(f.Control("Tree"));
    f.surface.menuChoice = choice;
    f.binding.TreeMenuRequested(f.Control("Tree"), false);
  }
  EXPECT_EQ(TreeImages(f.surface.trees["Tree"]), "App=1 Docs=0 Guide=0 ");
  EXPECT_EQ(f.components.ComponentState("App\\Docs"), "FALSE");

  Fixture locked("  object Tree: TTreeView\n    Tag = 1\n  end\n");
  locked.components.DefineComponent("Fixed", "", true);
  locked.components.SetComponentChoice("Fixed", false);
  locked.Prepare();
  locked.binding.TreeMenuRequested(locked.Control("Tree"), false);
  EXPECT_TRUE(locked.surface.menus.empty());  // a fixed choice opens no menu
}

TEST(DialogBinding, CheckListWithAHintWritesItsCheckedItems) {
  Fixture f(
      "  object Extras: TCheckListBox\n    Hint = 'EXTRAS'\n"
      "    Items.Strings = ('One' 'Two' 'Three')\n  end\n");
  f.vars.PutVariable("EXTRAS", "two$NEWLINE$Three$NEWLINE$");
  f.Prepare();
  EXPECT_EQ(f.surface.marks["Extras"], (std::vector<bool>{false, true, true}));
  EXPECT_EQ(f.vars.GetVariable("EXTRAS"), "Two$NEWLINE$Three$NEWLINE$");
}

TEST(DialogBinding, FullEditMovesTheFocusOn) {
  Fixture f(Edit("Part1", "P1", 0, "    MaxLength = 3\n    TabOrder = 0\n") +
            Edit("Part2", "P2", 0, "    TabOrder = 1\n") +
            "  object Key: TMaskEdit\n    EditMask = '>AAA-000;1;_'\n    TabOrder = 2\n  end\n"
            "  object Last: TButton\n    TabOrder = 3\n  end\n");
  f.Prepare();
  f.Control("Part1").Set("Text", "ab");
  f.binding.Changed(f.Control("Part1"));
  EXPECT_EQ(f.surface.focused, "");
  f.Control("Part1").Set("Text", "abc");
  f.binding.Changed(f.Control("Part1"));
  EXPECT_EQ(f.surface.focused, "Part2");
  f.Control("Key").Set("Text", "ABC-12");
  f.binding.KeyReleased(f.Control("Key"));
  EXPECT_EQ(f.surface.focused, "Part2");
  f.Control("Key").Set("Text", "ABC-123");
  f.binding.KeyReleased(f.Control("Key"));
  EXPECT_EQ(f.surface.focused, "Last");
}

TEST(DialogBinding, MemoBoundToAVariableKeepsItsLines) {
  Fixture f("  object Notes: TMemo\n    Hint = 'NOTES'\n  end\n");
  f.vars.PutVariable("NOTES", "one$NEWLINE$two");
  f.Prepare();
  EXPECT_EQ(f.Get("Notes", "Lines"), "one\r\ntwo");
  EXPECT_EQ(f.Get("Notes", "ReadOnly"), "False");
  EXPECT_EQ(f.binding.WatchedMemo(), nullptr);
  f.Control("Notes").Set("Lines", "three\r\nfour");
  f.binding.Changed(f.Control("Notes"));
  EXPECT_EQ(f.vars.GetVariable("NOTES"), "three$NEWLINE$four");
}

TEST(DialogBinding, BadValuesNeverBreakThePage) {
  Fixture f("  object Big: TMemo\n    Hint = 'BIG'\n  end\n" + Edit("Field", "$", 0),
            {"IF (Nothing.Such = x)  THEN  Field.NoProperty := 1;",
             "IF (Field.Text = )  THEN  Field.Enabled := notatruth;"});
  f.vars.PutVariable("BIG", std::string(4 << 20, 'x'));
  EXPECT_NO_THROW(f.Prepare());
  EXPECT_EQ(f.Control("Big").Get("Lines")->size(), size_t{4} << 20);
  EXPECT_EQ(f.Get("Field", "Enabled"), "True");
}

TEST(ProgressRefresh, BarsAboveTwoToThe31AreScaledBy1024) {
  struct Case {
    int64_t minimum, maximum, position;
    BarRange shown;
  };
  const Case cases[] = {
      {0, 4294967296, 2147483648, {0, 4194304, 2097152}},
      {0, 2147483648, 1024, {0, 2097152, 1}},
      {0, 2147483647, 2147483647, {0, 2147483647, 2147483647}},
      {10, 100, 50, {10, 100, 50}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.maximum);
    const BarRange range = ProgressBarRange(c.minimum, c.maximum, c.position);
    EXPECT_EQ(range.minimum, c.shown.minimum);
    EXPECT_EQ(range.maximum, c.shown.maximum);
    EXPECT_EQ(range.position, c.shown.position);
  }
}

// A progress page: the worker's text, a bar, a gauge, a Tag-100 bar that
// follows its own variable and a label whose caption names a variable.
const char kProgressPage[] =
    "  object Action: TStaticText\n    Tag = 1\n    Caption = 'x'\n  end\n"
    "  object Bar: TProgressBar\n    Tag = 1\n  end\n"
    "  object Gauge: TGauge\n    Tag = 1\n  end\n"
    "  object Share: TProgressBar\n    Tag = 100\n    Hint = 'SHARE'\n  end\n"
    "  object Note: TLabel\n    Caption = 'Step $STEP$'\n  end\n";

TEST(ProgressRefresh, WorkerFiguresReachTheCurrentDialog) {
  Fixture f(kProgressPage);
  f.vars.PutVariable("STEP", "1");
  f.vars.PutVariable("SHARE", "40");
  f.Prepare();
  f.vars.PutVariable("VELD_thProgressText", "Copying new files");
  f.vars.PutVariable("VELD_thMin", "0");
  f.vars.PutVariable("VELD_thMax", "4294967296");
  f.vars.PutVariable("VELD_thProgress", "2147483648");
  f.vars.PutVariable("STEP", "2");
  f.binding.RefreshProgress(ReadProgress("$VELD$", false, 0, 0, 0, f.vars));
  EXPECT_EQ(f.Get("Action", "Caption"), "Copying new files");
  EXPECT_EQ(f.Get("Bar", "Max"), "4194304");
  EXPECT_EQ(f.Get("Bar", "Position"), "2097152");
  // Gauges are not scaled: beyond 32 bits they stand at their maximum.
  EXPECT_EQ(f.Get("Gauge", "MaxValue"), "100");
  EXPECT_EQ(f.Get("Gauge", "Progress"), "100");
  EXPECT_EQ(f.Get("Share", "Position"), "40");
  EXPECT_EQ(f.Get("Note", "Caption"), "Step 2");

  // Nothing changed: texts and the Tag-100 bar are not assigned again.
  f.surface.shown.clear();
  f.binding.RefreshProgress(ReadProgress("$VELD$", false, 0, 0, 0, f.vars));
  for (const std::string& shown : f.surface.shown) {
    EXPECT_TRUE(shown.starts_with("Bar.") || shown.starts_with("Gauge.")) << shown;
  }

  // Figures that are no integers put the bars at their maximum.
  f.vars.PutVariable("VELD_thProgress", "lots");
  f.vars.PutVariable("SHARE", "half");
  f.binding.RefreshProgress(ReadProgress("$VELD$", false, 0, 0, 0, f.vars));
  EXPECT_EQ(f.Get("Bar", "Position"), f.Get("Bar", "Max"));
  EXPECT_EQ(f.Get("Gauge", "Progress"), f.Get("Gauge", "MaxValue"));
  EXPECT_EQ(f.Get("Share", "Position"), "100");
}

TEST(ProgressRefresh, MarqueeIgnoresTheFiguresUntilSwitchedBack) {
  Fixture f(kProgressPage);
  f.Prepare();
  f.vars.PutVariable("MODE", "MARQUEE");
  f.vars.PutVariable("PROGRESSMODE", "$MODE$");  // the value is expanded
  f.binding.RefreshProgress(ReadProgress("Working", false, 0, 100, 30, f.vars));
  EXPECT_EQ(f.Get("Bar", "Style"), "pbstMarquee");
  EXPECT_EQ(f.Get("Bar", "Position"), "0");
  EXPECT_EQ(f.Get("Gauge", "Progress"), "30");  // a gauge has no marquee
  f.vars.PutVariable("PROGRESSMODE", "");
  f.binding.RefreshProgress(ReadProgress("Working", false, 0, 100, 30, f.vars));
  EXPECT_EQ(f.Get("Bar", "Style"), "pbstNormal");
  EXPECT_EQ(f.Get("Bar", "Position"), "30");
}

TEST(ProgressRefresh, TheCancelIsPublishedOnlyWhenAsked) {
  TVariableManager vars{false};
  vars.PutVariable("VELD_thCancelled", "FALSE");
  SetCancelRequested(true);
  ReadProgress("x", false, 0, 100, 1, vars);
  EXPECT_EQ(vars.GetVariable("VELD_thCancelled"), "FALSE");
  EXPECT_TRUE(RefreshProgress("x", true, 0, 100, 1, vars, nullptr));
  EXPECT_EQ(vars.GetVariable("VELD_thCancelled"), "TRUE");
  // Without background work the timer leaves everything as it is.
  SetCancelRequested(false);
  ProgressTimerTick(vars, nullptr);
  EXPECT_EQ(vars.GetVariable("VELD_thCancelled"), "TRUE");
}

}  // namespace
}  // namespace vantrell
