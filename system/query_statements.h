// The system query statements: settings, OS level, folders, disk space,
// processes, services, file existence and file versions, each answering from
// SystemQueries and storing its answer in the script's result variable.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "script/statements.h"
#include "system/system_queries.h"

namespace vantrell {

// The answer to "Get System Settings" number `setting` (empty above 77 or below 0).
std::string SystemSettingText(SystemQueries& queries, int32_t setting);
// "Get OS or SP Level" for the version: the system name, or the service pack number.
std::string OsLevelText(const OsVersionInfo& version, bool systemName);
// The service pack number named by the text: the largest of 10 down to 1 that occurs, else 0.
uint32_t ServicePackNumber(std::string_view text);
// The folder of "Get Folder Location" with a trailing "\" (empty when unknown).
std::string FolderLocationText(SystemQueries& queries, int32_t number, bool common);
// Up to four "."-separated integers; missing fields and fields that are not
// integers count as 0.
std::array<uint32_t, 4> VersionTextFields(std::string_view text);
std::string FileVersionText(const FileVersionNumbers& version);

void ExecuteGetSystemSettings(StatementContext& s, SystemQueries& queries);
void ExecuteGetOsLevel(StatementContext& s, SystemQueries& queries);
void ExecuteGetFolderLocation(StatementContext& s, SystemQueries& queries);
void ExecuteCheckDiskSpace(StatementContext& s, SystemQueries& queries);
void ExecuteCheckProcess(StatementContext& s, SystemQueries& queries);
void ExecuteCheckService(StatementContext& s, SystemQueries& queries);
void ExecuteFileFolderExists(StatementContext& s, SystemQueries& queries);
void ExecuteGetFileVersion(StatementContext& s, SystemQueries& queries);
void ExecuteCheckFileVersion(StatementContext& s, SystemQueries& queries);

// The web server's anonymous account for setting 59, asked as the web server
// statements ask it; unset: the queries answer.
using AnonymousUserQuery = std::function<std::string(StatementContext&)>;

void ExecuteGetSystemSettings(StatementContext& s, SystemQueries& queries,
                              const AnonymousUserQuery& anonymousUser);

// The queries must outlive the registrations.
void RegisterQueryStatements(StatementTable& table, SystemQueries& queries,
                             AnonymousUserQuery anonymousUser = {});

}  // namespace vantrell
