// Throughput of the script reader, the compilation check and the statement
// loop on generated scripts: a statement mix of conditions, expressions and
// comments, and a deeply skipped block.
#include <benchmark/benchmark.h>

#include <string>

#include "script/compile_check.h"
#include "script/interpreter.h"
#include "script/script_reader.h"

namespace {

class NullHost final : public vantrell::InterpreterHost {
 public:
  void ProcessMessages() override {}
  void ProcessOneMessage() override {}
  void WakeMainThread() override {}
  void ShowScriptError(const std::string&, const std::string&) override {}
  std::string ShortDate() override { return "10.12.2026"; }
  std::string LongTime() override { return "12:00:00"; }
  [[noreturn]] void TerminateProcess(int code) override { throw code; }
};

class NoFiles final : public vantrell::FileSystem {
 public:
  bool FileExists(const std::string& path) const override { return path.ends_with(".msi"); }
  bool DirectoryExists(const std::string&) const override { return false; }
  bool MakeNewDirectory(const std::string&) override { return false; }
  bool MakeDirectories(const std::string&) override { return false; }
  std::optional<uint64_t> FileSize(const std::string&) const override { return std::nullopt; }
  bool ReadWholeFile(const std::string&, std::string&) const override { return false; }
  bool CopyFileTail(const std::string&, uint64_t, const std::string&) override { return false; }
  bool WriteWholeFile(const std::string&, std::string_view) override { return false; }
  bool AppendToExistingFile(const std::string&, std::string_view) override { return false; }
  bool CopyFileReplacing(const std::string&, const std::string&) override { return false; }
  bool SetNormalAttributes(const std::string&) override { return false; }
  bool RemoveFile(const std::string&) override { return false; }
  bool RemoveEmptyDirectory(const std::string&) override { return false; }
  std::vector<Entry> List(const std::string&) const override { return {}; }
};

// n groups of: a true If with an expression inside, a false If, a comment.
std::string Script(int groups) {
  std::string commands, ids, pool, markers;
  int index = 0;
  auto add = [&](const std::string& command, std::initializer_list<std::string> parameters) {
    const std::string id =
        "{00000000-0000-0000-0000-" + std::to_string(100000000000 + index++) + "}";
    commands += command + "\r\n";
    ids += id + "\r\n";
    markers += "\r\n";
    if (parameters.size() == 0) return;
    pool += id + "\r\n";
    for (const std::string& p : parameters) pool += p + "\r\n";
  };
  add("Evaluate Expression", {"\"a\" = \"a\"", "FLAG"});
  for (int i = 0; i < groups; ++i) {
    add("If", {"FLAG", "0", "TRUE", "TRUE"});
    add("Evaluate Expression", {"$TITLE$ = \"Bench\" and (\"1\" < \"2\" or \"x\" <> \"y\")", "R"});
    add("End", {});
    add("If", {"TITLE", "4", "other", "TRUE"});
    add("Comment", {"skipped"});
    add("End", {});
    add("Comment", {"$TITLE$ and $FLAG$"});
  }
  return commands + "$\r\n" + ids + "$\r\n" + pool + "$\r\n" + markers +
         "$\r\n{P}\r\nBench\r\n$\r\n";
}

void BM_ReadScript(benchmark::State& state) {
  const std::string text = Script(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(vantrell::ReadScript(text));
  state.SetItemsProcessed(state.iterations() * (7 * state.range(0) + 1));
}
BENCHMARK(BM_ReadScript)->Arg(1000)->Arg(10000);

void BM_CompileScript(benchmark::State& state) {
  const vantrell::SetupScript script =
      vantrell::ReadScript(Script(static_cast<int>(state.range(0))));
  vantrell::TVariableManager vars;
  for (auto _ : state) benchmark::DoNotOptimize(vantrell::CompileScript(script, vars));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(script.StatementCount()));
}
BENCHMARK(BM_CompileScript)->Arg(1000)->Arg(10000);

void BM_RunScript(benchmark::State& state) {
  const vantrell::SetupScript script =
      vantrell::ReadScript(Script(static_cast<int>(state.range(0))));
  NullHost host;
  NoFiles files;
  vantrell::TVariableManager vars;
  vantrell::RunScriptContext context{script, "C:\\t\\setup.msi", "C:\\t\\", files};
  for (auto _ : state) benchmark::DoNotOptimize(vantrell::RunScript(context, host, vars));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(script.StatementCount()));
}
BENCHMARK(BM_RunScript)->Arg(1000)->Arg(10000);

}  // namespace

BENCHMARK_MAIN();
