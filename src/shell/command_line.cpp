#include "shell/command_line.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "world/world.h"

namespace br {

const char kVersionText[] = "2015-05-01-1264 snapshot";

namespace {

enum class Arg { kNone, kValue };

// Applies one option; a false return means the value was unreadable and the option's
// "Bad arg" message is due.
using Apply = bool (*)(CommandLine&, const char* value, std::string& err);

struct Option {
  const char* name;
  Arg arg;
  Apply apply;
};

// "%d": leading blanks, a sign and at least one digit; the rest of the text is ignored.
bool read_int(const char* text, int& out) {
  if (!text) return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (end == text) return false;
  out = static_cast<int>(std::clamp<long>(v, INT_MIN, INT_MAX));
  return true;
}

// "%f", but a value that is not finite is not a number a player meant.
bool read_float(const char* text, float& out) {
  if (!text) return false;
  char* end = nullptr;
  float v = std::strtof(text, &end);
  if (end == text || !std::isfinite(v)) return false;
  out = v;
  return true;
}

constexpr float kMinLockFps = static_cast<float>(1.0 / kMaxFrameAdvance);  // 8 frames/s
constexpr float kMaxLockFps = 1000.0f;

// Integer options without a message take 0 for anything that is not a number.
int loose_int(const char* text) {
  int v = 0;
  return read_int(text, v) ? v : 0;
}

bool read_text(const char* text, std::string& out) {
  if (!text) return false;
  out = text;
  return true;
}

template <typename T>
bool set_text(std::optional<T>& field, const char* v) {
  std::string s;
  if (!read_text(v, s)) return false;
  field = s;
  return true;
}

const Option kOptions[] = {
    {"--fugly", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return c.fugly = true; }},
    {"--nosound", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return c.no_sound = true; }},
    {"--novertexarrays", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return c.no_vertex_arrays = true; }},
    {"--learn", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return c.learn = true; }},
    {"--nolearn", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return !(c.learn = false); }},
    {"--nommx", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return c.no_mmx = true; }},
    {"--debug", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return (c.debug_level = 1) != 0; }},
    {"--super-debug", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return (c.debug_level = 2) != 0; }},
    {"--practice", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return c.practice = true; }},
    {"--warp", Arg::kNone, [](CommandLine& c, const char*, std::string&) { return c.warp = true; }},
    {"--texture-detail", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       int n = 0;
       if (!read_int(v, n)) return false;
       c.texture_detail = std::clamp(n, 0, 4);
       c.ground_texture_detail = c.texture_detail;
       return true;
     }},
    {"--ground-texture-detail", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       int n = 0;
       if (!read_int(v, n)) return false;
       c.ground_texture_detail = std::clamp(n, 0, 4);
       return true;
     }},
    {"--roostfrequency", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       int n = 0;
       if (!read_int(v, n)) return false;
       c.roost_frequency = std::clamp(n, 0, 1000);
       return true;
     }},
    {"--erode", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       float f = 0;
       if (!read_float(v, f)) return false;
       c.erode = std::clamp(f, 0.0f, 100.0f);
       return true;
     }},
    {"--detail", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       float f = 0;
       if (!read_float(v, f)) return false;
       c.detail = f;
       return true;
     }},
    {"--max-detail-distance", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       float f = 0;
       if (!read_float(v, f)) return false;
       c.max_detail_distance = f;
       return true;
     }},
    {"--lod-scale", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       float f = 0;
       if (!read_float(v, f)) return false;
       c.lod_scale = std::clamp(f, 0.000001f, 1000000.0f);
       return true;
     }},
    {"--lod-bias", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       float f = 0;
       if (!read_float(v, f)) return false;
       c.lod_bias = f;
       return true;
     }},
    {"--lock-fps", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       float rate = 0;
       if (!read_float(v, rate)) return false;
       // A tiny rate would sleep for ages and then simulate thousands of steps in one frame:
       // no frame simulates more than the loop's own limit. 0 or less is off.
       c.lock_fps = rate > 0 ? std::clamp(rate, kMinLockFps, kMaxLockFps) : 0.0f;
       return true;
     }},
    {"--fake-lag", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       float ms = 0;
       if (!read_float(v, ms)) return false;
       c.fake_lag_seconds = std::clamp(ms * 0.001f, 0.0f, 1.0f);
       return true;
     }},
    {"--fake-loss", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       int n = 0;
       if (!read_int(v, n)) return false;
       c.fake_loss_percent = std::clamp(n, 0, 100);
       return true;
     }},
    {"--record-audio", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) { return read_text(v, c.record_audio); }},
    {"--record-video", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return c.record_video = true; }},
    {"--rotate-lineup", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       return (c.rotate_lineup = loose_int(v)), true;
     }},
    {"--editor", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return c.editor = true; }},
    {"--hidden-pause", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return !(c.pause_text_shown = false); }},
    {"--hidden-hud", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return !(c.hud_shown = false); }},
    {"--bikes", Arg::kValue,
     [](CommandLine&, const char*, std::string& err) {
       err += "--bikes doesn't do anything anymore\n";
       return true;
     }},
    {"--width", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) { return (c.width = loose_int(v)), true; }},
    {"--height", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) { return (c.height = loose_int(v)), true; }},
    {"--depth", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       return (c.colour_bits = loose_int(v)), true;
     }},
    {"--zdepth", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       return (c.depth_bits = loose_int(v)), true;
     }},
    {"--draw-fps", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) { return (c.draw_fps = loose_int(v)), true; }},
    {"--draw-time", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       return (c.draw_time = loose_int(v)), true;
     }},
    {"--draw-ping", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       return (c.draw_ping = loose_int(v)), true;
     }},
    {"--draw-render-stats", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       return (c.draw_render_stats = loose_int(v)), true;
     }},
    {"--accurate-skip", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return c.accurate_skip = true; }},
    {"--track", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) { return set_text(c.track, v); }},
    {"--connect", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       if (!set_text(c.connect, v)) return false;
       constexpr std::string_view kScheme = "bermrider:";
       if (c.connect->starts_with(kScheme)) c.connect->erase(0, kScheme.size());
       return true;
     }},
    {"--password", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) { return set_text(c.password, v); }},
    {"--chase-center", Arg::kValue,
     [](CommandLine& c, const char* v, std::string&) {
       float x = 0, y = 0, z = 0;
       if (!v || std::sscanf(v, "%f,%f,%f", &x, &y, &z) != 3) return false;
       if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return false;
       c.chase_center = {x, y, z};
       return true;
     }},
    {"--open-home", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return c.open_home = true; }},
    {"--glfinish", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return c.glfinish = true; }},
    {"--print-orientation", Arg::kNone,
     [](CommandLine& c, const char*, std::string&) { return c.print_orientation = true; }},
};

constexpr char kUsage[] =
    "Usage: bermrider [OPTION]... [DEMO-FILE]\n"
    "Ride a motocross bike over a deformable track; with DEMO-FILE, play back a recorded race.\n"
    "\n"
    "  --track NAME              start a race on the track directory NAME at once\n"
    "  --connect ADDRESS         race on the game server at ADDRESS\n"
    "  --password TEXT           password for the game server\n"
    "  --width N, --height N     window size in pixels\n"
    "  --nosound                 do not open the sound device\n"
    "  --record-audio FILE       write the mixed sound to FILE instead of playing it\n"
    "  --record-video            write every frame to standard output as a binary PPM\n"
    "  --lock-fps RATE           simulate exactly 1/RATE seconds per frame (8 to 1000)\n"
    "  --warp                    simulate 100 steps per frame, restart finished races\n"
    "  --texture-detail N        skip the N largest texture levels (0..4)\n"
    "  --ground-texture-detail N skip the N largest ground texture levels (0..4)\n"
    "  --detail X                terrain error scale\n"
    "  --max-detail-distance X   distance of full terrain detail, in feet\n"
    "  --lod-scale X, --lod-bias X  model level-of-detail scale and bias\n"
    "  --roostfrequency N        roost particles per 100 steps (0..1000)\n"
    "  --erode X                 terrain erosion amount (0..100, 0 is off)\n"
    "  --fake-lag MS, --fake-loss PERCENT  simulate a poor network\n"
    "  --learn, --nolearn        write the robots' learned lines back, or not\n"
    "  --practice                practice session\n"
    "  --editor                  enable the track editor view\n"
    "  --hidden-pause, --hidden-hud  hide the pause text or the HUD\n"
    "  --draw-fps N, --draw-time N, --draw-ping N, --draw-render-stats N  overlay lines\n"
    "  --chase-center X,Y,Z      point the free camera looks at, in the bike's frame\n"
    "  --depth N, --zdepth N     colour and depth-buffer bits of the window\n"
    "  --rotate-lineup N         line-up rotation used by the server screens\n"
    "  --accurate-skip           skip forward in playback by simulating every step\n"
    "  --glfinish                wait for the graphics driver every frame\n"
    "  --print-orientation       log the camera orientation of every frame\n"
    "  --fugly, --novertexarrays, --nommx  simpler drawing paths\n"
    "  --debug, --super-debug    more lines in the log\n"
    "  --open-home               open the home directory in the file browser and quit\n"
    "  --help, --version         print this text or the version and quit\n"
    "  --                        every later argument is the demo file\n";

}  // namespace

bool asks_for_help_or_version(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--") return false;
    if (a == "--help" || a == "--version") return true;
  }
  return false;
}

ParseOutcome parse_command_line(const std::vector<std::string>& args, CommandLine& cl,
                                std::string& out, std::string& err) {
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool matched = false;
    if (!options_ended) {
      if (arg == "--") {
        options_ended = true;
        continue;
      }
      if (arg == "--help") {
        out += kUsage;
        return ParseOutcome::kExitOk;
      }
      if (arg == "--version") {
        out += "Bermrider ";
        out += kVersionText;
        out += '\n';
        return ParseOutcome::kExitOk;
      }
      for (const Option& opt : kOptions) {
        const char* value = nullptr;
        if (arg == opt.name) {
          if (opt.arg == Arg::kValue && i + 1 < args.size()) value = args[++i].c_str();
        } else if (opt.arg == Arg::kValue && arg.starts_with(opt.name) &&
                   arg[std::strlen(opt.name)] == '=') {
          value = arg.c_str() + std::strlen(opt.name) + 1;
        } else {
          continue;
        }
        matched = true;
        if (!opt.apply(cl, value, err)) {
          err += "Bad arg for ";
          err += opt.name;
          err += '\n';
          return ParseOutcome::kExitBad;
        }
        break;
      }
      if (!matched && arg.starts_with("-")) {
        err += "bad option '" + arg + "'\n";
        return ParseOutcome::kExitBad;
      }
    }
    if (!matched) {
      if (cl.demo_file) {
        err += "Too many files!\n";
        return ParseOutcome::kExitBad;
      }
      cl.demo_file = arg;
    }
  }
  return ParseOutcome::kRun;
}

}  // namespace br
