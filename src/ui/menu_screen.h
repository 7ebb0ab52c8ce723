// A menu screen as the player sees it: a title, entries that are settings or buttons, note
// lines and an optional table. Screens are built afresh from the world whenever they are
// drawn or a key reaches them, so they always show the settings in force.
#pragma once

#include <string>
#include <vector>

#include "world/bindings.h"
#include "world/settings.h"

namespace br {

// The open menu's number in the world record. 0 and 16 are fixed by the main loop; the rest
// are the menus' own.
enum MenuId {
  kMenuMain = 0,
  kMenuNewRace = 1,
  kMenuChooseTrack = 2,
  kMenuPlayback = 3,
  kMenuTimeTrial = 4,
  kMenuSeriesList = 5,
  kMenuStandings = 6,
  kMenuMultiplayer = 7,
  kMenuBikeSetup = 8,
  kMenuChooseBike = 9,
  kMenuChooseBikeGraphics = 10,
  kMenuChooseWheels = 11,
  kMenuChooseHelmet = 12,
  kMenuChooseGear = 13,
  kMenuStability = 14,
  kMenuSuspension = 15,
  kMenuChat = 16,
  kMenuGraphicsSound = 17,
  kMenuAdvancedGraphics = 18,
  kMenuControls = 19,
  kMenuQuit = 20,
  kMenuDisclaimer = 21,
};

enum class EntryKind {
  kButton,   // acts when chosen
  kNumber,   // steps within its range
  kChoice,   // moves through its texts; with an action, Enter opens its chooser
  kText,     // typed into
  kBinding,  // captures the next key or axis movement
  kNote,     // a line of text that cannot be highlighted
};

enum class MenuAction {
  kNone,
  kOpen,  // arg: the screen to open
  kBack,  // to the screen that opened this one
  kNextPage,
  kPrevPage,
  kChoose,  // a chooser's line: arg is the index of the choice it selects
  kStartRace,
  kStartTimeTrial,
  kStartPlayback,
  kPickDemo,    // arg: index into the demo list
  kOpenSeries,  // arg: index of the series
  kResetSeries,
  kPracticeSeries,
  kEnterSeries,
  kConnect,  // or disconnect, while connected
  kRequestRestart,
  kSwitchVideoMode,
  kPreset,          // arg: a GraphicsPreset
  kCaptureBinding,  // arg: a BindingId
  kQuit,            // asks first
};

// What a changed setting sets off beyond its own value.
enum class SettingEffect {
  kNone,
  kBikeModel,  // the bike graphics choices follow the model
  kStability,  // the assist values follow the stability
  kBikeSetup,  // the mechanic puts the setup on the player's bike
  kGraphics,   // the renderer's detail values are derived again
};

struct MenuEntry {
  EntryKind kind = EntryKind::kButton;
  std::string label;
  NumberSetting* number = nullptr;
  ChoiceSetting* choice = nullptr;
  TextSetting* text = nullptr;
  Binding* binding = nullptr;
  MenuAction action = MenuAction::kNone;
  int arg = 0;
  SettingEffect effect = SettingEffect::kNone;
  // What a choice shows for each of its texts, when the texts themselves are file or
  // directory names; empty to show the texts.
  std::vector<std::string> shown;
  std::string detail;   // shown after the value: a physical value, "Available"
  bool marked = false;  // the chosen line of a list (the current track, the demo to play)

  bool selectable() const { return kind != EntryKind::kNote; }
};

struct MenuTable {
  std::vector<std::string> headings;
  std::vector<std::vector<std::string>> rows;
};

struct MenuScreen {
  int id = kMenuMain;
  std::string title;
  int pages = 1;  // the screen's page is MenuState::page, 0..pages-1
  std::vector<MenuEntry> entries;
  std::vector<std::string> notes;  // lines drawn under the entries
  MenuTable table;                 // drawn under the notes when it has headings
};

// The text of an entry's value as the screen shows it: a number without needless decimals,
// a choice's text, a text setting (with a cursor while it is being typed into), a binding's
// key or axis name. Buttons and notes have none.
std::string entry_value_text(const MenuEntry& e, bool editing = false);

// Number and choice settings as the menus step them: a number moves by its step and stays in
// its range; a choice moves to the next or previous text and wraps around at the ends.
void number_step(NumberSetting& n, int direction);
void choice_step(ChoiceSetting& c, int direction);

// Typing into a text setting: a character is added while the text is shorter than its
// maximum length; only printable characters are taken. Backspace takes the last one off.
bool text_type(TextSetting& t, char c);
void text_backspace(TextSetting& t);

}  // namespace br
