// The package side of install-type statements. Each such statement owns a
// part of the installer package: a component conditioned on "A" + header =
// "TRUE", placed in the directory, and holding the values, that the engine
// hands over at run time as "P" + header + "_n" properties. The tool makes
// those rows from the statement's own lines, so authors never write headers
// into the package by hand.
//
// Tables travel as the installer's text archive form (one table per text:
// column names, column types, table name and keys, then one row per line,
// fields separated by tabs), which the package tools export and import.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/assemble.h"
#include "authoring/carried_script.h"
#include "authoring/project.h"

namespace vantrell::authoring {

struct PackageTable {
  std::string name;
  std::vector<std::string> columns;
  std::vector<std::string> types;
  std::vector<std::string> keys;
  std::vector<std::vector<std::string>> rows;  // fields in archive encoding

  // The column's position; -1 when the table has no such column.
  int Column(std::string_view column) const;
  // Appends a row from column values (raw text); other columns stay empty.
  void Add(const std::map<std::string, std::string>& values);
};

// Throws ProjectError naming `source` when the text is no table archive.
PackageTable ParseTableArchive(std::string_view text, const std::string& source);
std::string WriteTableArchive(const PackageTable& table);
// An empty table of one of the tables the tool writes to.
PackageTable EmptyTable(std::string_view name);
// The tables the tool may read or change.
const std::vector<std::string>& PackageTableNames();

struct CabinetFile {
  std::string key;  // the File row's key: the name inside the cabinet
  std::filesystem::path source;
};

struct PackagePlan {
  std::map<std::string, PackageTable> tables;  // whole tables to import
  std::vector<CabinetFile> cabinet;            // in sequence order; empty: no cabinet
  std::string cabinetStream;                   // the stream the cabinet is stored as
  std::vector<Warning> warnings;
  bool Empty() const { return tables.empty() && cabinet.empty(); }
};

// The sizes of the components that "Install Files" statements name with
// @component: the sum of their files' sizes, appended to the project's
// component sizes for every component that has no size given there.
// Throws ProjectError for files that are missing, as the package build does.
void AddComputedComponentSizes(Project& project);

// The edits the package needs for the project's install-type statements (the
// headers come from the assembled script), given the package's existing
// tables among PackageTableNames(). Files in the package's own cabinets are
// marked compressed, because the engine declares the package's source
// uncompressed. Throws ProjectError at the statement for a line the package
// cannot carry (a missing source file, an unknown root or value kind).
PackagePlan PlanPackage(const Project& project, const CarriedScript& script,
                        const std::map<std::string, PackageTable>& existing);

// "SHORT~1.EXT|Long Name.ext", or the name alone when it is a short name
// already; `used` holds the short names taken in the same folder.
std::string ShortLongName(const std::string& name, std::vector<std::string>& used);

}  // namespace vantrell::authoring
