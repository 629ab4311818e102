// The command line: short options that may be bundled (-dc, -T4, -oFILE), long ones with or
// without '=' (--threads=4, --threads 4), and "--" before names that begin with '-'.
#include "command/options.h"

#include <cstdio>
#include <cstdlib>

#include "command/console.h"

namespace quillpack_command {
namespace {

// More threads than this are taken for a mistake: each holds a match finder and two segments
// (about 2.2 MiB) from the start, however small the input.
constexpr unsigned long kMostThreads = 256;

constexpr char kHelpText[] =
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
    "  -t, --test         read each container through with every check\n"
    "  -l, --list         list each container's size, restored size and token counts\n"
    "  -r, --recursive    pack or restore the files in folders\n"
    "  -T, --threads=N    pack on N threads (default, and 0: one per processor)\n"
    "  -q, --quiet        print errors only\n"
    "  -v, --verbose      print each file's sizes\n"
    "  -h, --help         print this help and exit\n"
    "  -V, --version      print the version and exit\n"
    "\n"
    "Exit status: 0 when every file succeeded, 1 when any failed (the others are\n"
    "still done), 2 for a usage error (nothing is done).\n";

bool UsageError(const std::string &text) {
  Say("", text);
  Say("", "Try 'quillpack --help' for more information.");
  return false;
}

// Every option, in its short form (0: none) and its long one.
struct OptionRule {
  char letter;
  const char *name;
  enum Kind { kFlag, kMode, kKeep, kHelp, kVersion, kThreads, kOutput } kind;
  bool Options::*flag;  // of kFlag
  Mode mode;            // of kMode
};

constexpr OptionRule kRules[] = {
    {'d', "decompress", OptionRule::kMode, nullptr, kRestore},
    {0, "uncompress", OptionRule::kMode, nullptr, kRestore},
    {'t', "test", OptionRule::kMode, nullptr, kTest},
    {'l', "list", OptionRule::kMode, nullptr, kList},
    {'c', "stdout", OptionRule::kFlag, &Options::to_stdout, kPack},
    {0, "to-stdout", OptionRule::kFlag, &Options::to_stdout, kPack},
    {'f', "force", OptionRule::kFlag, &Options::force, kPack},
    {0, "rm", OptionRule::kFlag, &Options::remove_input, kPack},
    {'r', "recursive", OptionRule::kFlag, &Options::recursive, kPack},
    {'q', "quiet", OptionRule::kFlag, &Options::quiet, kPack},
    {'v', "verbose", OptionRule::kFlag, &Options::verbose, kPack},
    {'k', "keep", OptionRule::kKeep, nullptr, kPack},
    {'h', "help", OptionRule::kHelp, nullptr, kPack},
    {'V', "version", OptionRule::kVersion, nullptr, kPack},
    {'T', "threads", OptionRule::kThreads, nullptr, kPack},
    {'o', "output", OptionRule::kOutput, nullptr, kPack},
};

bool TakesValue(const OptionRule &rule) {
  return rule.kind == OptionRule::kThreads || rule.kind == OptionRule::kOutput;
}

// Carries out `rule` with its `value` (for the two that take one). Returns false after
// reporting a mistake; sets `*done` for --help and --version, which print and end the run.
bool Apply(const OptionRule &rule, const std::string &value, Options *options, bool *done) {
  switch (rule.kind) {
    case OptionRule::kFlag:
      options->*rule.flag = true;
      return true;
    case OptionRule::kMode:
      options->mode = rule.mode;
      return true;
    case OptionRule::kKeep:
      return true;
    case OptionRule::kHelp:
      std::fputs(kHelpText, stdout);
      *done = true;
      return true;
    case OptionRule::kVersion:
      std::printf("%s %s\n", kProgram, QUILLPACK_COMMAND_VERSION);
      *done = true;
      return true;
    case OptionRule::kOutput:
      options->output = value;
      return !value.empty() || UsageError("-o needs a file name");
    case OptionRule::kThreads: {
      char *end = nullptr;
      unsigned long n =
          value.empty() || value[0] == '-' ? 0 : std::strtoul(value.c_str(), &end, 10);
      if (end == nullptr || *end != '\0' || n > kMostThreads)
        return UsageError("invalid number of threads '" + value + "'");
      options->threads = static_cast<unsigned>(n);
      return true;
    }
  }
  return true;
}

// A long option without its "--": its value after '=', or the next argument.
bool ParseLong(const std::string &text, const std::vector<std::string> &arguments, size_t *next,
               Options *options, bool *done) {
  size_t equals = text.find('=');
  std::string name = text.substr(0, equals);
  for (const OptionRule &rule : kRules) {
    if (name != rule.name) continue;
    if (!TakesValue(rule)) {
      if (equals != std::string::npos) return UsageError("option '--" + name + "' takes no value");
      return Apply(rule, "", options, done);
    }
    if (equals != std::string::npos) return Apply(rule, text.substr(equals + 1), options, done);
    if (*next >= arguments.size()) return UsageError("option '--" + name + "' needs a value");
    return Apply(rule, arguments[(*next)++], options, done);
  }
  return UsageError("unknown option '--" + name + "'");
}

// A bundle of short options after its '-'; an option that takes a value takes the rest of
// the bundle, or the next argument.
bool ParseShort(const std::string &bundle, const std::vector<std::string> &arguments, size_t *next,
                Options *options, bool *done) {
  for (size_t i = 0; i < bundle.size() && !*done; ++i) {
    const OptionRule *rule = nullptr;
    for (const OptionRule &s : kRules) {
      if (s.letter == bundle[i]) rule = &s;
    }
    if (rule == nullptr) return UsageError(std::string("unknown option '-") + bundle[i] + "'");
    if (!TakesValue(*rule)) {
      if (!Apply(*rule, "", options, done)) return false;
    } else if (i + 1 < bundle.size()) {
      return Apply(*rule, bundle.substr(i + 1), options, done);
    } else if (*next < arguments.size()) {
      return Apply(*rule, arguments[(*next)++], options, done);
    } else {
      return UsageError(std::string("option '-") + bundle[i] + "' needs a value");
    }
  }
  return true;
}

// Combinations that cannot be carried out whatever the files are.
bool Consistent(const Options &options) {
  const bool reads_only = options.mode == kTest || options.mode == kList;
  // No file named is one input: standard input.
  const size_t inputs = options.files.empty() ? 1 : options.files.size();
  if (!options.output.empty()) {
    if (options.to_stdout) return UsageError("-o and -c cannot be given together");
    if (reads_only) return UsageError("-t and -l write nothing, so -o names nothing");
    if (options.recursive || inputs != 1)
      return UsageError("-o names the output of exactly one input");
  }
  if (options.mode == kPack && options.to_stdout && (inputs > 1 || options.recursive))
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
