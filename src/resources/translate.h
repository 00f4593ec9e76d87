// The program's texts in the user's language: every text a person reads goes
// through here (or through QCoreApplication::translate for Qt strings), so
// that the translators Qt has installed can replace it. Without a translator
// the English source comes back unchanged.
#pragma once

#include <initializer_list>
#include <string>

namespace tavimo {

// `source` (UTF-8) of translation context `context` in the installed
// language. Both must be literals for lupdate to find them. Any thread.
std::string TrText(const char* context, const char* source);

// `pattern` with %1 .. %9 replaced by `args` (%1 the first); a marker with no
// argument stays as written. A translation may reorder the markers. Any thread.
std::string TrArg(const std::string& pattern, std::initializer_list<std::string> args);

// `text` from a file or a path (a chapter's or a track's title, a clip's
// path) as a menu item shows it: each '&' doubled, since a single one marks
// the next letter as the item's key and is not shown, and each control
// character a space, since a tab starts the shortcut's column. Any thread.
std::string MenuLiteral(const std::string& text);

}  // namespace tavimo
