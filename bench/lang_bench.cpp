// Speed of the per-statement translation work with translation files of
// 100 to 10,000 lines: RefreshTranslations before each statement (language
// unchanged), and Translate of a statement's text whose key lies at the end
// of the matrix. Neither may grow with the files.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "engine/bootstrap.h"
#include "lang/translations.h"
#include "script/script_reader.h"
#include "twins/memory_file_system.h"
#include "vars/variable_manager.h"

namespace {

using namespace vantrell;

constexpr const char* kSupport = "C:\\Temp\\zeb1\\";

std::string Key(int64_t i) {
  char buffer[48];
  std::snprintf(buffer, sizeof(buffer), "{00000000-0000-0000-0000-%012lld}",
                static_cast<long long>(i));
  return buffer;
}

// Translation files of lines lines: each statement has two slots.
void AddFiles(testing::MemoryFileSystem& files, int64_t lines) {
  std::string matrix, map, original, german;
  for (int64_t i = 0; i < lines; ++i) {
    matrix += Key(i / 2) + "\r\n";
    map += "statement\r\n";
    original += "Text " + std::to_string(i) + "\r\n";
    german += "Text auf Deutsch " + std::to_string(i) + "\r\n";
  }
  files.AddFile(std::string(kSupport) + "Bench.mtx", matrix);
  files.AddFile(std::string(kSupport) + "translations.Map", map);
  files.AddFile(std::string(kSupport) + "translations.Original", original);
  files.AddFile(std::string(kSupport) + "translations.German", german);
}

struct Run {
  explicit Run(int64_t lines) {
    script.projectTitle = "Bench";
    AddFiles(files, lines);
    vars.PutVariable("LANGUAGE", "German");
    context.supportFolder = kSupport;
    Translations().Reset();
    RefreshTranslations(context, vars);  // the first statement loads the files
  }
  SetupScript script;
  testing::MemoryFileSystem files;
  TVariableManager vars;
  RunScriptContext context{script, "", "", files};
};

void BM_RefreshTranslations(benchmark::State& state) {
  Run run(state.range(0));
  for (auto _ : state) RefreshTranslations(run.context, run.vars);
}
BENCHMARK(BM_RefreshTranslations)->Arg(100)->Arg(1000)->Arg(10000);

void BM_Translate(benchmark::State& state) {
  Run run(state.range(0));
  const std::string key = Key(state.range(0) / 2 - 1);  // the last statement's
  const std::string text = "Text " + std::to_string(state.range(0) - 1);
  for (auto _ : state) benchmark::DoNotOptimize(Translations().Lookup(text, key, 2));
  if (Translations().Lookup(text, key, 2) == text) state.SkipWithError("not translated");
}
BENCHMARK(BM_Translate)->Arg(100)->Arg(1000)->Arg(10000);

}  // namespace

BENCHMARK_MAIN();
