#include "platform/SdlPlatform.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/BitmapFile.h"
#include "platform/SdlKeyTable.h"

namespace tessaloop {

namespace {

// The display refresh assumed where there is none to wait for.
constexpr uint32_t kHeadlessFrameMilliseconds = 16;

// DirectInput's unit of wheel motion: one notch.
constexpr int32_t kWheelNotch = 120;

bool SameName(const char* a, const char* b) {
  return SDL_strcasecmp(a, b) == 0;
}

// SDL's drivers that open no window anyone can see. SDL2 falls back to the
// first of them by itself when there is no display, so getting one unasked
// means there is nothing to show the program on.
bool DrawsNowhere(const char* driver) {
  return SameName(driver, "offscreen") || SameName(driver, "dummy") || SameName(driver, "evdev");
}

std::string NoDisplayReason() {
  const char* x11 = SDL_getenv("DISPLAY");
  const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
  if ((x11 == nullptr || *x11 == '\0') && (wayland == nullptr || *wayland == '\0'))
    return "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); start Tessaloop "
           "from a desktop session";
  std::string reason = "no display could be opened (";
  if (x11 != nullptr && *x11 != '\0') reason += std::string("DISPLAY=") + x11;
  if (wayland != nullptr && *wayland != '\0') {
    if (reason.back() != '(') reason += ", ";
    reason += std::string("WAYLAND_DISPLAY=") + wayland;
  }
  reason += "); check that the desktop session is running and that you may use it";
  return reason;
}

}  // namespace

bool VideoDriverRequested(const char* requested, const char* driver) {
  if (requested == nullptr || driver == nullptr || *driver == '\0') return false;
  const size_t length = std::strlen(driver);
  for (const char* p = requested; *p != '\0';) {
    const char* end = std::strchr(p, ',');
    const size_t n = end != nullptr ? static_cast<size_t>(end - p) : std::strlen(p);
    if (n == length && SDL_strncasecmp(p, driver, n) == 0) return true;
    if (end == nullptr) break;
    p = end + 1;
  }
  return false;
}

SdlPlatform::~SdlPlatform() {
  DestroyWindow();
  if (m_VideoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  SDL_Quit();
}

bool SdlPlatform::StartVideo() {
  if (m_VideoStarted) return true;
  // One close request per close: without this SDL follows the window's close
  // request with a quit event of its own.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // The back buffer's pixels, never smoothed when it is scaled.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    m_Error = std::string("no video driver could start (") + SDL_GetError() + ")";
    return false;
  }
  m_VideoStarted = true;

  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) driver = "";
  m_Headless = DrawsNowhere(driver);
  if (m_Headless && !VideoDriverRequested(SDL_GetHint(SDL_HINT_VIDEODRIVER), driver)) {
    m_Error = NoDisplayReason() + " [SDL video driver '" + driver + "']";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    m_VideoStarted = false;
    return false;
  }

  // The program reads the keyboard and mouse as states once a frame; events
  // that only repeat those states would merely lengthen the queue. Presses
  // stay, so that one shorter than a frame is still seen.
  for (const Uint32 type :
       {SDL_MOUSEMOTION, SDL_MOUSEBUTTONUP, SDL_KEYUP, SDL_TEXTINPUT, SDL_TEXTEDITING}) {
    SDL_EventState(type, SDL_IGNORE);
  }
  SDL_StopTextInput();
  return true;
}

bool SdlPlatform::CreateMainWindow(const WindowSettings& settings) {
  if (m_Window != nullptr) return true;
  m_Error.clear();
  if (!StartVideo()) return false;

  Uint32 flags = SDL_WINDOW_HIDDEN;
  int x = SDL_WINDOWPOS_CENTERED;
  int y = SDL_WINDOWPOS_CENTERED;
  int width = settings.width;
  int height = settings.height;
  if (settings.fullScreen) {
    // Made as large as the screen from the start: a window manager then only
    // takes its frame away, and where none runs (nobody to ask for a
    // full-screen state) the window covers the screen all the same, rather
    // than keep the picture's size while the picture is scaled for the screen.
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    SDL_Rect screen;
    if (SDL_GetDisplayBounds(0, &screen) == 0 && screen.w > 0 && screen.h > 0) {
      x = screen.x;
      y = screen.y;
      width = screen.w;
      height = screen.h;
    }
  } else {
    flags |= SDL_WINDOW_RESIZABLE;
    // On a screen too small for the picture the window starts as large as
    // fits, keeping the picture's shape, rather than reach past the screen.
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0 &&
        (usable.w < width || usable.h < height)) {
      const double scale =
          std::min(static_cast<double>(usable.w) / width, static_cast<double>(usable.h) / height);
      width = std::max(1, static_cast<int>(width * scale));
      height = std::max(1, static_cast<int>(height * scale));
    }
  }
  m_Window = SDL_CreateWindow(settings.title, x, y, width, height, flags);
  if (m_Window == nullptr) {
    m_Error = std::string("the window could not be made (") + SDL_GetError() + ")";
    return false;
  }
  if (!CreateRenderer()) {
    DestroyWindow();
    return false;
  }
  // The picture keeps its shape whatever the window's size: scaled to fit,
  // bordered in black.
  SDL_RenderSetLogicalSize(m_Renderer, settings.width, settings.height);
  m_QuitPending = false;
  m_MouseLost = true;
  return true;
}

bool SdlPlatform::CreateRenderer() {
  m_Renderer =
      SDL_CreateRenderer(m_Window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (m_Renderer == nullptr) {
    // No accelerated renderer: SDL's own, which paces presents to the
    // display's refresh itself.
    m_Renderer =
        SDL_CreateRenderer(m_Window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_PRESENTVSYNC);
  }
  if (m_Renderer == nullptr) {
    m_Error = std::string("nothing can draw into the window (") + SDL_GetError() + ")";
    return false;
  }
  SDL_SetRenderDrawColor(m_Renderer, 0, 0, 0, 255);
  return true;
}

void SdlPlatform::ShowMainWindow() {
  if (m_Window == nullptr) return;
  SDL_ShowCursor(SDL_DISABLE);
  SDL_ShowWindow(m_Window);
  SDL_RaiseWindow(m_Window);
  // White until the first frame, as every frame is drawn on white: loading
  // the pictures takes a moment.
  SDL_SetRenderDrawColor(m_Renderer, 255, 255, 255, 255);
  SDL_RenderClear(m_Renderer);
  SDL_RenderPresent(m_Renderer);
  SDL_SetRenderDrawColor(m_Renderer, 0, 0, 0, 255);
}

void SdlPlatform::DestroyWindow() {
  if (m_Window == nullptr) return;
  if (m_Texture != nullptr) SDL_DestroyTexture(m_Texture);
  if (m_Renderer != nullptr) SDL_DestroyRenderer(m_Renderer);
  SDL_DestroyWindow(m_Window);
  m_Texture = nullptr;
  m_Renderer = nullptr;
  m_Window = nullptr;
  m_KeyboardOpen = false;
  m_MouseOpen = false;
  m_MouseLost = true;
}

void SdlPlatform::CloseMainWindow() {
  if (m_Window == nullptr) return;
  DestroyWindow();
  m_QuitPending = true;
}

std::string SdlPlatform::VideoDriver() const {
  if (!m_VideoStarted) return "none";
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr ? driver : "none";
}

bool SdlPlatform::PollEvent(PlatformEvent& event) {
  // The window is gone: the loop hears so before anything else.
  if (m_QuitPending) {
    m_QuitPending = false;
    event = {EventKind::kQuit, 0};
    return true;
  }
  if (!m_VideoStarted) return false;
  // Pumped and taken one at a time, rather than through SDL_PollEvent, which
  // answers "none" once per batch even when more are pending.
  SDL_PumpEvents();
  SDL_Event sdlEvent;
  if (SDL_PeepEvents(&sdlEvent, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) != 1) return false;
  event = Translate(sdlEvent);
  return true;
}

PlatformEvent SdlPlatform::Translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:  // the session ends, or the process was asked to stop
      return {EventKind::kCloseRequested, 0};
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          // The next read reports the mouse as lost all the same, so the
          // input state starts afresh.
          return {EventKind::kActivated, 0};
        case SDL_WINDOWEVENT_FOCUS_LOST:
          m_MouseLost = true;
          return {EventKind::kDeactivated, 0};
        case SDL_WINDOWEVENT_CLOSE:
          return {EventKind::kCloseRequested, 0};
        case SDL_WINDOWEVENT_EXPOSED:
          // No frames are drawn while another program is active; the window
          // still shows the last one when it is uncovered.
          ShowLastFrame();
          return {};
        default:
          return {};
      }
    case SDL_KEYDOWN:
      if (e.key.repeat != 0) return {};
      // A tap that begins and ends between two reads still reads as down
      // once, so no quick press is lost to the frame rate.
      if (const uint8_t code = PcScanCodeFromSdl(e.key.keysym.scancode)) m_KeysPressed[code] = 1;
      if (e.key.keysym.scancode == SDL_SCANCODE_ESCAPE) return {EventKind::kEscapePressed, 0};
      // Closes the window also where no window manager does it.
      if (e.key.keysym.scancode == SDL_SCANCODE_F4 && (e.key.keysym.mod & KMOD_ALT) != 0)
        return {EventKind::kCloseRequested, 0};
      return {};
    case SDL_MOUSEBUTTONDOWN:
      // Likewise a click quicker than a frame.
      if (e.button.button >= SDL_BUTTON_LEFT && e.button.button <= SDL_BUTTON_X1)
        m_ButtonsPressed |= SDL_BUTTON(e.button.button);
      return {};
    case SDL_MOUSEWHEEL:
      m_Wheel +=
          (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y) * kWheelNotch;
      return {};
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      // Textures may be gone; the next frame makes its own again.
      if (m_Texture != nullptr) SDL_DestroyTexture(m_Texture);
      m_Texture = nullptr;
      return {};
    default:
      return {};
  }
}

void SdlPlatform::WaitForEvent() {
  if (m_QuitPending || !m_VideoStarted) return;
  SDL_WaitEvent(nullptr);  // leaves the event in the queue
}

bool SdlPlatform::EnsureTexture(const FrameView& frame) {
  if (m_Texture != nullptr && m_TextureWidth == frame.width && m_TextureHeight == frame.height &&
      m_TextureBits == frame.bitsPerPixel)
    return true;
  if (m_Texture != nullptr) SDL_DestroyTexture(m_Texture);
  const Uint32 format = frame.bitsPerPixel == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
  m_Texture =
      SDL_CreateTexture(m_Renderer, format, SDL_TEXTUREACCESS_STREAMING, frame.width, frame.height);
  if (m_Texture == nullptr) return false;
  m_TextureWidth = frame.width;
  m_TextureHeight = frame.height;
  m_TextureBits = frame.bitsPerPixel;
  SDL_RenderSetLogicalSize(m_Renderer, frame.width, frame.height);
  return true;
}

void SdlPlatform::Present(const FrameView& frame) {
  if (m_Renderer == nullptr || frame.pixels == nullptr || frame.width <= 0 || frame.height <= 0)
    return;
  if (frame.bitsPerPixel != 16 && frame.bitsPerPixel != 32) return;
  if (!EnsureTexture(frame)) return;
  SDL_UpdateTexture(m_Texture, nullptr, frame.pixels, frame.pitch);
  ShowLastFrame();

  if (m_Headless) {
    const uint32_t now = Milliseconds();
    const uint32_t spent = now - m_LastPresent;
    if (spent < kHeadlessFrameMilliseconds)
      std::this_thread::sleep_for(std::chrono::milliseconds(kHeadlessFrameMilliseconds - spent));
    m_LastPresent = Milliseconds();
  }
}

void SdlPlatform::ShowLastFrame() {
  if (m_Renderer == nullptr || m_Texture == nullptr) return;
  SDL_RenderClear(m_Renderer);
  SDL_RenderCopy(m_Renderer, m_Texture, nullptr, nullptr);
  SDL_RenderPresent(m_Renderer);
}

bool SdlPlatform::HasInputFocus() const {
  return m_Window != nullptr && (SDL_GetWindowFlags(m_Window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

bool SdlPlatform::OpenKeyboard() {
  m_KeyboardOpen = m_Window != nullptr;
  return m_KeyboardOpen;
}

bool SdlPlatform::OpenMouse() {
  m_MouseOpen = m_Window != nullptr;
  return m_MouseOpen;
}

bool SdlPlatform::AcquireMouse() {
  if (!m_MouseOpen) return false;
  // Like a device held for the foreground window, the mouse can only be
  // taken while the window has the focus; until then reads report it lost.
  if (!m_Headless && !HasInputFocus()) return false;
  // Motion from before belongs to whoever had the mouse then: the next read
  // starts from where the pointer is.
  m_HavePosition = false;
  m_Warp.pending = false;
  m_Wheel = 0;
  m_ButtonsPressed = 0;
  m_MouseLost = false;
  return true;
}

void SdlPlatform::PictureToWindow(int32_t x, int32_t y, int& windowX, int& windowY) const {
  // The middle of the picture's pixel, so that the way back lands on it.
  SDL_RenderLogicalToWindow(m_Renderer, static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f,
                            &windowX, &windowY);
}

void SdlPlatform::WindowToPicture(int windowX, int windowY, int32_t& x, int32_t& y) const {
  float px = 0;
  float py = 0;
  SDL_RenderWindowToLogical(m_Renderer, windowX, windowY, &px, &py);
  x = static_cast<int32_t>(std::floor(px));
  y = static_cast<int32_t>(std::floor(py));
}

void SdlPlatform::WarpPointer(int fromX, int fromY, int toX, int toY) {
  SDL_WarpMouseInWindow(m_Window, toX, toY);
  m_Warp = {true, fromX, fromY, toX, toY};
}

void SdlPlatform::HoldPointer(bool held, int32_t x, int32_t y) {
  if (m_Window == nullptr || m_Renderer == nullptr || held == m_PointerHeld) return;
  m_PointerHeld = held;
  PictureToWindow(x, y, m_HoldX, m_HoldY);
  if (held || !m_HavePosition || m_Headless) return;
  // Back under the program's pointer, which stayed where the drag began.
  WarpPointer(m_LastWindowX, m_LastWindowY, m_HoldX, m_HoldY);
}

int SdlPlatform::HoldMargin() const {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(m_Window, &width, &height);
  const int room = std::min({m_HoldX, m_HoldY, width - 1 - m_HoldX, height - 1 - m_HoldY});
  return std::clamp(room / 2, 1, 16);
}

bool SdlPlatform::NearWindowEdge(int windowX, int windowY) const {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(m_Window, &width, &height);
  const int margin = HoldMargin();
  return windowX < margin || windowY < margin || windowX >= width - margin ||
         windowY >= height - margin;
}

DeviceRead SdlPlatform::ReadKeyboard(uint8_t keys[256]) {
  if (!m_KeyboardOpen) return DeviceRead::kFailed;
  std::memset(keys, 0, 256);
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  for (int i = 0; i < count; ++i) {
    if (state[i] == 0) continue;
    if (const uint8_t code = PcScanCodeFromSdl(i)) keys[code] = 0x80;
  }
  for (int code = 0; code < 256; ++code)
    if (m_KeysPressed[code] != 0) keys[code] = 0x80;
  std::memset(m_KeysPressed, 0, sizeof m_KeysPressed);
  return DeviceRead::kOk;
}

DeviceRead SdlPlatform::ReadMouse(MouseSnapshot& mouse) {
  if (!m_MouseOpen) return DeviceRead::kFailed;
  if (!m_Headless && !HasInputFocus()) m_MouseLost = true;
  if (m_MouseLost) return DeviceRead::kInputLost;
  int windowX = 0;
  int windowY = 0;
  const Uint32 buttons = SDL_GetMouseState(&windowX, &windowY) | m_ButtonsPressed;
  m_ButtonsPressed = 0;
  mouse = MouseSnapshot{};
  mouse.wheel = m_Wheel;
  m_Wheel = 0;
  if (SDL_GetMouseFocus() == m_Window && m_Renderer != nullptr) {
    ReadPointer(windowX, windowY, mouse);
  } else {
    // Away from the window nothing says where the pointer is; coming back it
    // starts afresh from where it enters.
    m_HavePosition = false;
    m_Warp.pending = false;
  }
  mouse.buttons[0] = (buttons & SDL_BUTTON_LMASK) != 0 ? 0x80 : 0;
  mouse.buttons[1] = (buttons & SDL_BUTTON_RMASK) != 0 ? 0x80 : 0;
  mouse.buttons[2] = (buttons & SDL_BUTTON_MMASK) != 0 ? 0x80 : 0;
  mouse.buttons[3] = (buttons & SDL_BUTTON_X1MASK) != 0 ? 0x80 : 0;
  return DeviceRead::kOk;
}

// The pointer's place in window pixels becomes a place on the picture and the
// motion since the last read. After a warp the system pointer is somewhere
// else than it was without any motion having been made: a mouse goes to the
// warp's target and moves on from there, while a tablet, a touch screen or a
// remote session puts it back where the user's hand is with its next event.
// Until the pointer has moved away from both places it is taken to be at the
// target; then motion is counted from the target, unless the pointer is back
// beside the place it came from.
void SdlPlatform::ReadPointer(int windowX, int windowY, MouseSnapshot& mouse) {
  int fromX = m_LastWindowX;
  int fromY = m_LastWindowY;
  if (m_Warp.pending) {
    const bool atFrom = windowX == m_Warp.fromX && windowY == m_Warp.fromY;
    const bool atTo = windowX == m_Warp.toX && windowY == m_Warp.toY;
    fromX = m_Warp.toX;
    fromY = m_Warp.toY;
    if (atFrom || atTo) {
      windowX = m_Warp.toX;
      windowY = m_Warp.toY;
    } else {
      const auto distance = [&](int x, int y) {
        return std::abs(windowX - x) + std::abs(windowY - y);
      };
      // Clearly nearer where it came from: a fast mouse that went on from
      // the target could come close to it too, but not this close.
      if (4 * distance(m_Warp.fromX, m_Warp.fromY) < distance(m_Warp.toX, m_Warp.toY)) {
        fromX = m_Warp.fromX;
        fromY = m_Warp.fromY;
      }
      m_Warp.pending = false;
    }
  }
  // Both ends on the picture at its present scale: a window resized between
  // two reads moves the pointer on the picture without any motion.
  int32_t x = 0;
  int32_t y = 0;
  WindowToPicture(windowX, windowY, x, y);
  if (m_HavePosition) {
    int32_t lastX = 0;
    int32_t lastY = 0;
    WindowToPicture(fromX, fromY, lastX, lastY);
    mouse.x = x - lastX;
    mouse.y = y - lastY;
  }
  m_HavePosition = true;
  m_LastWindowX = windowX;
  m_LastWindowY = windowY;
  if (!m_PointerHeld) {
    mouse.hasPosition = true;
    mouse.positionX = x;
    mouse.positionY = y;
    return;
  }
  // Held: before the pointer reaches the window's edge, where its motion
  // would stop, it goes back to where the hold began.
  if (!m_Warp.pending && NearWindowEdge(windowX, windowY))
    WarpPointer(windowX, windowY, m_HoldX, m_HoldY);
}

uint32_t SdlPlatform::Milliseconds() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool SdlPlatform::LoadBitmap(const char* path, int width, int height, DecodedImage& image) {
  return LoadBitmapFile(path, width, height, image);
}

}  // namespace tessaloop
