// The program's texts in the user's language, from gettext catalogues
// (domain "clipwright", one .mo per language under the locale folder).
// Texts are written in English in the sources, wrapped in Tr / TrN (or
// marked with N_ where a constant is translated only where it is shown);
// po/ holds the catalogues and scripts/extract-texts.sh finds every marked
// text. When no catalogue applies (an English or "C" locale, a language we
// do not ship, a text the catalogue lacks) every function returns the
// English text unchanged, byte for byte.
// A text written over several lines continues with plain "..." pieces after
// its first L"..." (xgettext reads only the first of several L"" pieces).
//
// What is never translated: machine-readable output (clipwright-cli
// --events, the task JSON, config.ini, the journal) and the failure reasons
// the core writes into them.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Marks a text for the catalogue without translating it (a constant that is
// compared in English and translated with Tr where it is shown). GLib's
// <glib/gi18n.h> defines the same identity.
#ifndef N_
#define N_(text) text
#endif

namespace cw {

// `english` in the language of the user's LC_MESSAGES / LANGUAGE, or
// `english` itself. Any thread.
std::wstring Tr(const wchar_t* english);

// Tr(english) as UTF-8 for people (GTK labels, the terminal). Any thread.
std::string TrUtf8(const wchar_t* english);

// The singular or plural text for `n` by the language's own rule (English:
// singular for 1), or `singular` / `plural` by the English rule. Any thread.
std::wstring TrN(const wchar_t* singular, const wchar_t* plural, unsigned long n);

// `pattern` with %1 ... %9 replaced by args[0] ... args[8] (a translation
// may reorder them); a %N without an argument, and every other '%', stay as
// they are. Pure.
std::wstring Fill(std::wstring_view pattern, std::initializer_list<std::wstring_view> args);

// Takes the user's language for messages (LC_MESSAGES from LC_ALL,
// LC_MESSAGES, LANG; then LANGUAGE) for a program without a toolkit that
// would do it (clipwright-cli). Numbers stay in the C locale: only the
// messages category changes. Call once, before other threads start.
void UseUserLanguage();

// Sets the language Tr answers in, for the whole process, to that of
// `locale` (e.g. "de_DE.UTF-8"; "C" for the English texts), whatever
// LANGUAGE says; numbers stay in the C locale. False when the system lacks
// that locale or the program has no catalogues for it. For tests; call
// while no other thread translates.
bool SetMessageLanguage(const char* locale);

// The language Tr answers in: the catalogue's own Language (e.g. "de",
// "fr"), or "en" when no catalogue applies. Any thread.
std::wstring TextLanguage();

// The language field ("Language: xx") of a catalogue's header, or "" when it
// has none. Pure.
std::wstring LanguageOfHeader(std::string_view header);

// The folder holding LL/LC_MESSAGES/clipwright.mo for a program in
// `program_folder` (ending in '/'): program_folder + "locale/" when the
// program runs from its build or unpacked folder, program_folder +
// "../share/locale/" when installed. Any thread.
std::wstring LocaleFolderFor(const std::wstring& program_folder, bool installed);

}  // namespace cw
