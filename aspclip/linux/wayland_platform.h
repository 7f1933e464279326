// The clipboard of a Wayland compositor that offers data control, with GTK's message box on its
// Wayland backend.
#pragma once

#include <string>

#include "aspclip/linux/wayland/data_control.h"
#include "desktop_platform.h"

namespace aspclip {

class WaylandPlatform final : public DesktopPlatform {
 public:
  // `startGtk` starts GTK on its Wayland backend, before the first box.
  WaylandPlatform(DataControlClipboard& clipboard, std::function<Status()> startGtk);

  Status AskForText(bool& holdsText) override;
  Status ReadText(std::string& page) override;
  Status PutPreparedText() override;

  bool OwnsClipboard() const override { return clipboard_.Owns(); }
  void ServeUntilReplaced() override;

 private:
  DataControlClipboard& clipboard_;
  std::string textType_;
};

}  // namespace aspclip
