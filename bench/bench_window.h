// A window with an OpenGL 2.1 context for the benchmarks that draw, presented without waiting
// for the screen. Needs a display.
#pragma once

#include <SDL.h>

#include <cstdio>

class BenchWindow {
 public:
  BenchWindow(int width, int height) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
      std::fprintf(stderr, "no display: %s\n", SDL_GetError());
      return;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    window_ = SDL_CreateWindow("bench", 0, 0, width, height, SDL_WINDOW_OPENGL);
    context_ = window_ ? SDL_GL_CreateContext(window_) : nullptr;
    if (!context_) {
      std::fprintf(stderr, "no OpenGL context: %s\n", SDL_GetError());
      return;
    }
    SDL_GL_SetSwapInterval(0);
  }
  ~BenchWindow() {
    if (context_) SDL_GL_DeleteContext(context_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
  }
  BenchWindow(const BenchWindow&) = delete;
  BenchWindow& operator=(const BenchWindow&) = delete;

  bool ok() const { return context_ != nullptr; }
  // The window at a new size; false when the drawable did not follow.
  bool resize(int width, int height) {
    SDL_SetWindowSize(window_, width, height);
    SDL_PumpEvents();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    return w == width && h == height;
  }
  void present() {
    SDL_GL_SwapWindow(window_);
    SDL_PumpEvents();
  }

 private:
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
};
