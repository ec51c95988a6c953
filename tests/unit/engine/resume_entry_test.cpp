// The resume entry that "Reboot and Resume" writes, across the restart: the
// next start's bootstrap deletes exactly that entry.
#include <gtest/gtest.h>

#include "engine/bootstrap.h"
#include "twins/fake_system.h"
#include "twins/memory_file_system.h"
#include "twins/reboot_twins.h"

namespace vantrell {
namespace {

using testing::FakeSystem;
using testing::MemoryFileSystem;
using testing::RebootStatementTest;
using testing::ScriptBuilder;

// The next start of a setup with the same product code deletes exactly the entry written.
TEST_F(RebootStatementTest, NextStartDeletesTheEntryWritten) {
  for (const char* allUsers : {"TRUE", "FALSE"}) {
    SetupScript script = ScriptBuilder().Add("Comment").Build();
    MemoryFileSystem files;
    FakeSystem system;
    RunScriptContext context{script, "C:\\Temp\\zeb1\\setup.msi", "D:\\Media\\", files};
    context.exePath = "D:\\Media\\setup.exe";
    context.system = &system;
    context.installer = &system;
    DefineRunVariables(context, vars);
    RunBootstrap(context, vars);
    DefineInitialisationVariables(context, vars, host);

    store.entries.clear();
    vars.PutVariable("ALLUSERS", allUsers);
    Run("Reboot and Resume");
    ASSERT_EQ(store.entries.size(), 1u);
    std::string written = store.entries.begin()->first;

    DefineInitialisationVariables(context, vars, host);
    bool deleted = false;
    for (std::string key : system.deleted) {
      // Both spellings of the key name the same key.
      const size_t cut = key.find("\\|");
      if (cut != std::string::npos) key.erase(cut, 1);
      deleted = deleted || key == written;
    }
    EXPECT_TRUE(deleted) << written;
  }
}

}  // namespace
}  // namespace vantrell
