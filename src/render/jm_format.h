// The text model file (".jm"), shared by the data kit that writes it and the game that reads
// it. Numbers are separated by white space:
//   "JM1"                      a plain model, or
//   "JM2 <bones> <skeleton>"   a skinned one; a file without the magic is the oldest form, one
//                              bare mesh that starts directly with its two counts.
// Then per mesh the header: shininess, alpha, red, green, blue, vertex count, triangle count
// (the oldest form has only the counts); per vertex position (feet), normal, texture u and v,
// followed in JM2 by one weight per bone; per triangle three vertex indices.
#pragma once

#include <cstddef>

namespace br {

constexpr char kJmMagicPrefix[] = "JM";  // followed by the version digit
constexpr int kJmPlainVersion = 1;
constexpr int kJmSkinnedVersion = 2;

constexpr int kJmMeshHeaderFloats = 5;  // shininess, alpha, red, green, blue
constexpr int kJmVertexFloats = 8;      // position x y z, normal x y z, texture u v
constexpr int kJmTriangleCorners = 3;

// Shininess exactly this marks an environment-mapped mesh; only negative shininess lets the
// mesh's alpha through, every other mesh is opaque.
constexpr float kJmEnvironmentShininess = -1.0f;

// The longest magic or skeleton name a reader takes, in characters.
constexpr size_t kJmMaxWordLength = 1023;

// A coarser variant of "<stem>.jm" is a model file "<stem>_lod<N>.jm", N a decimal number: the
// game draws it instead once the model is 2^N feet from the eye at the default detail settings.
constexpr char kJmDetailSuffix[] = "_lod";

// The file counts texture v from the picture's bottom row; the same flip turns it back.
constexpr float jm_flip_v(float v) {
  return 1.0f - v;
}

}  // namespace br
