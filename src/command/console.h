// What the command tells its user on standard error: message lines and the progress line.
#pragma once

#include <cstdint>
#include <string>

namespace quillpack_command {

// The program's name at the head of every message.
inline constexpr char kProgram[] = "quillpack";

// Whether the progress line may be drawn: only when standard error is a terminal and the
// user did not ask for quiet.
void ConsoleInit(bool progress_allowed);

// `text` with each control character (C0, DEL, and C1 and the line and paragraph separators
// in UTF-8) as one '?', so that a name or an argument shown in a line can neither break it
// nor forge another.
[[nodiscard]] std::string Printable(const std::string &text);

// One line on standard error, "quillpack: NAME: TEXT" (or "quillpack: TEXT" when `name` is
// empty), written with one call after the progress line, if any, is cleared. NAME and TEXT
// are shown Printable: a file name or an argument quoted in TEXT stays on the line.
void Say(const std::string &name, const std::string &text);

// The progress of one file: its name, the bytes it holds (0 when not known) and when it began.
struct Progress {
  std::string name;
  uint64_t total;
  int64_t started_ns;
  int64_t drawn_ns;  // when the line was last drawn, or 0 when it is not shown
};

// Begins the progress of the file `name` of `total` bytes (0: not known).
void ProgressBegin(Progress *progress, const std::string &name, uint64_t total);

// Tells that `done` bytes of the file are through. Draws the line, at most a few times a
// second, once the file has taken half a second or when it is large: the percent done (when
// the size is known), the bytes and the speed.
void ProgressUpdate(Progress *progress, uint64_t done);

// Clears the line, when it is shown.
void ProgressEnd(Progress *progress);

}  // namespace quillpack_command
