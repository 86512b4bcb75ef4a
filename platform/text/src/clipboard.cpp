#include "clipboard.h"

#include <SDL.h>

namespace zv::text {

// The windows live on SDL's video connection; its clipboard is the display's.
// Without that connection there are no windows to copy from either.
bool SetClipboardText(const std::string& utf8) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  return SDL_SetClipboardText(utf8.c_str()) == 0;
}

}  // namespace zv::text
