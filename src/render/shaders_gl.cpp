#include <epoxy/gl.h>

#include <array>

#include "platform/log.h"
#include "render/render_stats.h"
#include "render/shaders.h"

namespace br {
namespace {

// Uniform locations are looked up on first use; kUnknown until then, -1 when absent.
constexpr GLint kUnknown = -2;

enum Uniform { kNbones, kBoneC, kBoneT, kBoneR, kEnvmat, kUniformCount };
const char* const kUniformNames[kUniformCount] = {"nbones", "bone_c", "bone_t", "bone_r", "envmat"};

struct Program {
  GLuint vertex = 0, fragment = 0, program = 0;
  std::array<GLint, kUniformCount> uniforms;
  Program() { uniforms.fill(kUnknown); }
};

struct ShaderTable {
  std::array<Program, kShaderSlots> slots;
  bool built = false;
  int current = kShaderFixed;
};

ShaderTable& table() {
  static ShaderTable t;
  return t;
}

void log_info(bool shader, GLuint object, const char* what, const std::string& name) {
  GLint length = 0;
  if (shader) {
    glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
  } else {
    glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
  }
  if (length <= 1) return;
  std::string text(static_cast<size_t>(length), '\0');
  if (shader) {
    glGetShaderInfoLog(object, length, nullptr, text.data());
  } else {
    glGetProgramInfoLog(object, length, nullptr, text.data());
  }
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
  if (!text.empty()) kota::log_printf("%s for %s:\n%s\n", what, name.c_str(), text.c_str());
}

GLuint compile(GLenum kind, const std::string& text, const char* what, const std::string& name) {
  GLuint shader = glCreateShader(kind);
  if (shader == 0) return 0;
  const char* source = text.c_str();
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  log_info(true, shader, what, name);
  if (!ok) {
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

bool build_one(Program& p, const ShaderSource& s) {
  p.vertex = compile(GL_VERTEX_SHADER, s.vertex, "vertex shader status", s.name);
  if (!p.vertex) return false;
  p.fragment = compile(GL_FRAGMENT_SHADER, s.fragment, "fragment shader status", s.name);
  if (!p.fragment) return false;
  p.program = glCreateProgram();
  if (!p.program) return false;
  glAttachShader(p.program, p.vertex);
  glAttachShader(p.program, p.fragment);
  glLinkProgram(p.program);
  GLint ok = GL_FALSE;
  glGetProgramiv(p.program, GL_LINK_STATUS, &ok);
  log_info(false, p.program, "link status", s.name);
  if (!ok) return false;
  // Samplers are fixed per name: the colour picture on unit 0, the maps above it.
  glUseProgram(p.program);
  static const std::pair<const char*, GLint> kSamplers[] = {
      {"tex", 0}, {"nmap", 1}, {"smap", 2}, {"base", 1}};
  for (const auto& [name, unit] : kSamplers) {
    GLint at = glGetUniformLocation(p.program, name);
    if (at >= 0) glUniform1i(at, unit);
  }
  glUseProgram(0);
  return true;
}

GLint uniform(int slot, Uniform u) {
  Program& p = table().slots[static_cast<size_t>(slot)];
  GLint& at = p.uniforms[u];
  if (at == kUnknown) at = glGetUniformLocation(p.program, kUniformNames[u]);
  return at;
}

}  // namespace

bool shaders_build() {
  return shaders_build_from(shader_sources());
}

bool shaders_build_from(const std::vector<ShaderSource>& sources) {
  shaders_release();
  ShaderTable& t = table();
  if (sources.size() + 1 != t.slots.size()) return false;
  for (size_t i = 0; i < sources.size(); ++i) {
    if (!build_one(t.slots[i + 1], sources[i])) {
      shaders_release();
      return false;
    }
  }
  t.built = true;
  return true;
}

void shaders_release() {
  ShaderTable& t = table();
  if (t.current != kShaderFixed) glUseProgram(0);
  for (Program& p : t.slots) {
    if (p.program) glDeleteProgram(p.program);
    if (p.vertex) glDeleteShader(p.vertex);
    if (p.fragment) glDeleteShader(p.fragment);
    p = Program{};
  }
  t.built = false;
  t.current = kShaderFixed;
}

bool shaders_built() {
  return table().built;
}

void shader_use(int slot) {
  ShaderTable& t = table();
  if (!t.built || slot < 0 || slot >= kShaderSlots) slot = kShaderFixed;
  if (slot == t.current) return;
  glUseProgram(t.slots[static_cast<size_t>(slot)].program);
  t.current = slot;
  render_stats().shader_changes.value += 1;
}

int shader_current() {
  return table().current;
}

void shader_set_bones(int count, const float* centres, const float* translations,
                      const float* rotations) {
  int slot = table().current;
  if (slot == kShaderFixed) return;
  if (count > kShaderMaxBones) count = kShaderMaxBones;
  GLint n = uniform(slot, kNbones);
  if (n >= 0) glUniform1i(n, count);
  if (count <= 0) return;
  GLint c = uniform(slot, kBoneC), tr = uniform(slot, kBoneT), r = uniform(slot, kBoneR);
  if (c >= 0) glUniform3fv(c, count, centres);
  if (tr >= 0) glUniform3fv(tr, count, translations);
  if (r >= 0) glUniformMatrix3fv(r, count, GL_FALSE, rotations);
}

void shader_set_envmat(const float matrix[9]) {
  if (!table().built) return;
  int was = table().current;
  for (int slot : {kShaderEnv, kShaderNormEnv}) {
    shader_use(slot);
    GLint at = uniform(slot, kEnvmat);
    if (at >= 0) glUniformMatrix3fv(at, 1, GL_FALSE, matrix);
  }
  shader_use(was);
}

}  // namespace br
