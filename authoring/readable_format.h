// Reading and writing the readable project: a project file of settings and
// script files of statement blocks (documented with an example in FORMAT.md).
//
// Values (both files). After its marker ("=" or ">") a value is written
//   plain:   the text, with blanks and tabs at both ends dropped
//   quoted:  "|" text "|"  (after trimming), the bars removed, all else kept
// so a value with edge blanks, or one that itself starts and ends with "|",
// is quoted.
//
// Project file:
//   file   := { blank | comment | entry | part }
//   comment:= blanks? "#" anything
//   entry  := key blanks? "=" value      key: letters, digits and "-"
//   part   := blanks? ">" value          the entry's next value (pairs, triples)
// Script file (a UTF-8 byte order mark in front is skipped):
//   file      := { blank | comment | command | attribute | parameter }
//   command   := blanks? name [blanks "#" comment]; name does not start
//                with "#", ">", "@" or "|"; or "|" name "|"
//   attribute := blanks? "@" word [blanks value]   belongs to the statement above:
//                @off, @marker V, @id GUID, @header HEX, @media V, @component NAME,
//                @package-digest HEX16
//   parameter := blanks? ">" [pname ":"] value     the statement's next parameter, or
//                the one named pname in the command reference
#pragma once

#include <string>
#include <string_view>

#include "authoring/project.h"

namespace vantrell::authoring {

std::string ParseValue(std::string_view afterMarker);
// The written form, with one leading blank for the plain form ("" for empty).
std::string FormatValue(std::string_view value);

// Project file text; `name` is what messages show. Throws ProjectError.
Project ParseProjectText(std::string_view text, const std::string& name);
// Appends the statements of one script file. Throws ProjectError.
void ParseScriptText(std::string_view text, const std::string& name, const std::string& scriptKey,
                     std::vector<Statement>& statements);

// Reads the project file and each script file it names.
Project LoadProject(const std::filesystem::path& projectFile);

// The readable texts; statements are written with every identifier and header fixed.
std::string FormatProjectText(const Project& project);
std::string FormatScriptText(const std::vector<Statement>& statements);

}  // namespace vantrell::authoring
