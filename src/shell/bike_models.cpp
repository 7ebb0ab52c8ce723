#include "shell/bike_models.h"

namespace br {

const std::array<BikeModelName, kBikeModelCount> kBikeModels = {{
    {"450sxf(2013)", "450sxfv2013-"},
    {"crf450(2013)", "crf450v2013-"},
    {"kx450f(2013)", "kx450f-"},
    {"rmz450(2013)", "rmz450-"},
    {"yz450f(2013)", "yz450f-"},
    {"350sxf(2013)", "350sxfv2013-"},
    {"450sxf(2011)", "450sxf-"},
    {"crf450(2011)", "crf450-"},
    {"kx450f(2011)", "kx450f-"},
    {"rmz450(2011)", "rmz450-"},
    {"yz450f(2011)", "yz450f-"},
    {"350sxf(2011)", "350sxf-"},
    {"250sx(2012)", "250sx-"},
    {"cr250(2007)", "cr250-"},
    {"kx250(2006)", "kx250-"},
    {"rm250(2008)", "rm250-"},
    {"yz250(2012)", "yz250-"},
    {"250sxf(2013)", "250sxfv2013-"},
    {"crf250(2013)", "crf250v2010-"},
    {"kx250f(2013)", "kx250fv2013-"},
    {"rmz250(2013)", "rmz250v2010-"},
    {"yz250f(2013)", "yz250fv2010-"},
    {"250sxf(2009)", "250sxf-"},
    {"crf250(2009)", "crf250-"},
    {"kx250f(2009)", "kx250f-"},
    {"rmz250(2009)", "rmz250-"},
    {"yz250f(2009)", "yz250f-"},
    {"crf250(2008)", "crf250-"},
    {"kx250f(2008)", "kx250f-"},
    {"rmz250(2008)", "rmz250-"},
    {"yz250f(2008)", "yz250f-"},
    {"crf250(2007)", "crf250-"},
    {"kx250f(2007)", "kx250f-"},
    {"rmz250(2007)", "rmz250-"},
    {"yz250f(2007)", "yz250f-"},
    {"yz250f_se(2006)", "yz250f_se-"},
    {"125sx", "125sx-"},
    {"cr125", "cr125-"},
    {"kx125", "kx125-"},
    {"rm125", "rm125-"},
    {"yz125", "yz125-"},
    {"rs50cr", "cr125-"},
    {"rs50kx", "kx125-"},
    {"rs50rm", "rm125-"},
    {"rs50yz", "yz125-"},
}};

std::string bike_model_alias(const std::string& name) {
  if (name == "crf250") return "crf250(2008)";
  if (name == "kx250f") return "kx250f(2008)";
  if (name == "rmz250") return "rmz250(2008)";
  if (name == "yz250f") return "yz250f(2008)";
  return name;
}

const char* bike_texture_prefix(const std::string& name) {
  for (const BikeModelName& m : kBikeModels) {
    if (name == m.name) return m.texture_prefix;
  }
  return "";
}

}  // namespace br
