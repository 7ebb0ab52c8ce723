// The model cache: every model loaded once by name, with its level-of-detail variants found
// among the data files. Display lists and drawing belong to a backend the renderer installs.
#pragma once

#include <string>

#include "render/model.h"

namespace br {

struct ModelBackend {
  void (*prepare)(Model& mesh);  // each mesh of a newly loaded chain and of its variants
  void (*release)(Model& mesh);  // each mesh, before the cache forgets it
};
// nullptr: no graphics (headless runs and tools).
void set_model_backend(const ModelBackend* backend);

// The cached or newly loaded model, or nullptr. Borrowed until model_delete_all, or until
// model_delete_unused when no track or bike has asked for it since the latest track began.
Model* model_load(const std::string& name);
void model_delete_all();
// A track begins to load: the models asked for from now on belong to it. model_delete_unused
// then deletes those only earlier tracks asked for; models loaded before the first track stay
// for the whole run.
void model_begin_generation();
void model_delete_unused();
int model_cache_size();

// Reads a model file with its variants, outside the cache (the checking tool, tests).
ModelDecodeResult read_model_file(const std::string& name);

// Variants of a data model: the data files named like it up to its extension, followed by
// "_lod" and a number N; linked coarsest last, with distance factors 2^N. Warnings for
// variants that cannot be read go to `warnings`.
void attach_detail_variants(Model& model, std::vector<std::string>* warnings);

}  // namespace br
