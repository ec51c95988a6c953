// Flash frames: the movie player control of a library, created through the
// library's class factory (it need not be registered) and activated in place
// in a frame's window, its movie given through automation ("Movie", then
// "Play"). A frame that plays nothing shows a text as its window text, which
// the form's painter draws.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace vantrell {

class FlashFrames {
 public:
  FlashFrames();
  FlashFrames(const FlashFrames&) = delete;
  FlashFrames& operator=(const FlashFrames&) = delete;
  ~FlashFrames();

  // Stops what the frame plays, then plays the movie with the player of the
  // library (full paths); shows the text instead when either path is empty
  // or the player fails. The library stays loaded while a frame plays.
  void Play(HWND frame, const std::string& library, const std::string& movie,
            const std::string& text);

 private:
  struct Player;
  std::vector<std::unique_ptr<Player>> players_;
};

}  // namespace vantrell
