// The project's texts carried in the setup: their layout read back byte for
// byte, the check that they still build the carried script, the entries a
// dump rewrites, and the package digests it adds below install-type statements.
#include "authoring/carried_readable.h"

#include <gtest/gtest.h>

#include "authoring/assemble.h"
#include "authoring/identifiers.h"
#include "authoring/readable_format.h"
#include "authoring/script_check.h"

namespace vantrell::authoring {
namespace {

constexpr const char* kProjectText =
    "# The product.\r\n"
    "title = Test\r\n"
    "product-code = {2d5e8a41-6b3c-4f0e-9a17-c84b5d2e6f03}\r\n"
    "revision-code = {7F1A3C95-2E4D-4B68-8D0C-1A9E5F3B7C24}\r\n"
    "forms = forms\r\n"
    "# Two files, run one after the other.\r\n"
    "script = main.vscript\r\n"
    "script = parts/more.vscript\r\n";

constexpr const char* kMain =
    "# Files first.\n"
    "Define Component\n  > App\n  > TRUE\n  > The application\n"
    "Install Files  # the application\n"
    "  @component App\n"
    "  > files\\app\n"
    "  > FALSE\n"
    "  > target-folder: $TARGETDIR$\n"
    "\n"
    "Write Registry\n"
    "  > kind: 0\n  > root: 1\n  > key: Software\\T\n  > value-name: Dir\n"
    "  > value: $TARGETDIR$\n  > keep: FALSE\n";

constexpr const char* kMore =
    "Comment\n"
    "  > line-1: a note # kept\n"
    "Create Folder\n"
    "  @off\n"
    "  > $TARGETDIR$\\logs\n";

ReadableForm Form() {
  return {{"t.vproj", kProjectText}, {{"main.vscript", kMain}, {"parts/more.vscript", kMore}}};
}

// The carried bytes the build makes of the form, with the size it counts for App.
std::string Built(const ReadableForm& form) {
  Project p = ProjectFromReadable(form, "project");
  for (const Diagnostic& d : CheckSettings(p)) ADD_FAILURE() << d.message;
  for (const Diagnostic& d : CheckStatements(p)) {
    if (d.error) ADD_FAILURE() << d.where.line << ": " << d.message;
  }
  p.componentSizes = {"App", "1234"};
  return WriteCarriedScript(CompileProject(p).script);
}

TEST(CarriedReadableTest, FormReadsBackByteForByte) {
  ReadableForm form = Form();
  form.scripts.push_back({"odd.vscript", "file 3 x\nno end"});
  form.scripts.push_back({"empty.vscript", ""});
  std::optional<ReadableForm> back = ReadReadableForm(WriteReadableForm(form));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->project.name, "t.vproj");
  EXPECT_EQ(back->project.text, kProjectText);
  ASSERT_EQ(back->scripts.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(back->scripts[i].name, form.scripts[i].name);
    EXPECT_EQ(back->scripts[i].text, form.scripts[i].text);
  }
}

TEST(CarriedReadableTest, MalformedFormsAreNotRead) {
  const char* cases[] = {
      "",
      "vantrell readable form 2\nfile 0 p\n\n",
      "vantrell readable form 1\n",                                      // no project file
      "vantrell readable form 1\nfile 4 p\nabc\n",                       // size beyond the text
      "vantrell readable form 1\nfile 2 p\nabc\n",                       // no end after the text
      "vantrell readable form 1\nfile x p\n\n",                          // size not a number
      "vantrell readable form 1\nfile 0 \n\n",                           // no name
      "vantrell readable form 1\nfile 0 p\r\n\n",                        // a name with a line break
      "vantrell readable form 1\nfile 0 p\n\nfile 0 a\n\nfile 0 a\n\n",  // a script twice
      "vantrell readable form 1\nfile 0 p\n\ntrailing",
  };
  for (const char* bytes : cases) EXPECT_FALSE(ReadReadableForm(bytes)) << bytes;
}

TEST(CarriedReadableTest, TextsAreTakenOnlyWhileTheyBuildTheCarriedScript) {
  const std::string bytes = Built(Form());
  std::optional<Project> p = ProjectBuildingCarried(Form(), "out", bytes);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->statements.size(), 5u);
  EXPECT_EQ(p->statements[3].scriptKey, "parts/more.vscript");

  struct Case {
    const char* what;
    const char* from;
    const char* to;
    bool builds;
  } cases[] = {
      {"a comment edited", "# Files first.", "# Files later.", true},
      {"named lines in another order", "  > kind: 0\n  > root: 1\n", "  > root: 1\n  > kind: 0\n",
       true},
      {"a named line left out", "  > value-name: Dir\n", "", false},
      {"a value edited", "  > value-name: Dir", "  > value-name: Folder", false},
      {"a statement added", "\nWrite Registry", "\nComment\nWrite Registry", false},
      {"a line that does not parse", "  @component App", "  @bogus", false},
  };
  for (const Case& c : cases) {
    ReadableForm edited = Form();
    std::string& text = edited.scripts[0].text;
    const size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.what;
    text.replace(at, std::string(c.from).size(), c.to);
    EXPECT_EQ(ProjectBuildingCarried(edited, "out", bytes).has_value(), c.builds) << c.what;
  }
  // The counted size is the setup's: the files are not carried.
  ReadableForm given = Form();
  given.project.text += "component-size = App\n  > 99\n";
  EXPECT_FALSE(ProjectBuildingCarried(given, "out", bytes));
  // A script the project names and the form lacks.
  ReadableForm lacking = Form();
  lacking.scripts.pop_back();
  EXPECT_FALSE(ProjectBuildingCarried(lacking, "out", bytes));
}

TEST(CarriedReadableTest, DumpedEntriesNameWhatTheDumpWrote) {
  Project parsed = ParseProjectText(kProjectText, "t.vproj");
  const std::string text =
      WithKeys(kProjectText, parsed, {{"package", "setup.msi"}, {"forms", ""}, {"data", "data"}});
  EXPECT_EQ(text,
            "# The product.\r\n"
            "title = Test\r\n"
            "product-code = {2d5e8a41-6b3c-4f0e-9a17-c84b5d2e6f03}\r\n"
            "revision-code = {7F1A3C95-2E4D-4B68-8D0C-1A9E5F3B7C24}\r\n"
            "# forms = forms\r\n"
            "# Two files, run one after the other.\r\n"
            "script = main.vscript\r\n"
            "script = parts/more.vscript\r\n"
            "# Added by dump: the files beside this project.\n"
            "package = setup.msi\n"
            "data = data\n");
  Project again = ParseProjectText(text, "t.vproj");
  EXPECT_EQ(again.package, "setup.msi");
  EXPECT_EQ(again.forms, "");
  EXPECT_EQ(WithKeys("title = A\nsupport = files",
                     ParseProjectText("title = A\nsupport = files", "p"), {{"support", "support"}}),
            "title = A\nsupport = support");

  CarriedScript carried;
  carried.componentSizes = {"Given", "5", "App", "1234", "Help", "|x|"};
  parsed.componentSizes = {"Given", "5"};
  EXPECT_EQ(CountedComponentSizes(parsed, carried),
            "# Added by dump: counted from the @component files.\n"
            "component-size = App\n  > 1234\ncomponent-size = Help\n  > ||x||\n");
  parsed.componentSizes = carried.componentSizes;
  EXPECT_EQ(CountedComponentSizes(parsed, carried), "");
}

TEST(CarriedReadableTest, NamesStayInsideTheOutputFolder) {
  struct Case {
    const char* name;
    bool inside;
  } cases[] = {
      {"main.vscript", true},
      {"parts/more.vscript", true},
      {"parts\\more.vscript", true},
      {"../main.vscript", false},
      {"a/../../b", false},
      {"/etc/x", false},
      {"\\x", false},
      {"C:x.vscript", false},
      {"", false},
      {"a//b", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsContainedName(c.name), c.inside) << c.name;
}

TEST(CarriedReadableTest, KeptPackageDigestsGoBelowInstallTypeStatements) {
  ReadableForm form = Form();
  // One statement already has its digest from an earlier dump: it stays.
  form.scripts[0].text.replace(form.scripts[0].text.find("Write Registry\n"), 15,
                               "Write Registry\n  @package-digest 0123456789ABCDEF\n");
  const std::string bytes = Built(form);
  std::optional<Project> p = ProjectBuildingCarried(form, "out", bytes);
  ASSERT_TRUE(p);
  std::optional<CarriedScript> carried = SplitCarriedScript(bytes);
  ASSERT_TRUE(carried);
  const std::vector<bool> packaged = PackagedStatements(*carried, p->statements);
  // Install Files, Write Registry; not the comment, nor the switched-off folder.
  EXPECT_EQ(packaged, (std::vector<bool>{false, true, true, false, false}));

  std::vector<ReadableFile> scripts = ScriptsWithDigests(form, *p, packaged);
  const std::string digest = LinesDigest({"files\\app", "FALSE", "$TARGETDIR$"});
  EXPECT_NE(scripts[0].text.find("Install Files  # the application\n  @package-digest " + digest +
                                 "\n  @component App\n"),
            std::string::npos)
      << scripts[0].text;
  EXPECT_EQ(scripts[1].text, kMore);
  Project reread;
  ParseScriptText(scripts[0].text, "main.vscript", "main.vscript", reread.statements);
  ASSERT_EQ(reread.statements.size(), 3u);
  EXPECT_EQ(reread.statements[1].packageDigest, digest);
  EXPECT_EQ(reread.statements[2].packageDigest, "0123456789ABCDEF");
}

TEST(CarriedReadableTest, LinesBelowKeepIndentationAndLineEnds) {
  EXPECT_EQ(WithLinesBelow("a\r\n  b\r\nc", {{2, "x"}, {3, "y"}}), "a\r\n  b\r\n    x\r\nc\n  y\n");
  EXPECT_EQ(WithLinesBelow("a\n", {{5, "x"}}), "a\n");
}

}  // namespace
}  // namespace vantrell::authoring
