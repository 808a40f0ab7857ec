// Conversions of stored record contents into page markup: line breaks,
// emoticon tags of notes and messenger tags of contacts. Pure functions on
// code-page byte strings; they never fail. They take texts already passed
// through SanitizeMarkup (render/sanitize.h) and escape nothing themselves,
// except where a text is copied into an attribute.
#pragma once

#include <string>

namespace korvane {

// Every carriage return becomes "<br/>"; line feeds stay where they are.
std::string BreakLines(const std::string& text);

// "{EM<n>EM}" for n = 0..29 becomes the picture icons/<n>.gif. Other numbers,
// leading zeros, signs or blanks stay as typed.
std::string ExpandEmoticons(const std::string& text);

// "{QQ<id>QQ}", "{MS<id>MS}", "{SP<id>SP}" and "{AL<id>AL}" become the
// service's picture and a chat link for the id; inside the link's address the
// id's double quotes are written as &quot;. An opening without any closing
// is neutralised with a hyphen; at most twelve passes are made per content, so
// malformed tags can never keep the conversion busy.
std::string ExpandMessengerTags(const std::string& text);

}  // namespace korvane
