// Package edits through the bound installer library (contract in package_editor.h).
#include "msi/win32/package_editor.h"

#include <objbase.h>

#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "common/target_platform.h"
#include "msi/install_statements.h"
#include "msi/win32/msi_library.h"
#include "msi/win32/msi_records.h"

namespace vantrell {
namespace {

// Persist mode of MsiOpenDatabaseA: edits go straight into the file.
const LPCSTR kDirectMode = reinterpret_cast<LPCSTR>(2);  // NOLINT(performance-no-int-to-ptr)
constexpr UINT kTextType = 30;                           // VT_LPSTR
constexpr UINT kIntegerType = 3;                         // VT_I4

bool WithSummary(MSIHANDLE database, const std::function<bool(MSIHANDLE)>& change) {
  Handle info;
  if (msi::MsiGetSummaryInformationA(database, nullptr, 1, info.Out()) != ERROR_SUCCESS)
    return false;
  return change(info.Get()) && msi::MsiSummaryInfoPersist(info.Get()) == ERROR_SUCCESS;
}

bool SummaryTemplate(MSIHANDLE info, std::string& text) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    UINT type = 0;
    INT integer = 0;
    FILETIME time{};
    DWORD length = static_cast<DWORD>(buffer.size());
    const UINT result = msi::MsiSummaryInfoGetPropertyA(info, kSummaryTemplate, &type, &integer,
                                                        &time, buffer.data(), &length);
    // A long template is read whole: a cut one would be written back cut.
    if (result == ERROR_MORE_DATA) {
      buffer.resize(static_cast<size_t>(length) + 1);
      continue;
    }
    if (result != ERROR_SUCCESS) return false;
    text.assign(buffer.data(), type == kTextType ? length : 0);
    return true;
  }
}

std::string NewGuid() {
  GUID guid{};
  if (CoCreateGuid(&guid) != S_OK) return {};
  return FormatGuid(guid.Data1, guid.Data2, guid.Data3, guid.Data4);
}

void RunStep(MSIHANDLE database, const edit::Query& step) {
  View view(database, step.sql);
}

void RunStep(MSIHANDLE database, const edit::SummaryText& step) {
  WithSummary(database, [&](MSIHANDLE info) {
    return msi::MsiSummaryInfoSetPropertyA(info, step.id, kTextType, 0, nullptr,
                                           step.text.c_str()) == ERROR_SUCCESS;
  });
}

void RunStep(MSIHANDLE database, const edit::SummaryInteger& step) {
  WithSummary(database, [&](MSIHANDLE info) {
    return msi::MsiSummaryInfoSetPropertyA(info, step.id, kIntegerType, step.value, nullptr,
                                           nullptr) == ERROR_SUCCESS;
  });
}

void RunStep(MSIHANDLE database, const edit::RowTexts& step) {
  View view(database, step.select);
  Handle record;
  while (view.Fetch(record)) {
    std::string key;
    if (!RecordText(record.Get(), 1, key) || key != step.key) continue;
    bool set = true;
    for (size_t i = 0; i < step.texts.size(); ++i) {
      set = set && msi::MsiRecordSetStringA(record.Get(), static_cast<UINT>(i + 2),
                                            step.texts[i].c_str()) == ERROR_SUCCESS;
    }
    if (set) view.Update(record);
  }
}

void RunStep(MSIHANDLE database, const edit::ComponentAttributes& step) {
  View view(database, "SELECT `Attributes` FROM `Component`");
  Handle record;
  while (view.Fetch(record)) {
    const int attributes = msi::MsiRecordGetInteger(record.Get(), 1);
    if (attributes == static_cast<int>(MSI_NULL_INTEGER)) continue;
    if (msi::MsiRecordSetInteger(record.Get(), 1, AttributesForPlatform(attributes, step.set64)) ==
        ERROR_SUCCESS) {
      view.Update(record);
    }
  }
}

void RunStep(MSIHANDLE database, const edit::FreshComponentIds&) {
  View view(database, "SELECT `ComponentId` FROM `Component`");
  Handle record;
  while (view.Fetch(record)) {
    const std::string id = NewGuid();
    if (!id.empty() && msi::MsiRecordSetStringA(record.Get(), 1, id.c_str()) == ERROR_SUCCESS)
      view.Update(record);
  }
}

}  // namespace

bool ApplyEditSession(const std::string& packagePath, const EditSession& session) {
  Handle database;
  if (msi::MsiOpenDatabaseA(packagePath.c_str(), kDirectMode, database.Out()) != ERROR_SUCCESS)
    return false;
  for (const PackageEdit& step : session) {
    std::visit([&](const auto& s) { RunStep(database.Get(), s); }, step);
  }
  return msi::MsiDatabaseCommit(database.Get()) == ERROR_SUCCESS;
}

void ApplyPropertyQueue(const std::string& packagePath) {
  const PropertyQueuePlan plan = TakePropertyQueuePlan(packagePath);
  if (plan.renewComponentIds) ApplyEditSession(packagePath, {edit::FreshComponentIds{}});
  if (plan.hasQueue) ApplyEditSession(packagePath, plan.session);
}

void ApplyLocalizedTexts(const std::string& packagePath) {
  ApplyEditSession(packagePath, LocalizedTextSession(ShortcutTexts(), FileTypeTexts()));
}

void SetPackagePlatform(const std::string& packagePath, const std::string& platform) {
  TemplateEdit wanted{};
  bool written = false;
  {
    Handle database;
    if (msi::MsiOpenDatabaseA(packagePath.c_str(), kDirectMode, database.Out()) != ERROR_SUCCESS)
      return;
    written = WithSummary(database.Get(), [&](MSIHANDLE info) {
      std::string current;
      if (!SummaryTemplate(info, current)) return false;
      wanted = TemplateForPlatform(current, platform);
      return msi::MsiSummaryInfoSetPropertyA(info, kSummaryTemplate, kTextType, 0, nullptr,
                                             wanted.text.c_str()) == ERROR_SUCCESS;
    });
    if (msi::MsiDatabaseCommit(database.Get()) != ERROR_SUCCESS) return;
  }
  if (written && wanted.platformChanged)
    ApplyEditSession(packagePath, {edit::ComponentAttributes{wanted.set64}});
}

void SetPackageWordCount(const std::string& packagePath) {
  ApplyEditSession(packagePath, WordCountSession());
}

void ApplyQueuedPackageEdits(const std::string& packagePath, bool isPatch) {
  if (isPatch) return;
  ApplyPropertyQueue(packagePath);
  SetPackagePlatform(packagePath, TargetPlatform());
  SetPackageWordCount(packagePath);
}

}  // namespace vantrell
