// The live timing page itself: markup, script and style, all served by the server, so that
// the page needs nothing from anywhere else.
#pragma once

namespace brserver {

extern const char* const kLivePageHtml;
extern const char* const kLivePageScript;
extern const char* const kLivePageStyle;

}  // namespace brserver
