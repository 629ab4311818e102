// quillpack, the command: its entry point on Windows, wmain, whose UTF-16 arguments pass on as
// UTF-8, so that every file name can be reached (not only those of the ANSI code page).
#include <windows.h>

#include <string>
#include <vector>

#include "command/console.h"
#include "command/run.h"

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
