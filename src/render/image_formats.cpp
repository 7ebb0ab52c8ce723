#include "render/image_formats.h"

#include <algorithm>
#include <cstring>

namespace br {
namespace {

bool sane_dimensions(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxImageDimension && height <= kMaxImageDimension;
}

uint8_t clamp_byte(int v) {
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Shared reader of the four netpbm forms; `components` is 3 (PPM) or 1 (PGM).
std::optional<Image> decode_netpbm(std::span<const uint8_t> bytes, int components, const char* kind,
                                   std::string* error) {
  TextReader r(bytes);
  std::string magic = r.token(15);
  char binary_magic[3] = {'P', components == 3 ? '6' : '5', 0};
  char ascii_magic[3] = {'P', components == 3 ? '3' : '2', 0};
  bool binary = magic == binary_magic;
  if (!binary && magic != ascii_magic) {
    *error = std::string("Can't parse ") + kind + " header";
    return std::nullopt;
  }
  r.skip_space_and_comments();
  auto width = r.integer();
  r.skip_space_and_comments();
  auto height = r.integer();
  if (!width || !height || !sane_dimensions(*width, *height)) {
    *error = std::string("Can't get ") + kind + " dimensions";
    return std::nullopt;
  }
  r.skip_space_and_comments();
  auto maximum = r.integer();
  // A maximum of 0 would divide by zero; netpbm allows at most 65535.
  if (!maximum || *maximum < 1 || *maximum > 65535) {
    *error = std::string("Can't parse ") + kind + " header";
    return std::nullopt;
  }
  const size_t samples = static_cast<size_t>(*width) * *height * components;
  // Every sample takes at least one byte in either form: a header that claims more than the
  // file can hold is refused before anything is allocated.
  if (r.remaining() < samples) {
    *error = std::string("Truncated ") + kind + " data";
    return std::nullopt;
  }
  Image image = make_image(static_cast<int>(*width), static_cast<int>(*height), components);
  const int64_t max = *maximum;
  if (binary) {
    if (!r.one_space()) {
      *error = std::string("Can't parse ") + kind + " header";
      return std::nullopt;
    }
    // Maxima above 255 store two bytes per sample, most significant first.
    size_t sample_bytes = max > 255 ? 2 : 1;
    std::span<const uint8_t> body = r.rest();
    if (body.size() / sample_bytes < samples) {
      *error = std::string("Truncated ") + kind + " data";
      return std::nullopt;
    }
    for (size_t i = 0; i < samples; ++i) {
      int64_t v = sample_bytes == 2 ? body[2 * i] * 256 + body[2 * i + 1] : body[i];
      image.pixels[i] = clamp_byte(static_cast<int>(v * 255 / max));
    }
    return image;
  }
  for (size_t i = 0; i < samples; ++i) {
    r.skip_space_and_comments();
    auto v = r.integer();
    if (!v) {
      *error = std::string("Truncated ") + kind + " data";
      return std::nullopt;
    }
    image.pixels[i] = clamp_byte(static_cast<int>(std::clamp<int64_t>(*v, 0, max) * 255 / max));
  }
  return image;
}

}  // namespace

ImageFormat detect_image_format(std::span<const uint8_t> bytes) {
  TextReader r(bytes);
  std::string magic = r.token(15);
  if (magic == "J7") return ImageFormat::kJ7;
  if (magic == "J6") return ImageFormat::kJ6;
  if (magic == "P6" || magic == "P3") return ImageFormat::kPpm;
  if (magic == "P5" || magic == "P2") return ImageFormat::kPgm;
  if (magic == "ANIM1") return ImageFormat::kAnimation;
  if (magic == "LINK") return ImageFormat::kLink;
  return ImageFormat::kPng;
}

const char* image_format_name(ImageFormat format) {
  switch (format) {
    case ImageFormat::kJ7:
      return "J7";
    case ImageFormat::kJ6:
      return "J6";
    case ImageFormat::kPpm:
      return "PPM";
    case ImageFormat::kPgm:
      return "PGM";
    case ImageFormat::kAnimation:
      return "ANIM1";
    case ImageFormat::kLink:
      return "LINK";
    case ImageFormat::kPng:
      return "PNG";
  }
  return "?";
}

std::optional<Image> decode_predictive(TextReader& r, int components, std::string* error) {
  const char* kind = components == 4 ? "J7" : "J6";
  r.skip_space_and_comments();
  auto width = r.integer();
  r.skip_space_and_comments();
  auto height = r.integer();
  if (!width || !height || !sane_dimensions(*width, *height) || !r.one_space()) {
    *error = std::string("Can't parse ") + kind + " header";
    return std::nullopt;
  }
  const int w = static_cast<int>(*width), h = static_cast<int>(*height);
  if (r.remaining() / components / w < static_cast<size_t>(h)) {
    *error = std::string("Truncated ") + kind + " data";
    return std::nullopt;
  }
  Image image = make_image(w, h, components);
  std::span<const uint8_t> body = r.rest();
  // Predictions run on four components even for J6, two rows at a time.
  std::vector<uint8_t> above(static_cast<size_t>(w) * 4, 0), row(static_cast<size_t>(w) * 4, 0);
  size_t in = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int c = 0; c < 4; ++c) {
        int predicted;
        if (y == 0) {
          predicted = x == 0 ? 0 : row[(x - 1) * 4 + c];
        } else if (x == 0) {
          predicted = above[c];
        } else {
          predicted = clamp_byte(row[(x - 1) * 4 + c] + above[x * 4 + c] - above[(x - 1) * 4 + c]);
        }
        uint8_t stored = c < components ? body[in + c] : 0;
        row[x * 4 + c] = static_cast<uint8_t>(predicted + stored);
      }
      std::memcpy(&image.pixels[(static_cast<size_t>(y) * w + x) * components], &row[x * 4],
                  components);
      in += components;
    }
    std::swap(row, above);
  }
  r.advance(in);
  return image;
}

std::optional<Image> decode_j6_j7(std::span<const uint8_t> bytes, std::string* error) {
  TextReader r(bytes);
  std::string magic = r.token(15);
  if (magic != "J6" && magic != "J7") {
    *error = "Not a J6 or J7 image";
    return std::nullopt;
  }
  return decode_predictive(r, magic == "J7" ? 4 : 3, error);
}

std::optional<Image> decode_ppm(std::span<const uint8_t> bytes, std::string* error) {
  return decode_netpbm(bytes, 3, "PPM", error);
}

std::optional<Image> decode_pgm(std::span<const uint8_t> bytes, std::string* error) {
  return decode_netpbm(bytes, 1, "PGM", error);
}

std::optional<std::string> decode_link(std::span<const uint8_t> bytes) {
  TextReader r(bytes);
  if (r.token(15) != "LINK") return std::nullopt;
  std::span<const uint8_t> rest = r.rest();
  std::string text(rest.begin(), rest.begin() + std::min<size_t>(rest.size(), 1023));
  size_t first = 0, last = text.size();
  while (first < last && is_space_byte(text[first])) ++first;
  while (last > first && is_space_byte(text[last - 1])) --last;
  if (first == last) return std::nullopt;
  return text.substr(first, last - first);
}

}  // namespace br
