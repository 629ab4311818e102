// quillpack, the command: its entry point on POSIX systems, where arguments are bytes, taken
// as UTF-8.
#include <string>
#include <vector>

#include "command/run.h"

int main(int argc, char **argv) {
  return quillpack_command::RunCommand(std::vector<std::string>(argv + 1, argv + argc));
}
