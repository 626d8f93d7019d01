// The four compiled patterns that read the encoder's log. Compiled once, on
// first use, and shared read-only by every worker thread for the life of the
// process.
#pragma once

#include "regex/pattern.h"

namespace cw {

struct LogPatterns {
  // The frame count of a status line: "frame=  100 fps=".
  CPattern frame{L"frame=([\\d ]{1,20})fps="};
  // The frame rate of a stream line, group 1: ", 25 tbr, 12800 tbn". Older
  // encoders add ", 50 tbc"; newer ones stop after tbn, so that part is optional.
  CPattern rate{L", ([\\d\\.]{2,10}) tbr, ([\\w\\.]{2,10}) tbn(, ([\\w\\.]{2,10}) tbc)?"};
  // The input's duration: "Duration: 00:01:30.50,".
  CPattern duration{L"Duration: (\\d{2}:\\d{2}:\\d{2}\\.\\d{1,3}),"};
  // The bit rate of a status line. The encoder pads it to six characters, so
  // from 1000 kbit/s on no blank follows the '=': " bitrate=1234.5kbits/s".
  CPattern bitrate{L" bitrate= *([\\d\\.]{1,20})kbits"};
};

// The shared patterns. The first call compiles them; concurrent first calls
// are safe (one compiles, the others wait). Any thread.
const LogPatterns& GetLogPatterns();

}  // namespace cw
