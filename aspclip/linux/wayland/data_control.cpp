#include "data_control.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "aspclip/clipboard_run.h"
#include "offer.h"
#include "protocol.h"
#include "text_source.h"

namespace aspclip {
namespace {

Status LostCompositor() {
  return Status::Failed("lost the connection to the Wayland compositor");
}

}  // namespace

struct DataControlClipboard::Events {
  static void Global(void* self, wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t) {
    auto* clipboard = static_cast<DataControlClipboard*>(self);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && clipboard->seat_ == nullptr) {
      clipboard->seat_ =
          static_cast<wl_proxy*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    }
    for (const DataControlProtocol& protocol : kDataControlProtocols) {
      const bool preferred = clipboard->protocol_ == nullptr || &protocol < clipboard->protocol_;
      if (std::strcmp(interface, protocol.manager->name) != 0 || !preferred) continue;
      if (clipboard->manager_ != nullptr) {
        DestroyObject(clipboard->manager_, EXT_DATA_CONTROL_MANAGER_V1_DESTROY);
      }
      clipboard->protocol_ = &protocol;
      clipboard->manager_ = static_cast<wl_proxy*>(
          wl_registry_bind(registry, name, protocol.manager, kDataControlVersion));
    }
  }
  static void GlobalRemoved(void*, wl_registry*, uint32_t) {}

  static void OfferedType(void* offer, ext_data_control_offer_v1*, const char* type) {
    static_cast<Offer*>(offer)->types.emplace_back(type);
  }

  static void DataOffer(void*, ext_data_control_device_v1*, ext_data_control_offer_v1* id) {
    static constexpr ext_data_control_offer_v1_listener kListener{OfferedType};
    auto* proxy = reinterpret_cast<wl_proxy*>(id);
    Listen(proxy, kListener, new Offer{proxy, {}});
  }
  static void Selection(void* self, ext_data_control_device_v1*, ext_data_control_offer_v1* id) {
    static_cast<DataControlClipboard*>(self)->ReplaceSelection(OfferOf(id));
  }
  // The device is gone (its seat was removed): nothing more can be read or served through it.
  static void Finished(void* self, ext_data_control_device_v1*) {
    static_cast<DataControlClipboard*>(self)->Replaced();
  }
  // The primary selection is left alone: its offer is dropped as it comes.
  static void PrimarySelection(void*, ext_data_control_device_v1*, ext_data_control_offer_v1* id) {
    Drop(OfferOf(id));
  }

  static Offer* OfferOf(ext_data_control_offer_v1* id) {
    return id != nullptr
               ? static_cast<Offer*>(wl_proxy_get_user_data(reinterpret_cast<wl_proxy*>(id)))
               : nullptr;
  }
  static void Drop(Offer* offer) {
    if (offer == nullptr) return;
    DestroyObject(offer->proxy, EXT_DATA_CONTROL_OFFER_V1_DESTROY);
    delete offer;
  }
};

std::unique_ptr<DataControlClipboard> DataControlClipboard::Connect() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (name == nullptr || *name == '\0') return nullptr;
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return nullptr;
  std::unique_ptr<DataControlClipboard> clipboard(new DataControlClipboard(display, name));
  if (!clipboard->FindGlobals()) return nullptr;
  clipboard->WatchConnection();
  return clipboard;
}

DataControlClipboard::DataControlClipboard(wl_display* display, std::string displayName)
    : display_(display), displayName_(std::move(displayName)) {}

DataControlClipboard::~DataControlClipboard() {
  if (watch_ != 0) g_source_remove(watch_);
  source_.reset();
  Events::Drop(selection_);
  wl_display_disconnect(display_);
}

// The seat and the data-control manager, and the seat's device with the clipboard's offer.
bool DataControlClipboard::FindGlobals() {
  static constexpr wl_registry_listener kRegistryListener{Events::Global, Events::GlobalRemoved};
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &kRegistryListener, this);
  if (wl_display_roundtrip(display_) < 0 || manager_ == nullptr || seat_ == nullptr) return false;
  static constexpr ext_data_control_device_v1_listener kDeviceListener{
      Events::DataOffer, Events::Selection, Events::Finished, Events::PrimarySelection};
  device_ = GetDataDevice(*protocol_, manager_, seat_);
  Listen(device_, kDeviceListener, this);
  return wl_display_roundtrip(display_) >= 0;
}

// The compositor's events are handled in GLib's main loop: those of readers of the code, while the
// box shows and after.
void DataControlClipboard::WatchConnection() {
  const auto dispatch = [](int, GIOCondition, gpointer self) -> gboolean {
    auto* clipboard = static_cast<DataControlClipboard*>(self);
    if (wl_display_dispatch(clipboard->display_) < 0 || wl_display_flush(clipboard->display_) < 0) {
      clipboard->watch_ = 0;
      clipboard->Replaced();
      return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
  };
  watch_ = g_unix_fd_add(wl_display_get_fd(display_),
                         static_cast<GIOCondition>(G_IO_IN | G_IO_ERR | G_IO_HUP), dispatch, this);
}

void DataControlClipboard::ReplaceSelection(Offer* offer) {
  Events::Drop(selection_);
  selection_ = offer;
}

void DataControlClipboard::Replaced() {
  if (source_ != nullptr) source_->Cancel();
  if (replaced_) replaced_();
}

std::string DataControlClipboard::TextType() const {
  return selection_ == nullptr ? std::string() : BestTextType(selection_->types);
}

Status DataControlClipboard::Read(const std::string& type, std::string& bytes) {
  if (selection_ == nullptr) return Status::Failed("the clipboard has no content");
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return Status::FromErrno("cannot make a pipe");
  Receive(selection_->proxy, type.c_str(), pipeEnds[1]);  // libwayland sends a copy of the end
  close(pipeEnds[1]);
  if (wl_display_flush(display_) < 0) {
    close(pipeEnds[0]);
    return LostCompositor();
  }
  Status read = ReadOwnersPipe(pipeEnds[0], bytes);
  close(pipeEnds[0]);
  return read;
}

Status DataControlClipboard::Own(std::string text) {
  wl_proxy* source = CreateDataSource(*protocol_, manager_);
  source_ = std::make_unique<TextSource>(source, std::move(text), [this] { Replaced(); });
  SetSelection(device_, source);
  return wl_display_flush(display_) < 0 ? LostCompositor() : Status::Ok();
}

bool DataControlClipboard::Owns() const {
  return source_ != nullptr && source_->Owned();
}

bool DataControlClipboard::Serving() const {
  return source_ != nullptr && source_->Serving();
}

}  // namespace aspclip
