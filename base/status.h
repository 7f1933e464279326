// The one way an operation of the programs reports failure: a Status, which says why in words for
// the user.
#pragma once

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace aspclip {

class [[nodiscard]] Status {
 public:
  static Status Ok() { return Status(true, {}); }
  static Status Failed(std::string reason) { return Status(false, std::move(reason)); }
  // A failed system call: `what` could not be done, for the reason the system gives for `error`.
  static Status FromErrno(std::string_view what, int error = errno) {
    return Failed(std::string(what) + ": " + std::strerror(error));
  }

  bool ok() const { return ok_; }
  const std::string& reason() const { return reason_; }

 private:
  Status(bool ok, std::string reason) : ok_(ok), reason_(std::move(reason)) {}
  bool ok_;
  std::string reason_;
};

// Reading a program's input and writing its output fail in the same words wherever they fail.
inline Status CannotReadInput(int error = errno) {
  return Status::FromErrno("cannot read input", error);
}
inline Status CannotWriteOutput(int error = errno) {
  return Status::FromErrno("cannot write output", error);
}

// The failure as it befell `operand`, a file's name, which its message then names first; a
// failure of standard input or output has no name to give.
inline Status About(std::string_view operand, Status status) {
  if (status.ok() || operand.empty()) return status;
  return Status::Failed(std::string(operand) + ": " + status.reason());
}

}  // namespace aspclip
