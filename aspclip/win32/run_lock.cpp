#include "aspclip/run_lock.h"

#include <windows.h>

#include <cstring>

namespace aspclip {
namespace {

// Named in the session's own namespace: another session, or another user's, has its own.
constexpr const wchar_t* kMutexName = L"Local\\aspclip-run";
constexpr const wchar_t* kBoxName = L"Local\\aspclip-box";

}  // namespace

// The mutex is the lock; the box is published in memory of the session that the lock's holder
// keeps, which is gone when it ends.
struct RunLock::Held {
  HANDLE mutex = nullptr;
  bool owned = false;
  HANDLE box = nullptr;
};

RunLock::RunLock(const std::string&) : held_(std::make_unique<Held>()) {
  held_->mutex = CreateMutexW(nullptr, FALSE, kMutexName);
}

RunLock::~RunLock() {
  Release();
  if (held_->mutex != nullptr) CloseHandle(held_->mutex);
}

bool RunLock::TryTake() {
  const DWORD waited = held_->mutex != nullptr ? WaitForSingleObject(held_->mutex, 0) : WAIT_FAILED;
  held_->owned = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  return waited != WAIT_TIMEOUT;
}

void RunLock::PublishBox(std::uintptr_t box) {
  if (!held_->owned) return;
  if (held_->box == nullptr) {
    held_->box =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof box, kBoxName);
  }
  // A box that cannot be published is only not raised by a second start.
  void* view =
      held_->box != nullptr ? MapViewOfFile(held_->box, FILE_MAP_WRITE, 0, 0, sizeof box) : nullptr;
  if (view == nullptr) return;
  std::memcpy(view, &box, sizeof box);
  UnmapViewOfFile(view);
}

std::uintptr_t RunLock::PublishedBox() const {
  std::uintptr_t box = 0;
  HANDLE published = OpenFileMappingW(FILE_MAP_READ, FALSE, kBoxName);
  if (published == nullptr) return 0;
  if (const void* view = MapViewOfFile(published, FILE_MAP_READ, 0, 0, sizeof box)) {
    std::memcpy(&box, view, sizeof box);
    UnmapViewOfFile(view);
  }
  CloseHandle(published);
  return box;
}

void RunLock::Release() {
  if (held_->box != nullptr) CloseHandle(held_->box);
  held_->box = nullptr;
  if (held_->owned) ReleaseMutex(held_->mutex);
  held_->owned = false;
}

}  // namespace aspclip
