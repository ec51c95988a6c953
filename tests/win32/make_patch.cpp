// Makes a small patch package for the Wine tests of "Apply Patch"
// (tests/wine/t_apply.sh), through the system's installer library:
//   make_patch BASE.msi UPGRADED.msi OUT.msp PRODUCT-CODE PATCH-CODE
// The transform from BASE to UPGRADED becomes the patch's one sub-storage,
// and the summary names the target product, the patch code and the transform.
// With "-" for both packages the patch carries no transform: it changes
// nothing but is registered for the product (for installer libraries that
// cannot generate transforms, such as Wine's).
#include <windows.h>
// msi.h and msiquery.h need the types windows.h declares.
#include <msi.h>
#include <msiquery.h>

#include <cstdio>
#include <string>

namespace {

const LPCSTR kReadOnly = nullptr;
const LPCSTR kCreatePatch = reinterpret_cast<LPCSTR>(3 + 32);  // create, as a patch file
// Summary properties and their types.
constexpr UINT kTitle = 2, kTemplate = 7, kLastAuthor = 8, kRevision = 9, kWordCount = 15;
constexpr UINT kText = 30, kInteger = 3;

int Fail(const char* step, UINT code) {
  std::fprintf(stderr, "make_patch: %s failed (%u)\n", step, code);
  return 1;
}

int MakeTransform(const char* basePath, const char* upgradedPath, const std::string& transform) {
  MSIHANDLE base = 0;
  MSIHANDLE upgraded = 0;
  UINT r = MsiOpenDatabaseA(basePath, kReadOnly, &base);
  if (r != ERROR_SUCCESS) return Fail("open base", r);
  r = MsiOpenDatabaseA(upgradedPath, kReadOnly, &upgraded);
  if (r != ERROR_SUCCESS) return Fail("open upgraded", r);
  r = MsiDatabaseGenerateTransformA(upgraded, base, transform.c_str(), 0, 0);
  if (r != ERROR_SUCCESS) return Fail("generate transform", r);
  r = MsiCreateTransformSummaryInfoA(upgraded, base, transform.c_str(), 0, 0);
  if (r != ERROR_SUCCESS) return Fail("transform summary", r);
  MsiCloseHandle(upgraded);
  MsiCloseHandle(base);
  return 0;
}

int AddTransform(MSIHANDLE patch, const std::string& transform) {
  MSIHANDLE view = 0;
  UINT r = MsiDatabaseOpenViewA(patch, "SELECT `Name`, `Data` FROM `_Storages`", &view);
  if (r != ERROR_SUCCESS) return Fail("open _Storages", r);
  MsiViewExecute(view, 0);
  MSIHANDLE record = MsiCreateRecord(2);
  MsiRecordSetStringA(record, 1, "RTM1");
  r = MsiRecordSetStreamA(record, 2, transform.c_str());
  if (r == ERROR_SUCCESS) r = MsiViewModify(view, MSIMODIFY_INSERT, record);
  MsiCloseHandle(record);
  MsiViewClose(view);
  MsiCloseHandle(view);
  return r == ERROR_SUCCESS ? 0 : Fail("insert transform", r);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fputs("usage: make_patch BASE.msi UPGRADED.msi OUT.msp PRODUCT-CODE PATCH-CODE\n", stderr);
    return 2;
  }
  const std::string transform = std::string(argv[3]) + ".mst";
  const bool withTransform = std::string(argv[1]) != "-";
  if (withTransform) {
    if (int failed = MakeTransform(argv[1], argv[2], transform)) return failed;
  }
  MSIHANDLE patch = 0;
  UINT r = MsiOpenDatabaseA(argv[3], kCreatePatch, &patch);
  if (r != ERROR_SUCCESS) return Fail("create patch", r);
  if (withTransform) {
    if (int failed = AddTransform(patch, transform)) return failed;
  }
  MSIHANDLE info = 0;
  r = MsiGetSummaryInformationA(patch, nullptr, 8, &info);
  if (r != ERROR_SUCCESS) return Fail("summary", r);
  MsiSummaryInfoSetPropertyA(info, kTitle, kText, 0, nullptr, "Vantrell test patch");
  MsiSummaryInfoSetPropertyA(info, kTemplate, kText, 0, nullptr, argv[4]);
  MsiSummaryInfoSetPropertyA(info, kLastAuthor, kText, 0, nullptr, withTransform ? ":RTM1" : "");
  MsiSummaryInfoSetPropertyA(info, kRevision, kText, 0, nullptr, argv[5]);
  MsiSummaryInfoSetPropertyA(info, kWordCount, kInteger, 4, nullptr, nullptr);
  r = MsiSummaryInfoPersist(info);
  if (r != ERROR_SUCCESS) return Fail("persist summary", r);
  MsiCloseHandle(info);
  r = MsiDatabaseCommit(patch);
  if (r != ERROR_SUCCESS) return Fail("commit", r);
  MsiCloseHandle(patch);
  if (withTransform) DeleteFileA(transform.c_str());
  return 0;
}
