// Names of the file syntax: a slash and bytes, any of which may be written as "#" and two hex
// digits, so that "/Im#31" is the name "/Im1". The token reader gives every name in one form,
// the canonical one, and names compare as plain strings from then on.
#pragma once

#include <string>
#include <string_view>

namespace folivo {

// The name token ("/...") in canonical form: every "#xx" resolved, then "#", blanks,
// delimiters and bytes outside "!" to "~" escaped again with upper-case digits. A "#" without
// two hex digits after it stands for itself. Two names have the same bytes exactly when their
// canonical forms are equal, and the form is valid to write into a file. A token without "#"
// is its own canonical form unless it holds bytes the file should have escaped.
std::string CanonicalName(std::string_view token);

// The bytes a name stands for, without its slash (when it has one): what a font, glyph or
// character map name means.
std::string NameBytes(std::string_view token);

// The name as people read it: its slash and its bytes; other tokens as they are.
std::string ReadableName(std::string_view token);

// Whether the data may hold the name (with its slash), written plainly or with escapes: false
// only when they certainly do not; a longer name that starts alike counts. For a quick look
// before reading a whole file.
bool MayMentionName(std::string_view data, std::string_view name);

}  // namespace folivo
