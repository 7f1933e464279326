// The two data-control protocols as one. Each is a table of its interfaces; their requests and
// events are the same, in the same order, so the requests are named once, by the standard
// protocol's numbers, and each listener is declared once, as the standard protocol's.
#pragma once

#include <wayland-client.h>

#include "ext-data-control-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace aspclip {

struct DataControlProtocol {
  const wl_interface* manager;
  const wl_interface* device;
  const wl_interface* source;
  const wl_interface* offer;
};

// Preferred first. Version 1 of either has all that this program uses.
inline constexpr DataControlProtocol kDataControlProtocols[] = {
    {&ext_data_control_manager_v1_interface, &ext_data_control_device_v1_interface,
     &ext_data_control_source_v1_interface, &ext_data_control_offer_v1_interface},
    {&zwlr_data_control_manager_v1_interface, &zwlr_data_control_device_v1_interface,
     &zwlr_data_control_source_v1_interface, &zwlr_data_control_offer_v1_interface},
};
inline constexpr uint32_t kDataControlVersion = 1;

static_assert(EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE ==
              ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE);
static_assert(EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE ==
              ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE);
static_assert(EXT_DATA_CONTROL_MANAGER_V1_DESTROY == ZWLR_DATA_CONTROL_MANAGER_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION ==
              ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_DESTROY == ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_SOURCE_V1_OFFER == ZWLR_DATA_CONTROL_SOURCE_V1_OFFER);
static_assert(EXT_DATA_CONTROL_SOURCE_V1_DESTROY == ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_OFFER_V1_RECEIVE == ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE);
static_assert(EXT_DATA_CONTROL_OFFER_V1_DESTROY == ZWLR_DATA_CONTROL_OFFER_V1_DESTROY);
static_assert(sizeof(ext_data_control_device_v1_listener) ==
              sizeof(zwlr_data_control_device_v1_listener));
static_assert(sizeof(ext_data_control_source_v1_listener) ==
              sizeof(zwlr_data_control_source_v1_listener));
static_assert(sizeof(ext_data_control_offer_v1_listener) ==
              sizeof(zwlr_data_control_offer_v1_listener));

inline wl_proxy* CreateDataSource(const DataControlProtocol& protocol, wl_proxy* manager) {
  return wl_proxy_marshal_flags(manager, EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE,
                                protocol.source, wl_proxy_get_version(manager), 0, nullptr);
}

inline wl_proxy* GetDataDevice(const DataControlProtocol& protocol, wl_proxy* manager,
                               wl_proxy* seat) {
  return wl_proxy_marshal_flags(manager, EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE,
                                protocol.device, wl_proxy_get_version(manager), 0, nullptr, seat);
}

// Every interface of both protocols has its destructor request.
inline void DestroyObject(wl_proxy* object, uint32_t destroyRequest) {
  wl_proxy_marshal_flags(object, destroyRequest, nullptr, wl_proxy_get_version(object),
                         WL_MARSHAL_FLAG_DESTROY);
}

inline void SetSelection(wl_proxy* device, wl_proxy* source) {
  wl_proxy_marshal_flags(device, EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION, nullptr,
                         wl_proxy_get_version(device), 0, source);
}

inline void OfferType(wl_proxy* source, const char* type) {
  wl_proxy_marshal_flags(source, EXT_DATA_CONTROL_SOURCE_V1_OFFER, nullptr,
                         wl_proxy_get_version(source), 0, type);
}

inline void Receive(wl_proxy* offer, const char* type, int fd) {
  wl_proxy_marshal_flags(offer, EXT_DATA_CONTROL_OFFER_V1_RECEIVE, nullptr,
                         wl_proxy_get_version(offer), 0, type, fd);
}

template <typename Listener>
void Listen(wl_proxy* object, const Listener& listener, void* data) {
  wl_proxy_add_listener(object, reinterpret_cast<void (**)(void)>(const_cast<Listener*>(&listener)),
                        data);
}

}  // namespace aspclip
