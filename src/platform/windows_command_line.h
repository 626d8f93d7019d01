// The command line of a Windows program. Windows passes a program one line
// of text, not an argument list; the program's C runtime (or
// CommandLineToArgvW) splits it again. Quoting each argument so that the
// split gives back exactly the list is where injection would otherwise lie:
// spaces, quotes and backslashes before a quote all have meanings there.
// Portable so that the quoting table is checked on every system.
#pragma once

#include <string>
#include <vector>

namespace cw {

// One argument quoted for the runtime's split: unchanged when it is not empty
// and holds no space, tab, newline, vertical tab or '"'; otherwise in quotes,
// every '"' preceded by a backslash, and the backslashes before a '"' or
// before the closing quote doubled. Other characters (& % ^ < > |) mean
// nothing here: no shell reads this line.
std::wstring QuoteWindowsArgument(const std::wstring& arg);

// The whole line for argv: the program (argv[0]) in quotes as it is (the
// runtime reads the program's name up to the next quote, without escapes;
// Windows names never hold a '"'), then every further argument quoted, one
// space between. Empty for an empty argv.
std::wstring WindowsCommandLine(const std::vector<std::wstring>& argv);

}  // namespace cw
