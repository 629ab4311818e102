// The command line: short options that may be bundled (-dc, -T4, -oFILE), long ones with or
// without '=' (--threads=4, --threads 4), and "--" before names that begin with '-'.
#include "command/options.h"

#include <cstdio>
#include <cstdlib>

#include "command/console.h"

namespace quillpack_command {
namespace {

constexpr char kHelp[] =
    "Usage: quillpack [OPTION]... [FILE]...\n"
    "Pack each FILE into FILE.qpk, a plain-text container, or restore it with -d.\n"
    "With no FILE, or when FILE is -, read standard input and write standard output.\n"
    "\n"
    "  -d, --decompress   restore each FILE.qpk into FILE\n"
    "  -c, --stdout       write to standard output\n"
    "  -o FILE            write the result of the one input to FILE\n"
    "  -f, --force        overwrite existing outputs, pack a FILE.qpk again,\n"
    "                     write restored bytes to a terminal\n"
    "  -k, --keep         keep the inputs (the default)\n"
    "      --rm           remove each input once its output is complete\n"
    "  -t, --test         read each container through with every check; write nothing\n"
    "  -l, --list         list each container's size, restored size and token counts\n"
    "  -r, --recursive    pack or restore the files in folders\n"
    "  -T, --threads=N    pack on N threads (default, and 0: one per processor)\n"
    "  -q, --quiet        print errors only\n"
    "  -v, --verbose      print each file's sizes\n"
    "  -h, --help         print this help and exit\n"
    "  -V, --version      print the version and exit\n"
    "\n"
    "Exit status: 0 when every file succeeded, 1 when any failed, 2 for a usage error.\n";

bool UsageError(const std::string &text) {
  Say("", text);
  Say("", "Try 'quillpack --help' for more information.");
  return false;
}

bool ParseThreads(const std::string &value, Options *options) {
  char *end = nullptr;
  unsigned long n = value.empty() || value[0] == '-' ? 0 : std::strtoul(value.c_str(), &end, 10);
  if (end == nullptr || *end != '\0' || n > 4096)
    return UsageError("invalid number of threads '" + value + "'");
  options->threads = static_cast<unsigned>(n);
  return true;
}

// A long option without its "--", and its value after '=' if any. Returns false after
// reporting a mistake; sets `*done` for --help and --version.
bool ParseLong(const std::string &text, const std::vector<std::string> &arguments, size_t *next,
               Options *options, bool *done) {
  size_t equals = text.find('=');
  std::string name = text.substr(0, equals);
  const bool has_value = equals != std::string::npos;
  struct Flag {
    const char *name;
    bool *flag;
  };
  const Flag flags[] = {{"stdout", &options->to_stdout},    {"to-stdout", &options->to_stdout},
                        {"force", &options->force},         {"rm", &options->remove_input},
                        {"recursive", &options->recursive}, {"quiet", &options->quiet},
                        {"verbose", &options->verbose}};
  for (const Flag &f : flags) {
    if (name != f.name) continue;
    if (has_value) return UsageError("option '--" + name + "' takes no value");
    *f.flag = true;
    return true;
  }
  const struct {
    const char *name;
    Mode mode;
  } modes[] = {
      {"decompress", kRestore}, {"uncompress", kRestore}, {"test", kTest}, {"list", kList}};
  for (const auto &m : modes) {
    if (name != m.name) continue;
    if (has_value) return UsageError("option '--" + name + "' takes no value");
    options->mode = m.mode;
    return true;
  }
  if (name == "keep" && !has_value) return true;
  if (name == "help" && !has_value) {
    std::fputs(kHelp, stdout);
    *done = true;
    return true;
  }
  if (name == "version" && !has_value) {
    std::printf("%s %s\n", kProgram, QUILLPACK_COMMAND_VERSION);
    *done = true;
    return true;
  }
  if (name == "threads" || name == "output") {
    std::string value;
    if (has_value) {
      value = text.substr(equals + 1);
    } else if (*next < arguments.size()) {
      value = arguments[(*next)++];
    } else {
      return UsageError("option '--" + name + "' needs a value");
    }
    if (name == "output") {
      options->output = value;
      return !value.empty() || UsageError("option '--output' needs a file name");
    }
    return ParseThreads(value, options);
  }
  return UsageError("unknown option '--" + name + "'");
}

// A bundle of short options after its '-'.
bool ParseShort(const std::string &bundle, const std::vector<std::string> &arguments, size_t *next,
                Options *options, bool *done) {
  for (size_t i = 0; i < bundle.size(); ++i) {
    char c = bundle[i];
    switch (c) {
      case 'd':
        options->mode = kRestore;
        break;
      case 't':
        options->mode = kTest;
        break;
      case 'l':
        options->mode = kList;
        break;
      case 'c':
        options->to_stdout = true;
        break;
      case 'f':
        options->force = true;
        break;
      case 'k':
        break;
      case 'r':
        options->recursive = true;
        break;
      case 'q':
        options->quiet = true;
        break;
      case 'v':
        options->verbose = true;
        break;
      case 'h':
        return ParseLong("help", arguments, next, options, done);
      case 'V':
        return ParseLong("version", arguments, next, options, done);
      case 'T':
      case 'o': {
        // The value is the rest of the bundle, or the next argument.
        std::string name = c == 'T' ? "threads" : "output";
        if (i + 1 < bundle.size())
          return ParseLong(name + "=" + bundle.substr(i + 1), arguments, next, options, done);
        if (*next >= arguments.size())
          return UsageError(std::string("option '-") + c + "' needs a value");
        return ParseLong(name + "=" + arguments[(*next)++], arguments, next, options, done);
      }
      default:
        return UsageError(std::string("unknown option '-") + c + "'");
    }
  }
  return true;
}

// Combinations that cannot be carried out whatever the files are.
bool Consistent(const Options &options) {
  const bool reads_only = options.mode == kTest || options.mode == kList;
  if (!options.output.empty()) {
    if (options.to_stdout) return UsageError("-o and -c cannot be given together");
    if (reads_only) return UsageError("-t and -l write nothing, so -o names nothing");
    if (options.recursive || options.files.size() != 1)
      return UsageError("-o names the output of exactly one input");
  }
  if (options.mode == kPack && options.to_stdout && (options.files.size() > 1 || options.recursive))
    return UsageError("several containers on standard output could not be told apart");
  return true;
}

}  // namespace

ParseOutcome ParseOptions(const std::vector<std::string> &arguments, Options *options) {
  bool names_only = false;
  bool done = false;
  for (size_t next = 0; next < arguments.size();) {
    const std::string &argument = arguments[next++];
    bool ok = true;
    if (names_only || argument == "-" || argument.empty() || argument[0] != '-') {
      options->files.push_back(argument);
    } else if (argument == "--") {
      names_only = true;
    } else if (argument[1] == '-') {
      ok = ParseLong(argument.substr(2), arguments, &next, options, &done);
    } else {
      ok = ParseShort(argument.substr(1), arguments, &next, options, &done);
    }
    if (!ok) return kUsageError;
    if (done) return kDone;
  }
  return Consistent(*options) ? kRun : kUsageError;
}

}  // namespace quillpack_command
