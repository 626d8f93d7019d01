// cwdiag subcommands: each takes the arguments after its name and returns the
// process exit status. Output is UTF-8 on standard output.
#pragma once

#include <string>
#include <vector>

namespace cw::diag {

using Args = std::vector<std::string>;

int RunJson(const Args& args);
int RunCatalog(const Args& args);
int RunDevices(const Args& args);
int RunRegex(const Args& args);
int RunLog(const Args& args);
int RunRemaining(const Args& args);
int RunSize(const Args& args);
int RunSettings(const Args& args);
int RunQueue(const Args& args);
int RunCommandLine(const Args& args);

// Quotes a text the way every subcommand prints strings: in double quotes,
// '"' as \", '\' as \\, and every character outside 0x20-0x7E as \uXXXX
// (lower-case hex, UTF-16 code units).
std::string Quote(const std::wstring& text);

// Installs a message sink that prints "message: TEXT" lines on standard output.
void PrintMessagesToStdout();

}  // namespace cw::diag
