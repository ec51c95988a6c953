// The 64-bit file-system bracket: while an FsRedirectionOff lives, the
// emulation layer's file-system redirection is off for the calling thread,
// when the engine runs as a 32-bit process on 64-bit Windows and the target
// platform is not "Win32". The system calls are looked up at run time; where
// they are missing nothing is switched.
#pragma once

namespace vantrell {

// True when the engine runs as a 32-bit process on 64-bit Windows.
bool RunningUnderWow64();

class FsRedirectionOff {
 public:
  FsRedirectionOff();
  ~FsRedirectionOff();
  FsRedirectionOff(const FsRedirectionOff&) = delete;
  FsRedirectionOff& operator=(const FsRedirectionOff&) = delete;

  // True while redirection is switched off by this bracket.
  bool Active() const { return active_; }

 private:
  void* oldValue_ = nullptr;
  bool active_ = false;
};

}  // namespace vantrell
