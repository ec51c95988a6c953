// A program for the program-running statements to start under Wine. Options,
// carried out in this order whatever their order on the command line:
//   --write FILE       write the raw command line, each argument, the current
//                      directory, the affinity masks and the --env
//                      variables into FILE
//   --env NAME         (with --write) report this environment variable
//   --window TITLE CLASS MARKER
//                      show a top-level window of that class and title; on a
//                      close request write the messages seen into MARKER and end
//   --linger MS        a window without a close request ends after this long
//                      (default 60000), with exit code 3
//   --sleep MS         sleep that long
//   --exit CODE        end with this exit code (default 0)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT_PTR kGiveUpTimer = 1;

std::string markerPath;
std::string messagesSeen;

void WriteText(const std::string& path, const std::string& text) {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CANCELMODE:
      messagesSeen += "cancelmode\n";
      break;
    case WM_CLOSE:
      messagesSeen += "close\n";
      WriteText(markerPath, messagesSeen);
      DestroyWindow(window);
      return 0;
    case WM_TIMER:
      if (wParam == kGiveUpTimer) {
        DestroyWindow(window);
        PostQuitMessage(3);
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int RunWindow(const std::string& title, const std::string& className, UINT lingerMs) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ProbeWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className.c_str();
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  if (RegisterClassA(&windowClass) == 0) return 2;
  HWND window =
      CreateWindowExA(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                      320, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 2;
  SetTimer(window, kGiveUpTimer, lingerMs, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

int main(int argc, char** argv) {
  std::string writePath, windowTitle, windowClass;
  std::vector<std::string> envNames;
  long sleepMs = 0;
  long exitCode = 0;
  long lingerMs = 60000;
  bool window = false;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const bool hasValue = i + 1 < argc;
    if (option == "--write" && hasValue) {
      writePath = argv[++i];
    } else if (option == "--env" && hasValue) {
      envNames.emplace_back(argv[++i]);
    } else if (option == "--sleep" && hasValue) {
      sleepMs = std::strtol(argv[++i], nullptr, 10);
    } else if (option == "--linger" && hasValue) {
      lingerMs = std::strtol(argv[++i], nullptr, 10);
    } else if (option == "--exit" && hasValue) {
      exitCode = std::strtol(argv[++i], nullptr, 10);
    } else if (option == "--window" && i + 3 < argc) {
      windowTitle = argv[++i];
      windowClass = argv[++i];
      markerPath = argv[++i];
      window = true;
    }
  }

  if (!writePath.empty()) {
    std::string text = "cmdline=" + std::string(GetCommandLineA()) + "\n";
    text += "argc=" + std::to_string(argc - 1) + "\n";
    for (int i = 1; i < argc; ++i) text += "arg" + std::to_string(i) + "=" + argv[i] + "\n";
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    text += "cwd=" + std::string(folder) + "\n";
    DWORD_PTR processMask = 0;
    DWORD_PTR systemMask = 0;
    GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask);
    text += "affinity=" + std::to_string(processMask) + "\n";
    text += "systemaffinity=" + std::to_string(systemMask) + "\n";
    for (const std::string& name : envNames) {
      char value[1024] = {};
      const DWORD n = GetEnvironmentVariableA(name.c_str(), value, sizeof(value));
      text += "env:" + name + "=" + (n == 0 ? std::string("<unset>") : std::string(value)) + "\n";
    }
    WriteText(writePath, text);
  }
  if (window) {
    const int code = RunWindow(windowTitle, windowClass, static_cast<UINT>(lingerMs));
    if (code != 0) return code;
  }
  if (sleepMs > 0) Sleep(static_cast<DWORD>(sleepMs));
  return static_cast<int>(exitCode);
}
