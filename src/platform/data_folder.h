// Where the program finds its own files. In the build folder (and a program
// unpacked anywhere) everything sits beside the executable. An installed
// program keeps its read-only files in ../share/clipwright/ and the encoder in
// ../libexec/clipwright/, relative to the folder of the executable (bin/).
#pragma once

#include <functional>
#include <string>

namespace cw {

// The folder of data.dat, app.ico and htm/, ending in '/', for a program in
// `program_folder` (ending in '/'): the program folder itself when data.dat
// is there, else program_folder + "../share/clipwright/" when data.dat is
// there, else the program folder. `exists` tells whether a path exists.
std::wstring DataFolderFor(const std::wstring& program_folder,
                           const std::function<bool(const std::wstring&)>& exists);

// DataFolderFor(ProgramFolder()) on the real file system. Any thread.
std::wstring DataFolder();

// True when the program runs installed: its files are not beside it. Such a
// program never writes into its own folder. Any thread.
bool RunsInstalled();

// The encoder for a program in `program_folder` ("xenc" is "xenc.exe" on
// Windows, see ExecutableSuffix): program_folder + "xenc" when
// it exists, else program_folder + "../libexec/clipwright/xenc" when that
// exists, else the first (whose absence the run then reports).
std::wstring EncoderPathFor(const std::wstring& program_folder,
                            const std::function<bool(const std::wstring&)>& exists);

// EncoderPathFor(ProgramFolder()) on the real file system. Any thread.
std::wstring EncoderPath();

}  // namespace cw
