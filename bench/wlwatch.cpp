// wlwatch COMMAND...: starts COMMAND and prints how many milliseconds pass until the Wayland
// compositor (through data control) tells of a new clipboard selection, then exits and leaves
// COMMAND running, its output sent to /dev/null. The Wayland counterpart of clipwatch.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "aspclip/linux/wayland/protocol.h"

namespace {

struct Watch {
  wl_proxy* seat = nullptr;
  wl_proxy* manager = nullptr;
  const aspclip::DataControlProtocol* protocol = nullptr;
  int selections = 0;
};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto* watch = static_cast<Watch*>(data);
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && watch->seat == nullptr) {
    watch->seat = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  }
  for (const aspclip::DataControlProtocol& protocol : aspclip::kDataControlProtocols) {
    if (watch->manager != nullptr || std::strcmp(interface, protocol.manager->name) != 0) continue;
    watch->protocol = &protocol;
    watch->manager = static_cast<wl_proxy*>(
        wl_registry_bind(registry, name, protocol.manager, aspclip::kDataControlVersion));
  }
}
void GlobalRemoved(void*, wl_registry*, uint32_t) {}
void DataOffer(void*, ext_data_control_device_v1*, ext_data_control_offer_v1*) {}
void Selection(void* data, ext_data_control_device_v1*, ext_data_control_offer_v1*) {
  ++static_cast<Watch*>(data)->selections;
}
void Finished(void*, ext_data_control_device_v1*) {}
void PrimarySelection(void*, ext_data_control_device_v1*, ext_data_control_offer_v1*) {}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: wlwatch COMMAND [ARGUMENT...]\n");
    return 2;
  }
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "wlwatch: no Wayland compositor\n");
    return 2;
  }
  Watch watch;
  static constexpr wl_registry_listener kRegistry{Global, GlobalRemoved};
  wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, &watch);
  wl_display_roundtrip(display);
  if (watch.manager == nullptr || watch.seat == nullptr) {
    std::fprintf(stderr, "wlwatch: the compositor offers no data control\n");
    return 2;
  }
  static constexpr ext_data_control_device_v1_listener kDevice{DataOffer, Selection, Finished,
                                                               PrimarySelection};
  aspclip::Listen(aspclip::GetDataDevice(*watch.protocol, watch.manager, watch.seat), kDevice,
                  &watch);
  wl_display_roundtrip(display);  // the selection there is now
  const int before = watch.selections;
  const auto start = std::chrono::steady_clock::now();
  if (fork() == 0) {
    close(wl_display_get_fd(display));
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  while (watch.selections == before) {
    if (wl_display_dispatch(display) < 0) return 1;
  }
  const std::chrono::duration<double, std::milli> elapsed =
      std::chrono::steady_clock::now() - start;
  std::printf("%.1f\n", elapsed.count());
  return 0;
}
