// The state a run starts from: progress variables and the pre-set target
// values, the bootstrap (product identity from instance.dat or the script,
// engine cache, default target folder, data folder, NEEDSUPGRADE, MAINTENANCE
// with the saved state of an installed product, NEWINSTANCE), the
// initialisation variables, the patch-run state, resume entries, statement
// headers and the command-line assignments that win over everything. Also
// the values refreshed before every statement.
#pragma once

#include <functional>

#include "engine/run_session.h"

namespace vantrell {

// Progress variables, TARGETDIR, STARTMENU and ALLUSERS.
void DefineRunVariables(const RunScriptContext& context, TVariableManager& vars);

// The bootstrap; run again when the engine cache is relocated.
void RunBootstrap(const RunScriptContext& context, TVariableManager& vars);

// Everything between the run's start trace and its first statement; false
// when the run ends before it (the language selection was cancelled).
bool DefineInitialisationVariables(const RunScriptContext& context, TVariableManager& vars,
                                   InterpreterHost& host);

// UNINSTALLLINK and ENGINECACHE, recomputed before every statement; and the
// engine cache relocation when OVERRIDECACHE names a new folder.
void RefreshEngineCacheVariables(const RunScriptContext& context, TVariableManager& vars);

// When OVERRIDECACHE names a new folder: prepare it, run the bootstrap again
// under it and remember it in last; a folder that cannot be made clears
// OVERRIDECACHE instead.
void RelocateEngineCache(const RunScriptContext& context, TVariableManager& vars,
                         std::string& last);

// Saves the kept variables and selections in the engine cache after a run.
void SaveEngineCache(const RunScriptContext& context, TVariableManager& vars);
// The start-up choice of the setup language from the support folder's
// translation files, published in LANGUAGE. An interactive first run of a
// setup that asks shows the language dialog; false when it was cancelled.
bool SelectLanguageAtStart(const RunScriptContext& context, TVariableManager& vars);

// Before every statement: loads the files of LANGUAGE's language when it
// changed, with the language's shared engine texts.
void RefreshTranslations(const RunScriptContext& context, TVariableManager& vars);

}  // namespace vantrell
