// Twins of the resume entry's registry and of the system restart that record
// what happened in order, and the fixture that runs the restart statements
// with them: the statements' own tests and the engine's start-up round trip.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "script/run_identity.h"
#include "system/reboot_statements.h"
#include "twins/fake_system.h"
#include "twins/statement_test.h"

namespace vantrell::testing {

constexpr const char* kProduct = "{11111111-2222-3333-4444-555555555555}";  // ScriptBuilder's

// What happened, in order, across the registry and the restart.
using Events = std::vector<std::string>;

class EntryStore final : public RegistrationStore {
 public:
  explicit EntryStore(Events& events) : events_(events) {}
  bool WriteString(RegistryRoot root, const std::string& key, const std::string& value,
                   const std::string& data) override {
    events_.push_back("write");
    if (fail) return false;
    entries[FakeSystem::Key(root, key, value)] = data;
    return true;
  }
  bool DeleteKey(RegistryRoot, const std::string&) override { return false; }

  bool fail = false;
  std::map<std::string, std::string> entries;  // FakeSystem's key form -> data

 private:
  Events& events_;
};

class RestartTwin final : public SystemRestart {
 public:
  explicit RestartTwin(Events& events) : events_(events) {}
  bool RequestRestart() override {
    events_.push_back("restart");
    return granted;
  }
  bool granted = true;

 private:
  Events& events_;
};

// The restart statements registered over the twins, in a run of kProduct
// started from a temporary engine.
class RebootStatementTest : public StatementTest {
 protected:
  void SetUp() override {
    RegisterRebootStatements(table, services);
    CurrentRun().productCode = kProduct;
    CurrentRun().exePath = "C:\\Temp\\zeb1\\setup.exe";
    vars.PutVariable("CMDLINE", "/s ROOM=12");
    vars.PutVariable("ALLUSERS", "FALSE");
  }

  Events events;
  EntryStore store{events};
  RestartTwin restart{events};
  RebootServices services{store, restart, {}};
};

}  // namespace vantrell::testing
