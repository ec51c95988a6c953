// A Windows program that starts and ends at once: the baseline against which
// tools/startup_bench.sh sets the engine's time to its first page.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return 0;
}
