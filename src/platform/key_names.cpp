#include "platform/key_names.h"

#include <array>
#include <mutex>

#include "platform/event_queue.h"
#include "platform/names.h"

namespace kota {

const SpecialName kSpecialNames[kSpecialNameCount] = {
    {kEventWindowClosed, "Close"},
    {kEventMouseLeft, "Mouse Left"},
    {kEventMouseMiddle, "Mouse Middle"},
    {kEventMouseRight, "Mouse Right"},
};

const KeyName kBuiltinKeyNames[kBuiltinKeyNameCount] = {
    {0x01, "Esc"},       {0x02, "1"},           {0x03, "2"},         {0x04, "3"},
    {0x05, "4"},         {0x06, "5"},           {0x07, "6"},         {0x08, "7"},
    {0x09, "8"},         {0x0A, "9"},           {0x0B, "0"},         {0x0C, "-"},
    {0x0D, "="},         {0x0E, "Backspace"},   {0x0F, "Tab"},       {0x10, "Q"},
    {0x11, "W"},         {0x12, "E"},           {0x13, "R"},         {0x14, "T"},
    {0x15, "Y"},         {0x16, "U"},           {0x17, "I"},         {0x18, "O"},
    {0x19, "P"},         {0x1A, "["},           {0x1B, "]"},         {0x1C, "Enter"},
    {0x1D, "Left Ctrl"}, {0x1E, "A"},           {0x1F, "S"},         {0x20, "D"},
    {0x21, "F"},         {0x22, "G"},           {0x23, "H"},         {0x24, "J"},
    {0x25, "K"},         {0x26, "L"},           {0x27, ";"},         {0x28, "'"},
    {0x29, "`"},         {0x2A, "Left Shift"},  {0x2B, "\\"},        {0x2C, "Z"},
    {0x2D, "X"},         {0x2E, "C"},           {0x2F, "V"},         {0x30, "B"},
    {0x31, "N"},         {0x32, "M"},           {0x33, ","},         {0x34, "."},
    {0x35, "/"},         {0x36, "Right Shift"}, {0x39, "Space"},     {0x39, " "},
    {0x3A, "Caps Lock"}, {0x11D, "Right Ctrl"}, {0x152, "Insert"},   {0x153, "Delete"},
    {0x147, "Home"},     {0x14F, "End"},        {0x149, "Page Up"},  {0x151, "Page Down"},
    {0x148, "Up"},       {0x150, "Down"},       {0x14B, "Left"},     {0x14D, "Right"},
    {0x3B, "F1"},        {0x3C, "F2"},          {0x3D, "F3"},        {0x3E, "F4"},
    {0x3F, "F5"},        {0x40, "F6"},          {0x41, "F7"},        {0x42, "F8"},
    {0x43, "F9"},        {0x44, "F10"},         {0x57, "F11"},       {0x58, "F12"},
    {0x45, "Pause"},     {0x145, "Num Lock"},   {0x135, "Keypad /"}, {0x37, "Keypad *"},
    {0x4A, "Keypad -"},  {0x47, "Keypad 7"},    {0x48, "Keypad 8"},  {0x49, "Keypad 9"},
    {0x4E, "Keypad +"},  {0x4B, "Keypad 4"},    {0x4C, "Keypad 5"},  {0x4D, "Keypad 6"},
    {0x4F, "Keypad 1"},  {0x50, "Keypad 2"},    {0x51, "Keypad 3"},  {0x11C, "Keypad Enter"},
    {0x52, "Keypad 0"},  {0x53, "Keypad ."},
};

namespace {

// (USB usage, set-1 scan code). Where two usages give one scan code (the ISO keyboard's
// extra hash key is the backslash key), the first row names the code.
constexpr int kUsageToScan[][2] = {
    {4, 0x1E},    {5, 0x30},   {6, 0x2E},   {7, 0x20},    {8, 0x12},    {9, 0x21},   {10, 0x22},
    {11, 0x23},   {12, 0x17},  {13, 0x24},  {14, 0x25},   {15, 0x26},   {16, 0x32},  {17, 0x31},
    {18, 0x18},   {19, 0x19},  {20, 0x10},  {21, 0x13},   {22, 0x1F},   {23, 0x14},  {24, 0x16},
    {25, 0x2F},   {26, 0x11},  {27, 0x2D},  {28, 0x15},   {29, 0x2C},   {30, 0x02},  {31, 0x03},
    {32, 0x04},   {33, 0x05},  {34, 0x06},  {35, 0x07},   {36, 0x08},   {37, 0x09},  {38, 0x0A},
    {39, 0x0B},   {40, 0x1C},  {41, 0x01},  {42, 0x0E},   {43, 0x0F},   {44, 0x39},  {45, 0x0C},
    {46, 0x0D},   {47, 0x1A},  {48, 0x1B},  {49, 0x2B},   {50, 0x2B},   {51, 0x27},  {52, 0x28},
    {53, 0x29},   {54, 0x33},  {55, 0x34},  {56, 0x35},   {57, 0x3A},   {58, 0x3B},  {59, 0x3C},
    {60, 0x3D},   {61, 0x3E},  {62, 0x3F},  {63, 0x40},   {64, 0x41},   {65, 0x42},  {66, 0x43},
    {67, 0x44},   {68, 0x57},  {69, 0x58},  {70, 0x137},  {71, 0x46},   {72, 0x45},  {73, 0x152},
    {74, 0x147},  {75, 0x149}, {76, 0x153}, {77, 0x14F},  {78, 0x151},  {79, 0x14D}, {80, 0x14B},
    {81, 0x150},  {82, 0x148}, {83, 0x145}, {84, 0x135},  {85, 0x37},   {86, 0x4A},  {87, 0x4E},
    {88, 0x11C},  {89, 0x4F},  {90, 0x50},  {91, 0x51},   {92, 0x4B},   {93, 0x4C},  {94, 0x4D},
    {95, 0x47},   {96, 0x48},  {97, 0x49},  {98, 0x52},   {99, 0x53},   {100, 0x56}, {101, 0x15D},
    {102, 0x15E}, {103, 0x59}, {104, 0x64}, {105, 0x65},  {106, 0x66},  {107, 0x67}, {108, 0x68},
    {109, 0x69},  {110, 0x6A}, {111, 0x6B}, {112, 0x6C},  {113, 0x6D},  {114, 0x6E}, {115, 0x76},
    {224, 0x1D},  {225, 0x2A}, {226, 0x38}, {227, 0x15B}, {228, 0x11D}, {229, 0x36}, {230, 0x138},
    {231, 0x15C},
};

struct SystemNames {
  std::mutex mutex;
  SystemKeyNameSource source = nullptr;
  bool fetched = false;
  std::array<const char*, kScanCodeCount> names{};
};

SystemNames& system_names() {
  static SystemNames s;
  return s;
}

}  // namespace

int scan_from_usb_usage(int usage) {
  for (const auto& row : kUsageToScan) {
    if (row[0] == usage) return row[1];
  }
  return -1;
}

int usb_usage_from_scan(int scan) {
  for (const auto& row : kUsageToScan) {
    if (row[1] == scan) return row[0];
  }
  return -1;
}

void key_names_set_system_source(SystemKeyNameSource source) {
  SystemNames& s = system_names();
  std::lock_guard lock(s.mutex);
  s.source = source;
  s.fetched = false;
}

const char* system_key_name(int scan) {
  if (scan < 0 || scan >= kScanCodeCount) return "";
  SystemNames& s = system_names();
  std::lock_guard lock(s.mutex);
  if (!s.fetched) {
    s.fetched = true;
    for (int i = 0; i < kScanCodeCount; ++i) {
      const char* name = s.source ? s.source(i) : nullptr;
      s.names[i] = intern(name ? name : "");
    }
  }
  return s.names[scan];
}

}  // namespace kota
