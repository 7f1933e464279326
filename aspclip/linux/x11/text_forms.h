// The forms of a text that X11 programs exchange besides UTF-8, made as GTK programs make them, so
// that a reader gets from this program what it gets from any GTK program.
#pragma once

#include <string>
#include <string_view>

namespace aspclip {

// STRING: Latin-1, each other character as \uXXXX (\UXXXXXXXX beyond the BMP), control characters
// but tab and LF left out, and CR LF or a lone CR as LF. `utf8` must be valid.
std::string StringForm(std::string_view utf8);

// `utf8` with the control characters that STRING leaves out left out too: the text that
// COMPOUND_TEXT is made from.
std::string ControlsLeftOut(std::string_view utf8);

// What text/plain holds: MIME's CR LF line breaks, in UTF-8 or in ASCII (where the other
// characters are escaped as in STRING). `utf8` must be valid.
enum class PlainCharset { kUtf8, kAscii };
std::string PlainTextForm(std::string_view utf8, PlainCharset charset);

// An owner's STRING, which is Latin-1, in UTF-8.
std::string FromLatin1(std::string_view latin1);

}  // namespace aspclip
