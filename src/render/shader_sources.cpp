// The programs' texts. The model programs share one vertex stage and one lighting function;
// the variants differ only in which maps they read.
#include <string>

#include "render/shaders.h"

namespace br {
namespace {

const char* const kHeader = "#define MAX_BONE 10\n";

// Skinning, eye-space normal and tangent, and the sun's colours for the lit programs.
const char* const kModelVertex = R"(
uniform int nbones;
uniform vec3 bone_c[MAX_BONE];
uniform vec3 bone_t[MAX_BONE];
uniform mat3 bone_r[MAX_BONE];
varying vec3 normal;
varying vec3 tangent;
varying vec3 eye_pos;
varying vec4 diffuse;
varying vec4 ambient;

void add_bone(float w, float index, vec3 p, vec3 n, vec3 t,
              inout vec3 sp, inout vec3 sn, inout vec3 st) {
  if (w <= 0.0) return;
  int b = int(index + 0.5);
  mat3 r = bone_r[b];
  sp += w * (r * (p - bone_c[b]) + bone_t[b]);
  sn += w * (r * n);
  st += w * (r * t);
}

void main() {
  vec4 p = gl_Vertex;
  vec3 n = gl_Normal;
  vec3 t = gl_MultiTexCoord1.xyz;
  if (nbones > 0) {
    vec3 sp = vec3(0.0), sn = vec3(0.0), st = vec3(0.0);
    vec4 w = gl_MultiTexCoord2, b = gl_MultiTexCoord3;
    add_bone(w.x, b.x, p.xyz, n, t, sp, sn, st);
    add_bone(w.y, b.y, p.xyz, n, t, sp, sn, st);
    add_bone(w.z, b.z, p.xyz, n, t, sp, sn, st);
    add_bone(w.w, b.w, p.xyz, n, t, sp, sn, st);
    p = vec4(sp, 1.0);
    n = sn;
    t = st;
  }
  normal = normalize(gl_NormalMatrix * n);
  tangent = gl_NormalMatrix * t;
  eye_pos = vec3(gl_ModelViewMatrix * p);
  gl_Position = gl_ModelViewProjectionMatrix * p;
  gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;
  gl_FrontColor = gl_Color;
  diffuse = gl_FrontMaterial.diffuse * gl_LightSource[0].diffuse;
  ambient = gl_FrontMaterial.ambient * gl_LightSource[0].ambient +
            gl_LightModel.ambient * gl_FrontMaterial.ambient;
  ambient.a = min(ambient.a, 1.0);
}
)";

// Exponential fog from the fragment's eye depth.
const char* const kFog = R"(
vec3 fogged(vec3 colour) {
  float z = gl_FragCoord.z / gl_FragCoord.w;
  float f = clamp(exp2(-1.4426950408889634 * gl_Fog.density * z), 0.0, 1.0);
  return mix(gl_Fog.color.rgb, colour, f);
}
)";

const char* const kModelVaryings = R"(
uniform sampler2D tex;
uniform sampler2D nmap;
uniform sampler2D smap;
uniform mat3 envmat;
varying vec3 normal;
varying vec3 tangent;
varying vec3 eye_pos;
varying vec4 diffuse;
varying vec4 ambient;
)";

const char* const kNormalMap = R"(
vec3 mapped_normal(vec2 st) {
  vec3 n = normalize(normal);
  vec3 t = normalize(tangent - n * dot(n, tangent));
  vec3 b = cross(n, t);
  vec3 m = texture2D(nmap, st).rgb * 2.0 - 1.0;
  return normalize(m.x * t + m.y * b + m.z * n);
}
)";

const char* const kPlainNormal = R"(
vec3 mapped_normal(vec2 st) { return normalize(normal); }
)";

const char* const kLitMain = R"(
void main() {
  vec2 st = gl_TexCoord[0].st;
  vec4 texel = texture2D(tex, st);
  vec3 n = mapped_normal(st);
  vec3 l = normalize(gl_LightSource[0].position.xyz);
  float ndl = dot(n, l);
  float rdl = max(dot(reflect(normalize(eye_pos), n), l), 0.0);
  if (ndl < 0.0) { ndl = 0.0; rdl = 0.0; }
  vec3 specular = gl_FrontMaterial.specular.rgb;
  float shininess = gl_FrontMaterial.shininess;
#ifdef SPECULAR_MAP
  vec4 s = texture2D(smap, st);
  specular = s.rgb;
  float e = s.a * 128.0 + 0.125;
  if (e < 127.875) shininess = e;
#endif
  vec3 colour = (ambient.rgb + diffuse.rgb * ndl) * texel.rgb +
                specular * gl_LightSource[0].specular.rgb * pow(rdl, shininess);
  gl_FragColor = vec4(fogged(colour), diffuse.a * texel.a);
}
)";

// The reflected eye vector turned into the world and looked up in a polar picture of the sky
// dome: straight up at the centre, the horizon at a quarter of the width out.
const char* const kEnvMain = R"(
void main() {
  vec3 n = mapped_normal(gl_TexCoord[0].st);
  vec3 v = normalize(envmat * reflect(normalize(eye_pos), n));
  vec2 flat_dir = length(v.xz) > 0.0 ? normalize(v.xz) : vec2(0.0);
  vec2 st = 0.5 + flat_dir * acos(clamp(v.y, -1.0, 1.0)) * 0.15915494309189535;
  gl_FragColor = texture2D(tex, st) * gl_Color;
}
)";

const char* const kTerrainNormalsVertex = R"(
varying vec4 base_coord;
void main() {
  gl_Position = ftransform();
  gl_TexCoord[0] = gl_MultiTexCoord0;
  base_coord = gl_TextureMatrix[1] * gl_Vertex;
}
)";

// A tile's normal map (x, z, y in red, green, blue) turned with the tile as it lies in the
// ground texture and tilted onto the ground's own normal; the base's light factor rides along
// in green.
const char* const kTerrainNormalsFragment = R"(
uniform sampler2D tex;
uniform sampler2D base;
varying vec4 base_coord;
void main() {
  vec4 tile = texture2D(tex, gl_TexCoord[0].st);
  vec3 m = vec3(-(tile.r * 2.0 - 1.0), tile.b * 2.0 - 1.0, tile.g * 2.0 - 1.0);
  vec2 ds = vec2(dFdx(gl_TexCoord[0].s), -dFdy(gl_TexCoord[0].s));
  vec2 d = length(ds) > 0.0 ? normalize(ds) : vec2(1.0, 0.0);
  m.xz = vec2(d.x * m.x - d.y * m.z, d.y * m.x + d.x * m.z);
  vec4 b4 = texture2DProj(base, base_coord);
  vec3 b = vec3(b4.r * 2.0 - 1.0, 0.0, b4.b * 2.0 - 1.0);
  b.y = sqrt(max(1.0 - b.x * b.x - b.z * b.z, 0.0));
  vec3 across = vec3(b.y, -b.x, 0.0);
  across = length(across) > 0.0 ? normalize(across) : vec3(1.0, 0.0, 0.0);
  vec3 along = cross(across, b);
  vec3 n = normalize(m.x * across + m.y * b + m.z * along);
  float flat_len = length(n.xz);
  if (flat_len > 126.0 / 128.0) n = vec3(n.x, 0.0, n.z) * (126.0 / 128.0 / flat_len);
  gl_FragColor = vec4((n.x + 1.0) * 0.5, b4.g, (n.z + 1.0) * 0.5, tile.a);
}
)";

const char* const kTerrainVertex = R"(
varying vec3 eye_pos;
void main() {
  eye_pos = vec3(gl_ModelViewMatrix * gl_Vertex);
  gl_Position = ftransform();
  gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;
  gl_FrontColor = gl_Color;
}
)";

// The ground texture holds its colours at half intensity, like the baked shading. The vertex
// colour is white but where ruts have changed the ground's slope since its maps were made.
// Most of the ground has no highlight at all (its specular texture is the plain red 0): its
// program reads neither that texture nor works out a highlight, a third of the texture reads
// of every ground pixel on a software renderer, for the same colour.
std::string terrain_fragment(bool highlights) {
  std::string s = R"(
uniform sampler2D tex;
uniform sampler2D nmap;
uniform sampler2D smap;
varying vec3 eye_pos;
void main() {
  vec2 st = gl_TexCoord[0].st;
  vec4 ground = texture2D(tex, st);
  vec4 nt = texture2D(nmap, st);
  vec3 w = vec3(nt.r * 2.0 - 1.0, 0.0, nt.b * 2.0 - 1.0);
  w.y = sqrt(max(1.0 - w.x * w.x - w.z * w.z, 0.0));
  float f = nt.g;
  vec3 n = normalize(gl_NormalMatrix * w);
  vec3 l = normalize(gl_LightSource[0].position.xyz);
  float d = dot(n, l);
  float ndl = max(d, 0.0);
  // The ground and its vertex colour (the light of ruts) are both at half intensity.
  vec3 colour = 4.0 * (gl_LightSource[0].ambient.rgb + gl_LightSource[0].diffuse.rgb * ndl * f) *
                    ground.rgb * gl_Color.rgb;
)";
  if (highlights) {
    s += R"(
  vec4 s = texture2D(smap, st);
  float rdl = d < 0.0 ? 0.0 : max(dot(reflect(normalize(eye_pos), n), l), 0.0);
  colour += s.r * gl_LightSource[0].specular.rgb * pow(rdl, s.g * 128.0 + 0.125) * f;
)";
  }
  s += R"(
  gl_FragColor = vec4(fogged(colour), 1.0);
}
)";
  return s;
}

std::string model_fragment(bool normal_map, bool specular_map, bool environment) {
  std::string s = kHeader;
  if (specular_map) s += "#define SPECULAR_MAP\n";
  s += kModelVaryings;
  s += kFog;
  s += normal_map ? kNormalMap : kPlainNormal;
  s += environment ? kEnvMain : kLitMain;
  return s;
}

}  // namespace

std::vector<ShaderSource> shader_sources() {
  const std::string vertex = std::string(kHeader) + kModelVertex;
  return {
      {"lit", vertex, model_fragment(false, false, false)},
      {"env", vertex, model_fragment(false, false, true)},
      {"norm_lit", vertex, model_fragment(true, false, false)},
      {"norm_env", vertex, model_fragment(true, false, true)},
      {"norm_spec_lit", vertex, model_fragment(true, true, false)},
      {"terrain_normals", std::string(kHeader) + kTerrainNormalsVertex,
       std::string(kHeader) + kTerrainNormalsFragment},
      {"terrain", std::string(kHeader) + kTerrainVertex,
       std::string(kHeader) + kFog + terrain_fragment(true)},
      {"terrain_plain", std::string(kHeader) + kTerrainVertex,
       std::string(kHeader) + kFog + terrain_fragment(false)},
  };
}

}  // namespace br
