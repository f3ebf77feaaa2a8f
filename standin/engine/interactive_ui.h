// The interactive user-interface side: a small GDI interface in the view that
// drives the host's window, settings and credential channels.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "standin/engine/gdi_object.h"
#include "standin/engine/interactive_layout.h"
#include "standin/engine/ui_client.h"

namespace standin {

class InteractiveUi : public UiClient {
 public:
  explicit InteractiveUi(UiHost& host);

  void Start() override;
  std::vector<uint8_t> OnHostCall(const std::string& channel,
                                  const flutter::MethodCall<>& call) override;
  void Paint(HDC dc, const RECT& client, UINT dpi) override;
  bool HandleViewMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;

 private:
  struct Setting {
    const char* read_method;
    const char* write_method;
    const wchar_t* label;
    std::optional<bool> enabled;  // unknown until read
  };

  /// Calls a method and shows its outcome; on_success runs after a success.
  void Call(const char* channel, const std::string& method, const flutter::EncodableValue& args,
            std::function<void(const flutter::EncodableValue&)> on_success = nullptr);
  void ReadSetting(size_t index);
  void ToggleSetting(size_t index);
  void SaveToken();
  void OnClick(Control control);
  /// Fits the token field to the layout and the DPI.
  void PlaceTokenField();
  InteractiveLayout CurrentLayout() const;

  UiHost& host_;
  std::array<Setting, 3> settings_;
  HWND token_field_ = nullptr;  // a child of the view, destroyed with it
  GdiObject<HFONT> field_font_;
  UINT field_font_dpi_ = 0;
  std::string last_reply_ = "Waiting for the first frame";
};

}  // namespace standin
