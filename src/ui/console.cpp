#include "ui/console.h"

#include <cctype>

#include "files/messages.h"
#include "ui/console_commands.h"
#include "ui/console_text.h"

namespace br {

bool command_matches(std::string_view rest, std::string_view word, CommandMatch match,
                     std::string_view& args) {
  if (rest.substr(0, word.size()) != word) return false;
  std::string_view after = rest.substr(word.size());
  switch (match) {
    case CommandMatch::kExact:
      if (!after.empty()) return false;
      args = {};
      return true;
    case CommandMatch::kPrefix:
      args = after.empty() ? after : after.substr(1);
      return true;
    case CommandMatch::kWord:
      if (!after.empty() && !std::isspace(static_cast<unsigned char>(after.front()))) return false;
      while (!after.empty() && std::isspace(static_cast<unsigned char>(after.front()))) {
        after.remove_prefix(1);
      }
      args = after;
      return true;
  }
  return false;
}

const std::vector<std::string>& console_words() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> v;
    for (const ConsoleCommand& c : console_commands()) v.emplace_back(c.word);
    return v;
  }();
  return words;
}

bool console_word_takes_arguments(std::string_view word) {
  for (const ConsoleCommand& c : console_commands()) {
    if (word == c.word) return c.match != CommandMatch::kExact;
  }
  return false;
}

int console_line(World& w, const std::string& text) {
  if (text.size() > kConsoleLineMax) {
    show_message("Line too long");
    return 0;
  }
  // Nothing typed reaches a file name, the log or the server unchecked.
  std::string line = clean_console_text(text, kConsoleLineMax);
  if (line.empty() || (line[0] != '/' && line[0] != '\\')) return console_chat(w, line);
  std::string_view rest = std::string_view(line).substr(1);
  for (const ConsoleCommand& c : console_commands()) {
    std::string_view args;
    if (command_matches(rest, c.word, c.match, args)) return c.action(w, args, line[0]);
  }
  // A mistyped command would otherwise vanish without a word.
  std::string_view word = rest.substr(0, rest.find_first_of(" \t"));
  show_message("Unknown command \"%.60s\"", std::string(word).c_str());
  return 0;
}

}  // namespace br
