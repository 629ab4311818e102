// RunCommand: each file named, or found in a folder, to its output, with the conventions of
// gzip: FILE to FILE.qpk and back, inputs kept, outputs never overwritten unasked, a failed
// file's output removed, one line a message.
#include "command/run.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "command/console.h"
#include "command/options.h"
#include "command/pack.h"
#include "command/restore.h"
#include "command/signals.h"
#include "command/system.h"

namespace quillpack_command {
namespace {

constexpr char kSuffix[] = ".qpk";
constexpr size_t kSuffixLength = sizeof kSuffix - 1;
constexpr char kStandardName[] = "-";  // standard input or output, as a file name
constexpr char kStandardOutputFailed[] = "standard output cannot be written";

struct Run {
  const Options *options;
  Packer *packer;  // made at the first file packed
  bool failed;
  StreamOutcome total;  // listing: the sums
  uint64_t total_size;
  unsigned listed;
};

// The message the C library has for error number `error`.
std::string ErrorText(int error) {
  return std::strerror(error);
}

bool HasSuffix(const std::string &name) {
  return name.size() > kSuffixLength &&
         name.compare(name.size() - kSuffixLength, kSuffixLength, kSuffix) == 0;
}

// How messages name a file.
std::string Shown(const std::string &name, bool output) {
  if (name != kStandardName) return name;
  return output ? "standard output" : "standard input";
}

bool SameFile(const FileFacts &a, const FileFacts &b) {
  return a.device == b.device && a.index == b.index;
}

void Fail(Run *run, const std::string &name, const std::string &text) {
  Say(name, text);
  run->failed = true;
}

// The output a file has been given: its descriptor, and whether a failure must remove it.
struct Output {
  int fd = -1;            // -1 once closed
  bool owned = false;     // a file this run created or cut: its own to remove
  bool file = false;      // a named file, not standard output
  bool regular = false;   // a regular file, which keeps what is written (not a device or FIFO)
  std::string temporary;  // the name written, when it is to take the output's name at the end
};

// Closes an output left incomplete and removes it when it is this run's own file; `output`
// then holds nothing.
void Discard(const std::string &name, Output *output) {
  int error = 0;
  if (output->file && output->fd >= 0) static_cast<void>(SystemClose(output->fd, &error));
  const std::string &written = output->temporary.empty() ? name : output->temporary;
  if (output->owned) static_cast<void>(SystemRemove(written.c_str(), &error));
  SignalsGuard(nullptr);
  *output = Output{};
}

// Opens the output for `input` (whose facts are `in`) that replaces the existing `name`. A
// regular file is left whole until what replaces it, written beside it, is complete; a link, a
// device or a FIFO is written through (a regular file behind a link is cut first). False
// after reporting why not.
bool OpenReplacement(Run *run, const std::string &input, const FileFacts &in,
                     const std::string &name, StreamKind kind, uint32_t mode, Output *output) {
  FileFacts facts;
  int error = 0;
  const char *refusal = nullptr;
  if (SystemLinkFacts(name.c_str(), &facts, &error) && facts.regular && !facts.link) {
    if (SameFile(facts, in)) {
      Fail(run, Shown(input, false), "is the output too; nothing written");
      return false;
    }
    output->fd = SystemCreateBeside(name.c_str(), kind, mode, &output->temporary, &error);
    if (output->fd < 0) {
      Fail(run, name, ErrorText(error));
      return false;
    }
    output->owned = output->regular = true;
    SignalsGuard(output->temporary.c_str());
    return true;
  }
  output->fd = SystemOpenExisting(name.c_str(), kind, &error);
  if (output->fd < 0) {
    Fail(run, name, ErrorText(error));
    return false;
  }
  if (!SystemFacts(output->fd, &facts)) {
    refusal = "cannot be examined";
  } else if (SameFile(facts, in)) {
    Fail(run, Shown(input, false), "is the output too; nothing written");
  } else if (facts.folder) {
    refusal = "is a folder; nothing written";
  } else if (facts.regular && !SystemCut(output->fd, &error)) {
    refusal = "cannot be cut";
  } else {
    output->regular = output->owned = facts.regular;
    if (output->owned) SignalsGuard(name.c_str());
    return true;
  }
  if (refusal != nullptr) Fail(run, name, refusal);
  Discard(name, output);
  return false;
}

// Opens the output `name` for `input` (whose facts are `in`). False after reporting why not.
bool OpenOutput(Run *run, const std::string &input, const FileFacts &in, const std::string &name,
                StreamKind kind, Output *output) {
  const Options &options = *run->options;
  FileFacts facts;
  int error = 0;
  if (name == kStandardName) {
    SystemSetStreamKind(kStandardOutput, kind);
    if (kind == kRawBytes && !options.force && SystemIsTerminal(kStandardOutput)) {
      Fail(run, "", "restored bytes are not written to a terminal (-f writes them)");
      return false;
    }
    if (SystemFacts(kStandardOutput, &facts) && facts.regular && SameFile(facts, in)) {
      Fail(run, Shown(input, false), "is also the standard output; nothing written");
      return false;
    }
    output->fd = kStandardOutput;
    return true;
  }
  // A new file is private until it is complete; then it takes the input's permissions.
  const uint32_t mode = input == kStandardName ? 0666 : 0600;
  output->file = true;
  output->fd = SystemCreate(name.c_str(), kind, mode, &error);
  if (output->fd >= 0) {
    output->owned = output->regular = true;
    SignalsGuard(name.c_str());
    return true;
  }
  if (error != EEXIST || !options.force) {
    Fail(run, name,
         error == EEXIST ? "already exists; not overwritten (-f overwrites)" : ErrorText(error));
  } else if (OpenReplacement(run, input, in, name, kind, mode, output)) {
    return true;
  }
  *output = Output{};
  return false;
}

void ReportFailure(Run *run, const StreamOutcome &outcome, const std::string &input,
                   const std::string &output) {
  switch (outcome.failure) {
    case kStreamOk:
      break;
    case kStreamReadFailed:
      Fail(run, Shown(input, false), "cannot be read: " + ErrorText(outcome.error));
      break;
    case kStreamWriteFailed:
      Fail(run, Shown(output, true), "cannot be written: " + ErrorText(outcome.error));
      break;
    case kStreamNoMemory:
      Fail(run, Shown(input, false), "out of memory");
      break;
    case kStreamFault: {
      char line[quillpack::kContainerFaultLineRoom];
      static_cast<void>(quillpack::ContainerFaultLine(outcome.fault, line));
      Fail(run, Shown(input, false), line + sizeof quillpack::kContainerFaultPrefix - 1);
      break;
    }
  }
}

void PrintListing(const char *size, const char *restored, const char *literals, const char *matches,
                  const std::string &name) {
  std::printf("%14s %14s %14s %14s  %s\n", size, restored, literals, matches,
              Printable(name).c_str());
}

void ListLine(uint64_t size, const StreamOutcome &o, const std::string &name) {
  std::string figures[4] = {std::to_string(size), std::to_string(o.restored),
                            std::to_string(o.restored - o.matched), std::to_string(o.matches)};
  PrintListing(figures[0].c_str(), figures[1].c_str(), figures[2].c_str(), figures[3].c_str(),
               name);
}

void Note(const Run *run, const std::string &name, const std::string &text) {
  if (run->options->verbose) Say(name, text);
}

std::string Percent(uint64_t part, uint64_t whole) {
  if (whole == 0) return "";
  char text[32];
  std::snprintf(text, sizeof text, " (%.1f%%)",
                100.0 * static_cast<double>(part) / static_cast<double>(whole));
  return text;
}

// Removes the input `input` (whose facts when opened are `in`) once `out` is complete: only
// a regular file, only when `out` keeps what was written, and only while the name still names
// the input as it was read, so that no byte written to it meanwhile is lost.
void RemoveInput(Run *run, const std::string &input, const FileFacts &in, const Output &out) {
  FileFacts now;
  int error = 0;
  if (!in.regular || !out.regular) {
    Fail(run, input,
         in.regular ? "not removed, as its output is not a regular file"
                    : "not removed, as it is not a regular file");
    return;
  }
  // A name that is gone, or names another file now, is left as it is.
  if (!SystemPathFacts(input.c_str(), &now, &error) || !SameFile(now, in)) return;
  if (now.size != in.size || now.modified_ns != in.modified_ns) {
    Fail(run, input, "changed while it was read; not removed");
  } else if (!SystemRemove(input.c_str(), &error)) {
    Fail(run, input, "cannot be removed: " + ErrorText(error));
  }
}

// Codes the input `input` (a path, or "-") to `output` (a path, "-", or "" for none).
void Code(Run *run, const std::string &input, const std::string &output) {
  const Options &options = *run->options;
  const bool packing = options.mode == kPack;
  const StreamKind in_kind = packing ? kRawBytes : kContainerText;
  const StreamKind out_kind = packing ? kContainerText : kRawBytes;
  FileFacts in{};
  int in_fd = kStandardInput;
  int error = 0;
  if (input == kStandardName) {
    SystemSetStreamKind(kStandardInput, in_kind);
    if (!SystemFacts(kStandardInput, &in)) in = FileFacts{};
  } else {
    in_fd = SystemOpenInput(input.c_str(), in_kind, &in, &error);
    if (in_fd < 0) {
      Fail(run, input, ErrorText(error));
      return;
    }
    if (in.folder) {
      static_cast<void>(SystemClose(in_fd, &error));
      Fail(run, input, "is a folder; ignored (-r goes into folders)");
      return;
    }
  }
  Output out;
  bool ok = output.empty() || OpenOutput(run, input, in, output, out_kind, &out);
  if (ok && packing && run->packer == nullptr) {
    unsigned threads = options.threads == 0 ? SystemProcessors() : options.threads;
    run->packer = PackerCreate(threads);
    if (run->packer == nullptr) {
      Fail(run, Shown(input, false), "out of memory");
      ok = false;
    }
  }
  StreamOutcome outcome;
  if (ok) {
    Progress progress;
    ProgressBegin(&progress, Shown(input, false), in.regular ? in.size : 0);
    outcome = packing ? PackStream(run->packer, in_fd, in.regular ? in.size : 0, out.fd, &progress)
                      : RestoreStream(in_fd, out.fd, &progress);
    ProgressEnd(&progress);
    ReportFailure(run, outcome, input, output);
    ok = outcome.failure == kStreamOk;
  }
  if (in_fd != kStandardInput) static_cast<void>(SystemClose(in_fd, &error));
  if (!ok) {
    if (out.fd >= 0) Discard(output, &out);
    return;
  }
  if (out.file) {
    // A device or a FIFO keeps its own permissions and times (/dev/null stays writable).
    if (out.regular && input != kStandardName) SystemCopyFacts(out.fd, in);
    const bool closed = SystemClose(out.fd, &error);
    out.fd = -1;
    if (!closed) {
      Fail(run, output, "cannot be written: " + ErrorText(error));
      Discard(output, &out);
      return;
    }
    if (!out.temporary.empty() && !SystemRename(out.temporary.c_str(), output.c_str(), &error)) {
      Fail(run, output, "cannot be replaced: " + ErrorText(error));
      Discard(output, &out);
      return;
    }
    SignalsGuard(nullptr);
  }
  const std::string name = Shown(input, false);
  switch (options.mode) {
    case kPack:
      Note(run, name,
           std::to_string(outcome.read) + " bytes packed into " + std::to_string(outcome.written) +
               " bytes of text" + Percent(outcome.written, outcome.read));
      break;
    case kRestore:
      Note(run, name,
           std::to_string(outcome.read) + " bytes of text restored to " +
               std::to_string(outcome.written) + " bytes");
      break;
    case kTest:
      Note(run, name, "OK, " + std::to_string(outcome.restored) + " bytes");
      break;
    case kList: {
      uint64_t size = in.regular ? in.size : outcome.read;
      ListLine(size, outcome, name);
      run->total_size += size;
      run->total.restored += outcome.restored;
      run->total.matched += outcome.matched;
      run->total.matches += outcome.matches;
      ++run->listed;
      break;
    }
  }
  if (options.remove_input && out.file && input != kStandardName) RemoveInput(run, input, in, out);
}

// One file, named on the command line or found in a folder (`found`).
void CodeFile(Run *run, const std::string &path, bool found) {
  const Options &options = *run->options;
  std::string output;
  if (options.mode == kPack) {
    if (HasSuffix(path) && !options.force) {
      if (!found) Fail(run, path, "already has the .qpk suffix; unchanged (-f packs it again)");
      return;
    }
    output = path + kSuffix;
  } else if (options.mode == kRestore) {
    if (HasSuffix(path)) {
      output = path.substr(0, path.size() - kSuffixLength);
    } else if (options.to_stdout || !options.output.empty()) {
      output = kStandardName;
    } else {
      if (!found) Fail(run, path, "has no .qpk suffix; not restored (-o or -c names an output)");
      return;
    }
  } else if (found && !HasSuffix(path)) {
    return;  // a test or a listing takes the containers a folder holds, not their originals
  }
  if (options.mode == kPack || options.mode == kRestore) {
    if (options.to_stdout) output = kStandardName;
    if (!options.output.empty()) output = options.output;
  }
  Code(run, path, output);
}

void CodeFolder(Run *run, const std::string &folder) {
  std::vector<std::string> names;
  int error = 0;
  if (!SystemListFolder(folder.c_str(), &names, &error)) {
    Fail(run, folder, ErrorText(error));
    return;
  }
  std::sort(names.begin(), names.end());
  for (const std::string &name : names) {
    std::string path = folder + "/" + name;
    FileFacts facts;
    // Links are not followed inside folders, so a walk never leaves the tree or loops.
    if (!SystemLinkFacts(path.c_str(), &facts, &error)) {
      Fail(run, path, ErrorText(error));
    } else if (facts.folder) {
      CodeFolder(run, path);
    } else if (facts.regular) {
      CodeFile(run, path, true);
    }
  }
}

void CodeArgument(Run *run, const std::string &argument) {
  if (argument == kStandardName) {
    std::string output = run->options->output.empty() ? kStandardName : run->options->output;
    Code(run, argument, run->options->mode == kTest || run->options->mode == kList ? "" : output);
    return;
  }
  FileFacts facts;
  int error = 0;
  if (!SystemPathFacts(argument.c_str(), &facts, &error)) {
    Fail(run, argument.empty() ? "''" : argument, ErrorText(error));  // a message names a file
  } else if (facts.folder && run->options->recursive) {
    std::string folder = argument;
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    CodeFolder(run, folder);
  } else if (facts.folder) {
    Fail(run, argument, "is a folder; ignored (-r goes into folders)");
  } else {
    CodeFile(run, argument, false);
  }
}

}  // namespace

int RunCommand(const std::vector<std::string> &arguments) {
  Options options;
  switch (ParseOptions(arguments, &options)) {
    case kDone:
      if (std::fflush(stdout) == 0) return kExitSuccess;
      Say("", kStandardOutputFailed);
      return kExitFailure;
    case kUsageError:
      return kExitUsage;
    case kRun:
      break;
  }
  ConsoleInit(!options.quiet && SystemIsTerminal(kStandardError));
  SignalsInstall();
  if (options.files.empty()) options.files.push_back(kStandardName);
  Run run{&options, nullptr, false, StreamOutcome{}, 0, 0};
  if (options.mode == kList) PrintListing("container", "restored", "literals", "matches", "name");
  for (const std::string &file : options.files) CodeArgument(&run, file);
  if (options.mode == kList && run.listed > 1) ListLine(run.total_size, run.total, "(total)");
  PackerDestroy(run.packer);
  if (std::fflush(stdout) != 0) {
    Say("", kStandardOutputFailed);
    run.failed = true;
  }
  return run.failed ? kExitFailure : kExitSuccess;
}

}  // namespace quillpack_command
