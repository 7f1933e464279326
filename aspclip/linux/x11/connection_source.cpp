#include "connection_source.h"

namespace aspclip {
namespace {

struct ConnectionSource {
  GSource source;
  Display* display;
  gpointer fd;
};

Display* DisplayOf(GSource* source) {
  return reinterpret_cast<ConnectionSource*>(source)->display;
}

gboolean Prepare(GSource* source, gint* timeout) {
  *timeout = -1;
  XFlush(DisplayOf(source));
  return XQLength(DisplayOf(source)) > 0;
}

gboolean Check(GSource* source) {
  return XQLength(DisplayOf(source)) > 0 ||
         g_source_query_unix_fd(source, reinterpret_cast<ConnectionSource*>(source)->fd) != 0;
}

gboolean Dispatch(GSource*, GSourceFunc handle, gpointer data) {
  return handle(data);
}

GSourceFuncs functions{Prepare, Check, Dispatch, nullptr, nullptr, nullptr};

}  // namespace

GSource* AttachConnectionSource(Display* display, GSourceFunc handle, gpointer data) {
  GSource* source = g_source_new(&functions, sizeof(ConnectionSource));
  auto* connection = reinterpret_cast<ConnectionSource*>(source);
  connection->display = display;
  connection->fd = g_source_add_unix_fd(source, ConnectionNumber(display),
                                        static_cast<GIOCondition>(G_IO_IN | G_IO_ERR | G_IO_HUP));
  g_source_set_callback(source, handle, data, nullptr);
  g_source_attach(source, nullptr);
  return source;
}

}  // namespace aspclip
