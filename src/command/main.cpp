// quillpack, the command: its entry point, which passes the arguments on as UTF-8 (on Windows
// from the UTF-16 of wmain, so that every file name can be reached).
#include <string>
#include <vector>

#include "command/console.h"
#include "command/run.h"

#if defined(_WIN32)
#include <windows.h>

int wmain(int argc, wchar_t **argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, argv[i], -1, nullptr, 0, nullptr,
                                    nullptr);
    if (bytes <= 0) {
      quillpack_command::Say("", "an argument is not valid UTF-16");
      return quillpack_command::kExitUsage;
    }
    std::string argument(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, argv[i], -1, argument.data(), bytes, nullptr,
                        nullptr);
    argument.resize(static_cast<size_t>(bytes - 1));
    arguments.push_back(argument);
  }
  return quillpack_command::RunCommand(arguments);
}

#else

int main(int argc, char **argv) {
  return quillpack_command::RunCommand(std::vector<std::string>(argv + 1, argv + argc));
}

#endif
