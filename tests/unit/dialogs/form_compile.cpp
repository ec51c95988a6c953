// Writes a form file from a text form, for the end-to-end tests that show
// forms under Wine. Usage: form_compile TEXT-FORM FORM.dfm
// The resource name is the root's class name in upper case, as designers write it.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/ascii.h"
#include "dialogs/form_stream.h"
#include "dialogs/form_text.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: form_compile TEXT-FORM FORM.dfm\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  try {
    vantrell::FormResource resource;
    resource.root = vantrell::ParseFormText(text.str());
    resource.resourceName = vantrell::AsciiUpper(resource.root.className);
    std::ofstream out(argv[2], std::ios::binary);
    out << vantrell::WriteFormResource(resource);
    return out ? 0 : 1;
  } catch (const vantrell::FormTextError& e) {
    std::fprintf(stderr, "%s: line %d: %s\n", argv[1], e.Line(), e.what());
    return 1;
  }
}
