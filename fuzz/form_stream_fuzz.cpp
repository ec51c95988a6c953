// Fuzzes the form stream reader, the text printer and parser and the writer:
// any bytes end in a tree or a FormStreamError, never a crash, a hang or an
// unbounded allocation, and every tree that reads writes back to itself.
// Seed it with the real form files: form_stream_fuzz CORPUS /work/shared/testdata/forms
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "dialogs/form_stream.h"
#include "dialogs/form_text.h"

namespace {

void CheckTree(const vantrell::FormComponent& root) {
  std::string stream = vantrell::WriteFormStream(root);
  if (!(vantrell::ReadFormStream(stream) == root)) std::abort();
  // A stream may hold names and identifiers that are no words of the text
  // form; what parses must print as a fixed point.
  try {
    std::string text =
        vantrell::PrintFormText(vantrell::ParseFormText(vantrell::PrintFormText(root)));
    if (vantrell::PrintFormText(vantrell::ParseFormText(text)) != text) std::abort();
  } catch (const vantrell::FormTextError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    if (!bytes.empty() && static_cast<uint8_t>(bytes[0]) == 0xFF) {
      CheckTree(vantrell::ReadFormResource(bytes).root);
    } else {
      CheckTree(vantrell::ReadFormStream(bytes));
    }
  } catch (const vantrell::FormStreamError&) {
  }
  vantrell::FormStreamReader skipper(bytes);
  try {
    skipper.ReadSignature();
    skipper.SkipComponent();
  } catch (const vantrell::FormStreamError&) {
  }
  try {
    vantrell::ParseFormText(bytes.substr(0, 65536));
  } catch (const vantrell::FormTextError&) {
  }
  return 0;
}
