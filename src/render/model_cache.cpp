#include "render/model_cache.h"

#include <strings.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/log.h"
#include "render/jm_format.h"
#include "render/render_files.h"

namespace br {
namespace {

// Models loaded before the first track stay for the whole run; later ones belong to the
// tracks and bikes that ask for them.
constexpr int kRunGeneration = 0;

struct CachedModel {
  std::unique_ptr<Model> model;
  int generation = kRunGeneration;  // the latest track generation that asked for it
  bool for_the_run = false;
};

struct ModelCache {
  std::vector<CachedModel> models;
  int load_counter = 0;
  const ModelBackend* backend = nullptr;
  int generation = kRunGeneration;
};

ModelCache& cache() {
  static ModelCache c = [] {
    ModelCache fresh;
    fresh.models.reserve(16);
    return fresh;
  }();
  return c;
}

std::string message(const char* format, const std::string& name) {
  char text[1200];
  std::snprintf(text, sizeof text, format, name.c_str());
  return text;
}

void for_each_mesh(Model& model, void (*f)(Model&)) {
  for (Model* variant = &model; variant; variant = variant->coarser.get()) {
    for (Model* m = variant; m; m = m->next.get()) f(*m);
  }
}

ModelDecodeResult decode_named(const std::string& name) {
  auto bytes = read_data_file(name);
  if (!bytes) {
    ModelDecodeResult r;
    r.error = message("Can't open %.900s", name);
    return r;
  }
  return decode_model(name, *bytes);
}

}  // namespace

void set_model_backend(const ModelBackend* backend) {
  cache().backend = backend;
}

namespace {

// Beyond this a variant's distance factor 2^N is no distance a camera ever reaches.
constexpr double kMaxDetailExponent = 64;

// The N of "<stem>_lod<N><extension>" (or the extension and ".gz"): plain decimal digits with
// an optional fraction, small enough that 2^N is a distance. Anything else, "nan", "inf" and
// exponents included, or a file of another type, is no variant.
std::optional<double> detail_number(std::string_view rest, std::string_view extension) {
  size_t digits = 0;
  while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits]))) ++digits;
  if (digits == 0) return std::nullopt;
  size_t end = digits;
  if (end + 1 < rest.size() && rest[end] == '.' &&
      std::isdigit(static_cast<unsigned char>(rest[end + 1]))) {
    ++end;
    while (end < rest.size() && std::isdigit(static_cast<unsigned char>(rest[end]))) ++end;
  }
  std::string_view suffix = rest.substr(end);
  auto same = [](std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
  };
  std::string compressed = std::string(extension) + ".gz";
  if (!same(suffix, extension) && !same(suffix, compressed)) return std::nullopt;
  double n = std::strtod(std::string(rest.substr(0, end)).c_str(), nullptr);
  if (!(n <= kMaxDetailExponent)) return std::nullopt;
  return n;
}

}  // namespace

void attach_detail_variants(Model& model, std::vector<std::string>* warnings) {
  if (model.name.empty() || model.name[0] != '@') return;
  std::string stem = model.name.substr(1);
  std::string extension;
  size_t dot = stem.rfind('.');
  if (dot != std::string::npos && stem.find('/', dot) == std::string::npos) {
    extension = stem.substr(dot);
    stem.resize(dot);
  }
  stem += kJmDetailSuffix;
  for (const std::string& file : data_file_names()) {
    if (file.size() <= stem.size() || strncasecmp(file.c_str(), stem.c_str(), stem.size()))
      continue;
    auto n = detail_number(std::string_view(file).substr(stem.size()), extension);
    if (!n) continue;
    std::string name = "@" + file;
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0)
      name.resize(name.size() - 3);
    bool known = false;
    for (Model* v = model.coarser.get(); v; v = v->coarser.get()) known |= v->name == name;
    if (known) continue;
    ModelDecodeResult variant = decode_named(name);
    if (!variant.model) {
      warnings->push_back(message("Warning: Can't load %.900s", name));
      continue;
    }
    for (std::string& w : variant.warnings) warnings->push_back(std::move(w));
    variant.model->detail_factor = static_cast<float>(std::pow(2.0, *n));
    std::unique_ptr<Model>* slot = &model.coarser;
    while (*slot && (*slot)->detail_factor <= variant.model->detail_factor)
      slot = &(*slot)->coarser;
    variant.model->coarser = std::move(*slot);
    *slot = std::move(variant.model);
  }
}

ModelDecodeResult read_model_file(const std::string& name) {
  ModelDecodeResult result = decode_named(name);
  if (result.model) attach_detail_variants(*result.model, &result.warnings);
  return result;
}

Model* model_load(const std::string& name) {
  ModelCache& c = cache();
  ++c.load_counter;
  for (CachedModel& m : c.models) {
    if (m.model->name == name) {
      m.model->last_request = c.load_counter;
      m.generation = c.generation;
      return m.model.get();
    }
  }
  for (CachedModel& m : c.models) {
    if (strcasecmp(m.model->name.c_str(), name.c_str()) == 0) {
      render_message(message("Warning: case mismatch on '%.900s'", name));
      m.model->last_request = c.load_counter;
      m.generation = c.generation;
      return m.model.get();
    }
  }
  ModelDecodeResult result = read_model_file(name);
  for (const std::string& w : result.warnings) render_message(w);
  if (!result.model) {
    kota::log_printf("%s\n", result.error.c_str());
    return nullptr;
  }
  result.model->last_request = c.load_counter;
  if (c.backend) for_each_mesh(*result.model, c.backend->prepare);
  c.models.push_back({std::move(result.model), c.generation, c.generation == kRunGeneration});
  return c.models.back().model.get();
}

void model_begin_generation() {
  cache().generation += 1;
}

void model_delete_unused() {
  ModelCache& c = cache();
  std::erase_if(c.models, [&c](CachedModel& m) {
    if (m.for_the_run || m.generation == c.generation) return false;
    kota::log_printf("deleting model %.900s\n", m.model->name.c_str());
    if (c.backend) for_each_mesh(*m.model, c.backend->release);
    return true;
  });
}

void model_delete_all() {
  ModelCache& c = cache();
  for (CachedModel& m : c.models) {
    kota::log_printf("deleting model %.900s\n", m.model->name.c_str());
    if (c.backend) for_each_mesh(*m.model, c.backend->release);
  }
  c.models.clear();
  c.generation = kRunGeneration;
}

int model_cache_size() {
  return static_cast<int>(cache().models.size());
}

}  // namespace br
