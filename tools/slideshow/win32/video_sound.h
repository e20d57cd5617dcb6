// A video's sound, when the user has turned it on: the file's first audio stream, decoded by a
// source reader of its own to 16-bit PCM, brought to the user's volume and played through the
// system's wave output, which Windows runs over its audio engine (WASAPI). It runs on a thread of
// its own from the moment the video's slide is shown, and loops with a video that loops. Where
// the file has no sound or the machine no output, the video plays silent.
#pragma once

#include <string>

#include "platform/win32/windows_api.h"

namespace saverkit::slideshow::win32 {

class VideoSound {
 public:
  VideoSound() = default;
  ~VideoSound();
  VideoSound(const VideoSound&) = delete;
  VideoSound& operator=(const VideoSound&) = delete;

  // Opens the file's sound, ready to play; false when there is nothing to play.
  bool open(const std::string& path, int volume, bool loops);
  // Plays from the start, beside the caller.
  void start();

  struct State;

 private:
  static DWORD WINAPI run(void* parameter);

  State* state_ = nullptr;
  HANDLE thread_ = nullptr;
};

}  // namespace saverkit::slideshow::win32
