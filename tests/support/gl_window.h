// A hidden window with an OpenGL 2.1 context current, for the tests that draw. Tests skip
// themselves when it cannot be opened (no display, no context) and free what they put in the
// context before closing it.
#pragma once

#include <SDL.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace br_test {

class GlWindow {
 public:
  GlWindow() = default;
  GlWindow(const GlWindow&) = delete;
  GlWindow& operator=(const GlWindow&) = delete;
  ~GlWindow() { close(); }

  // False, with the reason in why(), when there is no display or no context.
  bool open(const char* title, int size_px, int depth_bits = 0) {
    if (!std::getenv("DISPLAY")) return refuse("no display");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return refuse("no display: " + std::string(SDL_GetError()));
    sdl_started_ = true;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    if (depth_bits > 0) SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth_bits);
    window_ =
        SDL_CreateWindow(title, 0, 0, size_px, size_px, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window_) context_ = SDL_GL_CreateContext(window_);
    if (!context_) return refuse("no OpenGL context: " + std::string(SDL_GetError()));
    return true;
  }
  bool is_open() const { return context_ != nullptr; }
  const std::string& why() const { return why_; }

  void close() {
    if (context_) SDL_GL_DeleteContext(context_);
    if (window_) SDL_DestroyWindow(window_);
    if (sdl_started_) SDL_Quit();
    context_ = nullptr;
    window_ = nullptr;
    sdl_started_ = false;
  }

 private:
  bool refuse(std::string why) {
    why_ = std::move(why);
    return false;
  }

  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  bool sdl_started_ = false;
  std::string why_;
};

}  // namespace br_test
