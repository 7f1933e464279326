#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include "files.h"

namespace aspconv {

int OpenExisting(const std::filesystem::path& path, int access) {
  return _wopen(path.c_str(), access | _O_BINARY);
}

int CreateNew(const std::filesystem::path& path) {
  return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

int ProcessId() {
  static const int id = _getpid();
  return id;
}

aspclip::Status KeepMode(const std::filesystem::path&, int) {
  return aspclip::Status::Ok();
}

}  // namespace aspconv
