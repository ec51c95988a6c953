// Speed of a page's way to the screen, without the windows: the example's
// components page read from its form file into the live form, and its
// preparation (values from the variables, the component list with 200
// components, static texts with sizes, rules) against a window side that
// only counts what it is asked to show.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dialogs/dialog_binding.h"
#include "dialogs/form_stream.h"
#include "dialogs/form_text.h"

namespace {

using namespace vantrell;

std::string ExampleForm(const char* name) {
  std::ifstream in(std::string(VANTRELL_SOURCE_DIR) + "/examples/author/forms/" + name,
                   std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  FormResource resource;
  resource.root = ParseFormText(text.str());
  resource.resourceName = "PAGE";
  return WriteFormResource(resource);
}

class CountingSurface final : public DialogSurface {
 public:
  void Show(FormControl&, std::string_view) override { ++shown; }
  std::vector<bool> Marks(const FormControl&) const override { return marks; }
  void SetMarks(FormControl&, const std::vector<bool>& m) override { marks = m; }
  void Focus(FormControl&) override {}
  bool HasSelectedText(const FormControl&) const override { return false; }
  bool CanScrollVertically(const FormControl&) const override { return true; }
  void LoadRichText(FormControl&, const std::string&) override {}
  std::optional<std::string> BrowseForFolder() override { return std::nullopt; }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  void ShowTree(FormControl&, const std::vector<ComponentTreeNode>&) override {}
  std::vector<size_t> SelectedNode(const FormControl&) const override { return {}; }
  void SelectNode(FormControl&, const std::vector<size_t>&) override {}
  int PopupMenu(FormControl&, const std::vector<std::string>&, bool) override { return -1; }
  void ShowHtmlPage(FormControl&, const std::string&, const std::string&,
                    const std::string&) override {}
  void ShowFolder(FormControl&, const std::string&) override { ++shown; }
  std::string FolderPath(const FormControl&) const override { return {}; }
  void PlayMovie(FormControl&, const std::string&, const std::string&,
                 const std::string&) override {}
  size_t shown = 0;
  std::vector<bool> marks;
};

void BM_ReadForm(benchmark::State& state) {
  const std::string bytes = ExampleForm("Components.txt");
  for (auto _ : state) {
    Form form(ReadFormResource(bytes).root);
    benchmark::DoNotOptimize(form.Controls().size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadForm);

void BM_PrepareComponentsPage(benchmark::State& state) {
  Form form(ReadFormResource(ExampleForm("Components.txt")).root);
  form.Root().Set("Hint", "Components.dfm");
  TVariableManager vars(false);
  vars.PutVariable("TARGETDIR", "C:\\Program Files\\Example");
  vars.PutVariable("TITLE", "Example");
  TComponentTable components;
  for (int i = 0; i < 200; ++i) {
    const std::string name = "Component " + std::to_string(i);
    components.DefineComponent(name, "What component " + std::to_string(i) + " brings", i % 2 == 0);
    components.SetComponentSpace(name, 1000 * i);
  }
  CountingSurface surface;
  DialogBinding binding(form, surface, vars, components, {});
  DialogServices services;
  services.folderExists = [](const std::string&) { return true; };
  services.freeSpace = [](const std::string&) -> std::optional<int64_t> {
    return int64_t{1} << 34;
  };
  for (auto _ : state) {
    binding.Prepare(services);
    binding.Release();
  }
}
BENCHMARK(BM_PrepareComponentsPage);

void BM_PrepareLicensePage(benchmark::State& state) {
  Form form(ReadFormResource(ExampleForm("License.txt")).root);
  form.Root().Set("Hint", "License.dfm");
  TVariableManager vars(false);
  TComponentTable components;
  CountingSurface surface;
  DialogBinding binding(form, surface, vars, components,
                        {"IF (LicenseText.MaxLength = 2147483647)  THEN  Accept.Enabled := True;",
                         "IF (Accept.Checked = True)  THEN  Next.Enabled := True;",
                         "IF (Accept.Checked = False)  THEN  Next.Enabled := False;"});
  const std::string license(64 * 1024, 'x');
  DialogServices services;
  services.readSupportFile = [&](const std::string& name) -> std::optional<std::string> {
    if (name == "license.txt") return license;
    return std::nullopt;
  };
  for (auto _ : state) {
    binding.Prepare(services);
    binding.Release();
  }
}
BENCHMARK(BM_PrepareLicensePage);

}  // namespace

BENCHMARK_MAIN();
