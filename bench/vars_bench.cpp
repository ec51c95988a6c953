// Speed of the variable store: put and get among 10,000 variables, expansion
// of a typical parameter line with three references, and of text without "$".
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "vars/variable_manager.h"

namespace {

using vantrell::TVariableManager;

constexpr int kVariables = 10000;

std::vector<std::string> Names() {
  std::vector<std::string> names;
  for (int i = 0; i < kVariables; ++i) names.push_back("VELD_VARIABLE_" + std::to_string(i));
  return names;
}

void BM_PutVariable(benchmark::State& state) {
  const std::vector<std::string> names = Names();
  TVariableManager store;
  size_t i = 0;
  for (auto _ : state) {
    store.PutVariable(names[i], "C:\\Program Files\\Product\\");
    if (++i == names.size()) i = 0;
  }
}
BENCHMARK(BM_PutVariable);

void BM_GetVariable(benchmark::State& state) {
  const std::vector<std::string> names = Names();
  TVariableManager store;
  for (const std::string& name : names) store.PutVariable(name, "C:\\Program Files\\Product\\");
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(store.GetVariable(names[i]));
    i = (i + 7919) % names.size();
  }
}
BENCHMARK(BM_GetVariable);

void BM_ExpandThreeReferences(benchmark::State& state) {
  TVariableManager store;
  for (const std::string& name : Names()) store.PutVariable(name, "x");
  store.PutVariable("TARGETDIR", "C:\\Program Files\\Product\\");
  store.PutVariable("PRODUCTNAME", "Product");
  store.PutVariable("VERSION", "2.1.0");
  const std::string line = "$TARGETDIR$\\bin\\$PRODUCTNAME$-$VERSION$.exe /quiet";
  for (auto _ : state) benchmark::DoNotOptimize(store.ExpandVariables(line));
}
BENCHMARK(BM_ExpandThreeReferences);

void BM_ExpandWithoutReferences(benchmark::State& state) {
  TVariableManager store;
  for (const std::string& name : Names()) store.PutVariable(name, "x");
  const std::string line = "C:\\Program Files\\Product\\bin\\product.exe /quiet /norestart";
  for (auto _ : state) benchmark::DoNotOptimize(store.ExpandVariables(line));
}
BENCHMARK(BM_ExpandWithoutReferences);

}  // namespace

BENCHMARK_MAIN();
