#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/BmpWriter.h"
#include "display/Display.h"
#include "platform/HeadlessPlatform.h"
#include "tests/display/TestPictures.h"
#include "tests/support/NamedPipe.h"
#include "tests/support/TestTables.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

using Lines = std::vector<std::string>;
using testing::LogLines;
using testing::StartupFiles;

constexpr uint32_t kGreen = 0x00FF00;  // a background no glyph pixel has

// A Display on the headless platform in a working folder of its own.
class DisplayTest : public ::testing::Test {
 protected:
  void Start(bool fullScreen, const Lines& leaveOut = {}) {
    std::filesystem::remove_all("data");
    testing::WriteStartupFiles(leaveOut);
    Setup(fullScreen);
  }
  void Setup(bool fullScreen) {
    display.reset();
    palette = std::make_unique<Palette>();
    display = std::make_unique<Display>(platform, fullScreen, *palette);
    display->Setup();
  }

  std::vector<float> Table(int slot) const {
    std::vector<float> table(kTableLength);
    for (int i = 0; i < kTableLength; ++i)
      table[i] = palette->Tables().Sample(slot, i);
    return table;
  }
  static std::vector<float> TableOfFile(const std::string& path) {
    return testing::TableOfFile(path);
  }
  const Surface& Font() const { return *display->SlotSurface(kSlotFont); }
  const Surface& Back() const { return display->BackBuffer(); }

  // Whether the 8 x 8 cell at (x, y) holds the glyph of code c; keyed, its
  // black pixels show the background. Codes up to the space have none.
  bool HasGlyph(int x, int y, char c, bool keyed) const {
    if (c <= ' ') return Drawn(x, y, 8, 8) == 0;
    const int left = (c - 33) % 15 * 8;
    const int top = (c - 33) / 15 * 8 + (keyed ? 56 : 0);
    for (int dy = 0; dy < 8; ++dy)
      for (int dx = 0; dx < 8; ++dx) {
        const uint32_t source = Font().Pixel(left + dx, top + dy);
        const uint32_t expected = keyed && source == 0 ? Back().Encode(kGreen) : source;
        if (Back().Pixel(x + dx, y + dy) != expected) return false;
      }
    return true;
  }
  ::testing::AssertionResult HasText(int x, int y, const std::string& text, bool keyed) const {
    for (size_t i = 0; i < text.size(); ++i)
      if (!HasGlyph(x + 8 * static_cast<int>(i), y, text[i], keyed))
        return ::testing::AssertionFailure() << "character " << i << " of \"" << text << "\"";
    return ::testing::AssertionSuccess();
  }

  // The pixels of a block (the whole screen by default) that are not background.
  int Drawn(int x = 0, int y = 0, int width = 1024, int height = 768) const {
    int drawn = 0;
    for (int py = y; py < y + height; ++py)
      for (int px = x; px < x + width; ++px)
        drawn += Back().PixelRgb(px, py) != kGreen;
    return drawn;
  }

  std::vector<uint8_t> Pixels(int slot) const {
    const Surface* s = display->SlotSurface(slot);
    if (s == nullptr) return {};
    return {s->Data(), s->Data() + static_cast<size_t>(s->Pitch()) * s->Height()};
  }

  testing::WorkFolder folder;
  HeadlessPlatform platform;
  std::unique_ptr<Palette> palette;
  std::unique_ptr<Display> display;
};

// The whole start-up log when the files in `missing` fail to load for the
// reasons given.
Lines ExpectedStartupLog(bool fullScreen, const std::map<std::string, std::string>& missing) {
  Lines lines = {
      "DEBUG LOG",       "--------------------------------",
      "Starting Setup",  "Create DDRAW object",
      "setco-operative", fullScreen ? "SetDisplayMode DDSCL_FULLSCREEN" : "SetDisplayMode WINDOWED",
      "Done Setup"};
  auto load = [&](int slot, const std::string& path) {
    lines.insert(lines.end(),
                 {"", "Creating surface:" + std::to_string(slot), "Loading bitmap", path});
    if (missing.count(path) != 0)
      lines.push_back("Bitmap invalid");
    else
      lines.insert(lines.end(), {"CreateSurface for bitmap OK", "CopyBitmapToSurface OK"});
  };
  for (int slot = 0; slot <= kSlotSelected; ++slot)
    load(slot, StartupFiles()[0].path);
  for (int i = 1; i <= 18; ++i)
    load(2 + i, StartupFiles()[i].path);
  for (int i = 19; i <= 24; ++i)
    load(16 + i, StartupFiles()[i].path);
  // Then each file that did not load, once, in the order they were first tried.
  for (const testing::StartupFile& file : StartupFiles())
    if (missing.count(file.path) != 0)
      lines.push_back("Start-up picture not loaded: " + file.path + " (" + missing.at(file.path) +
                      ")");
  return lines;
}

// Every slot holds its picture, name and sound, and the log says so, load by load.
TEST_F(DisplayTest, StartupLoadsInOrderAndNamesWhatIsMissing) {
  Start(false);
  EXPECT_EQ(LogLines(), ExpectedStartupLog(false, {}));
  // The screen art of slots 35-40 keeps the names and sounds of the slots it lands in.
  for (int slot = 0; slot < kSlotCount; ++slot) {
    SCOPED_TRACE("slot " + std::to_string(slot));
    const std::string name = slot >= 3 && slot < 21  ? StartupFiles()[slot - 2].path
                             : slot <= kSlotSelected ? "data/noise.bmp"
                                                     : "";
    EXPECT_EQ(palette->Name(slot), name);
    EXPECT_EQ(Table(slot), TableOfFile(name));
    const Surface* s = display->SlotSurface(slot);
    if (slot > kSlotTabOn) {
      EXPECT_EQ(s, nullptr);
      continue;
    }
    ASSERT_NE(s, nullptr);
    const bool art = slot >= kSlotFont;
    EXPECT_EQ(s->Width(), art ? StartupFiles()[slot - 16].width : 64);
    EXPECT_EQ(s->Height(), art ? StartupFiles()[slot - 16].height : 64);
    EXPECT_EQ(s->BitsPerPixel(), 32);
    const bool keyed = slot == kSlotFont || slot == kSlotSelected || slot == kSlotTabOn;
    EXPECT_EQ(s->HasColorKey(), keyed);
    EXPECT_EQ(s->ColorKey(), 0u);
  }

  // A palette picture is shrunk, not cropped, flipped or turned: its corners
  // show pixels near the picture's corners.
  const auto square = testing::TestPicture(210, 210, testing::SeedOf("data/square.bmp"));
  const Surface& six = *display->SlotSurface(6);
  EXPECT_EQ(six.PixelRgb(0, 0), square[1 * 210 + 1]);
  EXPECT_EQ(six.PixelRgb(63, 0), square[1 * 210 + 208]);
  EXPECT_EQ(six.PixelRgb(63, 63), square[208 * 210 + 208]);

  // A folder, a named pipe (whose opening would wait for ever) and text in
  // place of pictures: the full-screen start-up goes on and names each with
  // its reason; the palette slot without its picture keeps the noise.
  std::filesystem::remove_all("data");
  testing::WriteStartupFiles({"data/pit.bmp", "data/grid.bmp", "data/tabs.bmp"});
  std::filesystem::create_directory("data/pit.bmp");
  testing::NamedPipe pipe("data/grid.bmp");
  ASSERT_TRUE(pipe.Made());
  testing::WriteFile("data/tabs.bmp", "BM these are not the pixels of a picture");
  Setup(true);
  EXPECT_FALSE(pipe.ReaderWaited()) << "the start-up waited on a named pipe";
  EXPECT_EQ(LogLines(),
            ExpectedStartupLog(true, {{"data/pit.bmp", "not a plain file"},
                                      {"data/grid.bmp", "not a plain file"},
                                      {"data/tabs.bmp", "not a bitmap Tessaloop can read"}}));
  EXPECT_STREQ(palette->Name(11), "data/noise.bmp");
  EXPECT_EQ(Pixels(11), Pixels(0));
  EXPECT_EQ(Table(11), TableOfFile("data/noise.bmp"));
  EXPECT_EQ(display->SlotSurface(kSlotTabs), nullptr);
}

TEST_F(DisplayTest, AFailedLoadChangesNothingAndAGoodOneReplacesPictureNameAndSound) {
  Start(false);
  // 31 characters fit a slot name, 32 do not, however good the file.
  const std::string fits = "userbitmaps/a-rather-long-n.bmp";
  const std::string tooLong = "userbitmaps/a-rather-long-na.bmp";
  std::filesystem::create_directories("userbitmaps");
  const auto pixels = testing::TestPicture(210, 210, 77);
  WriteBmp24(fits, 210, 210, pixels.data());
  WriteBmp24(tooLong, 210, 210, pixels.data());

  const std::vector<uint8_t> surfaceBefore = Pixels(8);
  const std::vector<float> tableBefore = Table(8);
  for (const std::string& path : {std::string("missing.bmp"), tooLong}) {
    EXPECT_FALSE(palette->Load(8, path.c_str())) << path;
    EXPECT_STREQ(palette->Name(8), "data/stepsine.bmp");
    EXPECT_EQ(Pixels(8), surfaceBefore);
    EXPECT_EQ(Table(8), tableBefore);
  }
  EXPECT_EQ(LogLines().back(), "Path too long for a slot name: " + tooLong.substr(0, 31) + "...");
  EXPECT_FALSE(palette->Load(-1, fits.c_str()));
  EXPECT_FALSE(palette->Load(kSlotCount, fits.c_str()));

  EXPECT_TRUE(palette->Load(8, fits.c_str()));
  EXPECT_EQ(palette->Name(8), fits);
  EXPECT_EQ(Table(8), TableOfFile(fits));
  EXPECT_TRUE(palette->Load(6, "data/grid.bmp"));
  EXPECT_EQ(Pixels(6), Pixels(14));
  // A slot's own name can be loaded into it; a name that lost its terminator
  // is refused, not read past.
  palette->KeepName(7, "data/corner.bmp");
  EXPECT_TRUE(palette->Load(7, palette->Name(7)));
  EXPECT_EQ(Table(7), Table(18));
  char unterminated[kSlotNameLength];
  std::memset(unterminated, 'y', kSlotNameLength);
  EXPECT_FALSE(palette->Load(49, unterminated));
}

// Drawing on a green back buffer in the pixel format of either program.
class BothFormatsTest : public DisplayTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    Start(GetParam());
    display->FillSurface(-1, Back().Encode(kGreen));
  }
};

// In the full-screen program the key is RGB565, read without the pixel beside it.
TEST_P(BothFormatsTest, TheColourKeyIsTheSurfacesOwnEncoding) {
  const Surface& surface = *display->SlotSurface(6);
  EXPECT_EQ(surface.BitsPerPixel(), GetParam() ? 16 : 32);
  const uint32_t topLeft = surface.Pixel(0, 0);
  display->SetSurfaceColorKey(6, 0xFF8040);
  EXPECT_EQ(surface.ColorKey(), GetParam() ? 0xFC08u : 0xFF8040u);
  EXPECT_EQ(surface.Pixel(0, 0), topLeft) << "the top-left pixel is put back";
}

// The frame presented is the back buffer as drawn; then it is white for the
// next frame.
TEST_P(BothFormatsTest, PresentShowsTheFrameThenClearsItToWhite) {
  display->BlitSlot(960, 704, 6, {0, 0, 64, 64}, false);
  display->BlitSlot(0, 0, kSlotTitle, {0, 0, 512, 24}, false);
  display->Present();
  ASSERT_EQ(platform.PresentCount(), 1);
  const DecodedImage& frame = platform.LastFrame();
  ASSERT_EQ(frame.pixels.size(), 1024u * 768u);
  EXPECT_EQ(frame.pixels[767 * 1024 + 1023], display->SlotSurface(6)->PixelRgb(63, 63));
  EXPECT_EQ(frame.pixels[23 * 1024 + 511], display->SlotSurface(kSlotTitle)->PixelRgb(511, 23));
  EXPECT_EQ(frame.pixels[500 * 1024 + 500], Back().DecodeRgb(Back().Encode(kGreen)));
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x)
      ASSERT_EQ(Back().PixelRgb(x, y), kWhite) << x << "," << y;
}

TEST_P(BothFormatsTest, TextIsDrawnFromTheGlyphCellsAndNumbersAsTheirText) {
  // Codes 33 ('!') to 127 have glyphs, 15 to a row; the keyed set sits below.
  const std::string text = "!0Ba\x7f";
  display->DrawString(100, 100, text.c_str());
  EXPECT_TRUE(HasText(100, 100, text, false));
  display->DrawStringKeyed(200, 300, text.c_str());
  EXPECT_TRUE(HasText(200, 300, text, true));
  EXPECT_EQ(Drawn(), Drawn(100, 100, 40, 8) + Drawn(200, 300, 40, 8));

  display->DrawFloat(0, 0, -0.5f);
  EXPECT_TRUE(HasText(0, 0, "-0.5000 ", false));
  display->DrawInt(0, 20, INT32_MIN);
  EXPECT_TRUE(HasText(0, 20, "-2147483648 ", false));
  display->DrawIntKeyed(0, 40, 2147483647);
  EXPECT_TRUE(HasText(0, 40, "2147483647 ", true));
}

// Control characters, the space and bytes of 128 and above (negative as
// signed characters) draw nothing and take 8 pixels.
TEST_P(BothFormatsTest, CharactersWithoutGlyphsStillAdvance) {
  int y = 30;
  for (const char leader : {'\x01', ' ', '\n', '\x80', '\xff'}) {
    const char text[] = {'A', leader, 'B', 0};
    display->DrawString(500, y, text);
    EXPECT_TRUE(HasText(500, y, text, false));
    y += 10;
  }
}

TEST_P(BothFormatsTest, GlyphsAndBlitsThatWouldLeaveTheScreenAreNotDrawn) {
  display->DrawString(1000, 0, "ABCDE");  // three fit
  EXPECT_TRUE(HasText(1000, 0, "ABC", false));
  display->DrawString(-4, 100, "AB");  // the first glyph is refused, the next drawn
  EXPECT_TRUE(HasGlyph(4, 100, 'B', false));
  display->DrawString(2000000000, 0, "AAAA");
  display->DrawString(-2000000000, 0, "AAAA");
  EXPECT_EQ(Drawn(), 4 * 64);

  // A blit must lie wholly inside both surfaces, and a keyed one needs a key.
  const Rect whole{0, 0, 64, 64};
  for (const auto& [x, y] : {std::pair{961, 0}, {0, 705}, {-1, 0}, {0, -1}})
    display->BlitSlot(x, y, 6, whole, false);
  for (const Rect source : {Rect{0, 0, 65, 64}, Rect{0, 0, 64, 65}, Rect{-1, 0, 63, 64},
                            Rect{10, 0, 10, 64}, Rect{20, 0, 10, 64}})
    display->BlitSlot(0, 0, 6, source, false);
  for (const int slot : {45, -1, kSlotCount})  // no picture there
    display->BlitSlot(0, 0, slot, whole, false);
  display->BlitSlot(0, 0, kSlotTabs, {0, 0, 512, 24}, true);
  EXPECT_EQ(Drawn(), 4 * 64);

  // Exactly in the corner fits; part of a picture is drawn unscaled.
  display->BlitSlot(960, 704, 6, whole, false);
  display->BlitSlot(10, 20, 6, {8, 4, 20, 30}, false);
  const Surface& six = *display->SlotSurface(6);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(Back().Pixel(960 + x, 704 + y), six.Pixel(x, y));
      if (x < 12 && y < 26) {
        ASSERT_EQ(Back().Pixel(10 + x, 20 + y), six.Pixel(8 + x, 4 + y));
      }
    }
  EXPECT_EQ(Drawn(), 4 * 64 + 64 * 64 + 12 * 26);
}

INSTANTIATE_TEST_SUITE_P(BothPixelFormats, BothFormatsTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "FullScreen16" : "Windowed32";
                         });

// The program's own pictures are stored at 24 bits and at the size they are
// drawn at: the loader would scale any other size without a word. (That they
// load is seen end to end.)
TEST(ShippedArt, EveryStartupPictureIsStoredAtItsOwnSize) {
  for (const testing::StartupFile& file : StartupFiles()) {
    const std::string bytes = testing::ReadFile(testing::SourceDir() + "/" + file.path);
    ASSERT_GE(bytes.size(), 30u) << file.path;
    auto field = [&](size_t at) {
      return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8;
    };
    EXPECT_EQ(field(18), file.width) << file.path;
    EXPECT_EQ(field(22), file.height) << file.path;
    EXPECT_EQ(field(28), 24) << file.path;
  }
}

}  // namespace
}  // namespace tessaloop
