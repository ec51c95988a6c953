// "Extract 7Zip Archive" and its worker (contract in extract_statement.h).
#include "media/extract_statement.h"

#include <atomic>

#include "common/paths.h"
#include "lang/engine_texts.h"
#include "script/background.h"

namespace vantrell {
namespace {

// The worker of the running extraction, read by the library's progress
// callback on that worker's thread. At most one extraction runs at a time.
struct DirectExtraction {
  Worker* worker = nullptr;
  WaitHost* host = nullptr;
  TVariableManager* vars = nullptr;  // the statement's own store
};
std::atomic<DirectExtraction*> running{nullptr};

int32_t ZEB_CALL ArchiveProgress(const char* currentFile, uint64_t done, uint64_t total) {
  DirectExtraction* extraction = running.load();
  if (extraction == nullptr) return 1;
  const uint32_t percent = ArchivePercent(done, total);
  ReportProgress(FileNameOf(currentFile ? currentFile : "") + ", " + std::to_string(percent) +
                     EngineText(kTextPercentComplete),
                 0, 100, percent, *extraction->vars);
  if (extraction->host != nullptr) extraction->host->WakeMainThread();
  return extraction->worker->TerminateRequested() ? 0 : 1;
}

}  // namespace

uint32_t ArchivePercent(uint64_t done, uint64_t total) {
  if (total == 0) return 100;
  // done * 100 overflows only for absurd totals; divide first then.
  uint64_t percent = done <= UINT64_MAX / 100 ? done * 100 / total : done / (total / 100 + 1);
  percent += 1;
  return percent > 100 ? 100 : static_cast<uint32_t>(percent);
}

void ExtractSevenZipArchive(StatementContext& statement, ArchiveLibrary& library, FileSystem& files,
                            const NativeFileView& view) {
  TVariableManager& vars = statement.vars;
  ExtractionRequest request;
  request.archivePath = vars.ExpandPath(statement.Parameter(1));
  request.destination = vars.ExpandPath(statement.Parameter(2));
  const std::string resultLine = statement.Parameter(3);
  request.password = vars.ExpandVariables(statement.Parameter(4));
  request.questionAnswer = TextToBool(statement.Parameter(5));
  request.optionFlag = TextToBool(statement.Parameter(6));
  request.progressCb = ArchiveProgress;

  bool succeeded = false;
  std::string errorText;
  Worker worker([&](Worker&) {
    // Redirection is a property of the thread: the worker switches it.
    const std::shared_ptr<void> nativeView = view ? view() : nullptr;
    files.MakeDirectories(request.destination);
    succeeded = ExtractArchiveFiles(library, request, errorText);
  });
  DirectExtraction extraction{&worker, &statement.host, &vars};
  running.store(&extraction);
  if (!RunWithCancel(worker, statement.host, statement.run.Silent(), kWatchdogDelay)) {
    succeeded = false;
    errorText = "The extraction was cancelled and did not stop; it was ended";
  }
  running.store(nullptr);

  if (resultLine.empty()) return;
  std::string name = TVariableManager::StripReference(resultLine);
  if (name.empty()) name = resultLine;
  vars.DeclareResultVariable(name, statement.Origin());
  vars.AssignVariable(name, succeeded ? "SUCCESS" : errorText, statement.Origin());
}

void RegisterArchiveStatements(StatementTable& table, ArchiveLibrary& library, FileSystem& files,
                               NativeFileView view) {
  table.Register("Extract 7Zip Archive",
                 [&library, &files, view = std::move(view)](StatementContext& statement) {
                   ExtractSevenZipArchive(statement, library, files, view);
                 });
}

}  // namespace vantrell
