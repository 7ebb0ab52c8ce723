// Model files (".jm"): every form, and what the game computes from a model once read.
#include "render/model.h"

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  br::ModelDecodeResult r = br::decode_model("fuzz.jm", {data, size});
  if (!r.model) return 0;
  br::compute_tangents(*r.model);
  br::chain_vertex_count(*r.model);
  br::choose_detail_variant(*r.model, 100.0f, 1.0f, 0.0f);
  return 0;
}
