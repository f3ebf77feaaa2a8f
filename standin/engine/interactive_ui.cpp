// The interactive user-interface side.
#include "standin/engine/interactive_ui.h"

#include <windowsx.h>

#include "codec/standard_method_codec.h"
#include "standin/engine/host_reply.h"
#include "standin/engine/text_conversion.h"

namespace standin {
namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;

constexpr char kWindowChannel[] = "quorvane/window";
constexpr char kCredentialChannel[] = "quorvane/credential";
constexpr char kSettingsChannel[] = "quorvane/settings";

constexpr COLORREF kTitleColor = RGB(0x2A, 0x2F, 0x38);
constexpr COLORREF kTextColor = RGB(0xE8, 0xEA, 0xED);
constexpr COLORREF kMutedColor = RGB(0x9A, 0xA0, 0xA6);
constexpr COLORREF kOnColor = RGB(0x3D, 0x8B, 0xFD);
constexpr COLORREF kOffColor = RGB(0x5F, 0x63, 0x68);
constexpr COLORREF kCloseHover = RGB(0xC4, 0x2B, 0x1C);
constexpr COLORREF kButtonColor = RGB(0x3C, 0x40, 0x48);

RECT ToRect(const Box& box) { return RECT{box.left, box.top, box.right, box.bottom}; }

void Fill(HDC dc, const Box& box, COLORREF color) {
  const GdiObject<HBRUSH> brush(CreateSolidBrush(color));
  const RECT rect = ToRect(box);
  FillRect(dc, &rect, brush.get());
}

void Text(HDC dc, const Box& box, const std::wstring& text, COLORREF color, UINT format) {
  RECT rect = ToRect(box);
  SetTextColor(dc, color);
  DrawTextW(dc, text.c_str(), -1, &rect, format | DT_SINGLELINE | DT_NOPREFIX);
}

void RoundBox(HDC dc, const Box& box, COLORREF fill, int radius) {
  const GdiObject<HBRUSH> brush(CreateSolidBrush(fill));
  const GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, fill));
  const ScopedSelect select_brush(dc, brush.get());
  const ScopedSelect select_pen(dc, pen.get());
  RoundRect(dc, box.left, box.top, box.right, box.bottom, radius, radius);
}

// The caption glyphs, drawn with lines so that no symbol font is needed.
void CaptionGlyph(HDC dc, const Box& box, Control control, bool maximized, UINT dpi) {
  const int size = MulDiv(10, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
  const int x = box.left + (box.Width() - size) / 2;
  const int y = box.top + (box.Height() - size) / 2;
  const GdiObject<HPEN> pen(CreatePen(PS_SOLID, std::max(1, size / 10), kTextColor));
  const ScopedSelect select_pen(dc, pen.get());
  const ScopedSelect select_brush(dc, GetStockObject(NULL_BRUSH));
  switch (control) {
    case Control::kMinimize:
      MoveToEx(dc, x, y + size / 2, nullptr);
      LineTo(dc, x + size, y + size / 2);
      break;
    case Control::kMaximize:
      if (maximized) {
        const int offset = size / 4;
        Rectangle(dc, x, y + offset, x + size - offset, y + size);
        MoveToEx(dc, x + offset, y + offset, nullptr);
        LineTo(dc, x + offset, y);
        LineTo(dc, x + size, y);
        LineTo(dc, x + size, y + size - offset);
        LineTo(dc, x + size - offset, y + size - offset);
      } else {
        Rectangle(dc, x, y, x + size, y + size);
      }
      break;
    case Control::kClose:
      MoveToEx(dc, x, y, nullptr);
      LineTo(dc, x + size + 1, y + size + 1);
      MoveToEx(dc, x + size, y, nullptr);
      LineTo(dc, x - 1, y + size + 1);
      break;
    default:
      break;
  }
}

std::wstring ReadFieldText(HWND field) {
  const int length = GetWindowTextLengthW(field);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(field, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

}  // namespace

InteractiveUi::InteractiveUi(UiHost& host)
    : host_(host),
      settings_{{
          {"isLaunchAtLoginEnabled", "setLaunchAtLogin", L"Launch at login", std::nullopt},
          {"isCloseToTrayEnabled", "setCloseToTrayEnabled", L"Close to tray", std::nullopt},
          {"isSystemNotificationsEnabled", "setSystemNotificationsEnabled", L"System notifications",
           std::nullopt},
      }} {
  token_field_ =
      CreateWindowExW(0, L"EDIT", L"",
                      WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
                      0, 0, 0, 0, host_.ViewWindow(), nullptr, nullptr, nullptr);
  PlaceTokenField();
}

void InteractiveUi::Start() {
  last_reply_ = "Ready";
  for (size_t i = 0; i < settings_.size(); ++i) ReadSetting(i);
  host_.Redraw();
}

void InteractiveUi::Call(const char* channel, const std::string& method, const EncodableValue& args,
                         std::function<void(const EncodableValue&)> on_success) {
  host_.CallHost(channel, method, args,
                 [this, channel = std::string(channel), method, on_success](const uint8_t* bytes,
                                                                            size_t size) {
                   const HostReply reply = HostReply::Decode(bytes, size);
                   host_.Log().Write(reply.ToEvent(channel, method));
                   last_reply_ = method + ": " + reply.Summary();
                   if (reply.kind == HostReply::Kind::kSuccess && on_success) {
                     on_success(reply.value);
                   }
                   host_.Redraw();
                 });
}

void InteractiveUi::ReadSetting(size_t index) {
  Call(kSettingsChannel, settings_[index].read_method, EncodableValue(),
       [this, index](const EncodableValue& value) {
         const bool* enabled = value.GetIf<bool>();
         settings_[index].enabled =
             enabled != nullptr ? std::optional<bool>(*enabled) : std::nullopt;
       });
}

void InteractiveUi::ToggleSetting(size_t index) {
  const std::optional<bool> current = settings_[index].enabled;
  if (!current) {
    ReadSetting(index);
    return;
  }
  const EncodableValue args(EncodableMap{{EncodableValue("enabled"), EncodableValue(!*current)}});
  Call(kSettingsChannel, settings_[index].write_method, args,
       [this, index](const EncodableValue&) { ReadSetting(index); });
}

void InteractiveUi::SaveToken() {
  const std::string token = Utf16ToUtf8(ReadFieldText(token_field_).c_str());
  const EncodableValue args(EncodableMap{{EncodableValue("token"), EncodableValue(token)}});
  // The field is emptied once the token is stored, so it does not linger on screen.
  Call(kCredentialChannel, "writeCodexToken", args,
       [this](const EncodableValue&) { SetWindowTextW(token_field_, L""); });
}

void InteractiveUi::OnClick(Control control) {
  switch (control) {
    case Control::kTitleBar:
      Call(kWindowChannel, "beginDrag", EncodableValue());
      break;
    case Control::kMinimize:
      Call(kWindowChannel, "minimize", EncodableValue());
      break;
    case Control::kMaximize:
      Call(kWindowChannel, "toggleMaximize", EncodableValue());
      break;
    case Control::kClose:
      // As Alt+F4 would: the host decides between hiding and asking us.
      if (const HWND window = host_.TopLevelWindow()) PostMessageW(window, WM_CLOSE, 0, 0);
      break;
    case Control::kLaunchAtLogin:
      ToggleSetting(0);
      break;
    case Control::kCloseToTray:
      ToggleSetting(1);
      break;
    case Control::kNotifications:
      ToggleSetting(2);
      break;
    case Control::kSaveToken:
      SaveToken();
      break;
    case Control::kClearToken:
      Call(kCredentialChannel, "deleteCodexToken", EncodableValue());
      break;
    case Control::kNone:
      break;
  }
}

std::vector<uint8_t> InteractiveUi::OnHostCall(const std::string& channel,
                                               const flutter::MethodCall<>& call) {
  if (channel != kWindowChannel || call.MethodName() != "closeRequested") return {};
  // The real interface may ask the user first; this one always agrees.
  Call(kWindowChannel, "close", EncodableValue());
  return *flutter::StandardMethodCodec::GetInstance().EncodeSuccessEnvelope();
}

InteractiveLayout InteractiveUi::CurrentLayout() const {
  RECT client = {};
  GetClientRect(host_.ViewWindow(), &client);
  const UINT dpi = GetDpiForWindow(host_.ViewWindow());
  return InteractiveLayout::Compute(client.right, client.bottom,
                                    dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI);
}

void InteractiveUi::PlaceTokenField() {
  if (token_field_ == nullptr) return;
  const UINT dpi = GetDpiForWindow(host_.ViewWindow());
  const UINT effective_dpi = dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
  if (effective_dpi != field_font_dpi_) {
    field_font_.Reset(CreateUiFont(15, effective_dpi));
    field_font_dpi_ = effective_dpi;
    SendMessageW(token_field_, WM_SETFONT, reinterpret_cast<WPARAM>(field_font_.get()), TRUE);
  }
  const Box box = CurrentLayout().token_field;
  MoveWindow(token_field_, box.left, box.top, box.Width(), box.Height(), TRUE);
}

void InteractiveUi::Paint(HDC dc, const RECT& client, UINT dpi) {
  const InteractiveLayout layout = InteractiveLayout::Compute(client.right, client.bottom, dpi);
  const GdiObject<HFONT> title_font(CreateUiFont(14, dpi, true));
  const GdiObject<HFONT> body_font(CreateUiFont(14, dpi));
  const int padding = MulDiv(16, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
  SetBkMode(dc, TRANSPARENT);

  Fill(dc, layout.title_bar, kTitleColor);
  Box title_text = layout.title_bar;
  title_text.left += padding;
  title_text.right = layout.minimize.left;
  {
    const ScopedSelect select(dc, title_font.get());
    Text(dc, title_text, L"Quorvane AI \u2014 stand-in", kTextColor, DT_VCENTER | DT_END_ELLIPSIS);
  }
  const HWND top_level = host_.TopLevelWindow();
  const bool maximized = top_level != nullptr && IsZoomed(top_level);
  Fill(dc, layout.close, kCloseHover);
  CaptionGlyph(dc, layout.minimize, Control::kMinimize, maximized, dpi);
  CaptionGlyph(dc, layout.maximize, Control::kMaximize, maximized, dpi);
  CaptionGlyph(dc, layout.close, Control::kClose, maximized, dpi);

  const ScopedSelect select(dc, body_font.get());
  for (size_t i = 0; i < settings_.size(); ++i) {
    const Setting& setting = settings_[i];
    Text(dc, layout.switch_rows[i], setting.label, kTextColor, DT_VCENTER | DT_LEFT);
    const Box& track = layout.switches[i];
    Box state = layout.switch_rows[i];
    state.right = track.left - padding / 2;
    Text(dc, state, !setting.enabled ? L"unknown" : (*setting.enabled ? L"on" : L"off"),
         kMutedColor, DT_VCENTER | DT_RIGHT);
    const bool on = setting.enabled.value_or(false);
    RoundBox(dc, track, setting.enabled ? (on ? kOnColor : kOffColor) : kButtonColor,
             track.Height());
    const int inset = std::max(2, track.Height() / 8);
    const int knob = track.Height() - 2 * inset;
    const int knob_left = on ? track.right - inset - knob : track.left + inset;
    RoundBox(dc, {knob_left, track.top + inset, knob_left + knob, track.top + inset + knob},
             setting.enabled ? kTextColor : kMutedColor, knob);
  }

  Text(dc, layout.token_label, L"Codex access token", kMutedColor, DT_BOTTOM | DT_LEFT);
  RoundBox(dc, layout.save_token, kOnColor, padding / 2);
  Text(dc, layout.save_token, L"Save", kTextColor, DT_VCENTER | DT_CENTER);
  RoundBox(dc, layout.clear_token, kButtonColor, padding / 2);
  Text(dc, layout.clear_token, L"Clear", kTextColor, DT_VCENTER | DT_CENTER);

  Text(dc, layout.status, Utf8ToUtf16("Last reply: " + last_reply_), kMutedColor,
       DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS);
}

bool InteractiveUi::HandleViewMessage(UINT message, WPARAM, LPARAM lparam, LRESULT* result) {
  switch (message) {
    case WM_LBUTTONDOWN: {
      const Control control = CurrentLayout().HitTest(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      if (control != Control::kTitleBar) SetFocus(host_.ViewWindow());
      OnClick(control);
      *result = 0;
      return true;
    }
    case WM_LBUTTONDBLCLK:
      if (CurrentLayout().HitTest(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)) ==
          Control::kTitleBar) {
        Call(kWindowChannel, "toggleMaximize", EncodableValue());
      }
      *result = 0;
      return true;
    case WM_SIZE:
    case WM_DPICHANGED_AFTERPARENT:
      PlaceTokenField();
      *result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace standin
