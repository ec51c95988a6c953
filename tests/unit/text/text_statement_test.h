// The text statements' fixture: the shared statement fixture over the text
// system twin, with the NEWLINE that every run predefines. The run is not
// silent, so the wait loops take steps instead of joining their worker.
#pragma once

#include "text/text_statements.h"
#include "twins/memory_text_system.h"
#include "twins/statement_test.h"

namespace vantrell::testing {

class TextStatementTest : public StatementTest {
 protected:
  void SetUp() override {
    vars.PutVariable("NEWLINE", "\r\n");  // predefined in every run
    Register();
  }

  // Again after a test changes the options.
  void Register() { RegisterTextStatements(table, system, options); }

  MemoryTextSystem system;
  TextStatementOptions options;
};

}  // namespace vantrell::testing
