// Program start on Linux: the arguments are already system text.
#include "platform/program_start.h"

namespace cw {

std::vector<std::string> StartProgram(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

}  // namespace cw
