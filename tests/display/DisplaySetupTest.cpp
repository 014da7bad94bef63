#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "display/BmpWriter.h"
#include "display/DebugLog.h"
#include "display/Display.h"
#include "platform/BitmapFile.h"
#include "platform/HeadlessPlatform.h"
#include "tests/display/TestPictures.h"
#include "tests/support/NamedPipe.h"
#include "tests/support/WorkFolder.h"

namespace tessaloop {
namespace {

using Lines = std::vector<std::string>;

// A Display on the headless platform in a working folder of its own.
class DisplayTest : public ::testing::Test {
 protected:
  void Start(bool fullScreen = false, const Lines& leaveOut = {}) {
    std::filesystem::remove_all("data");
    testing::WriteStartupFiles(leaveOut);
    display = std::make_unique<Display>(platform, fullScreen);
    display->Setup();
  }

  std::vector<float> Table(int slot) const {
    std::vector<float> table(kTableLength);
    for (int i = 0; i < kTableLength; ++i)
      table[i] = display->m_Wavetables.Sample(slot, i);
    return table;
  }

  static std::vector<float> TableOfFile(const std::string& path) {
    std::vector<float> table(kTableLength);
    EXPECT_TRUE(ConvertBitmapToWavetable(path.c_str(), table.data())) << path;
    return table;
  }

  std::vector<uint8_t> Pixels(int slot) const {
    const Surface* surface = display->SlotSurface(slot);
    if (surface == nullptr) return {};
    const uint8_t* data = surface->Data();
    return {data, data + static_cast<size_t>(surface->Pitch()) * surface->Height()};
  }

  Lines LogSince(size_t before) const {
    const Lines lines = testing::DebugLogLines();
    return Lines(lines.begin() + static_cast<long>(before), lines.end());
  }

  testing::WorkFolder folder;
  HeadlessPlatform platform;
  std::unique_ptr<Display> display;
};

// StartupFiles lists the noise, the 18 palette pictures in slots 3 to 20 and
// the six pieces of screen art in slots 35 to 40, in the order they load.
const std::string& StartupPath(int i) {
  return testing::StartupFiles()[i].path;
}

Lines ExpectedStartupLog(bool fullScreen, const Lines& missing) {
  Lines lines = {
      "DEBUG LOG",       "--------------------------------",
      "Starting Setup",  "Create DDRAW object",
      "setco-operative", fullScreen ? "SetDisplayMode DDSCL_FULLSCREEN" : "SetDisplayMode WINDOWED",
      "Done Setup"};
  auto isMissing = [&](const std::string& path) {
    return std::find(missing.begin(), missing.end(), path) != missing.end();
  };
  auto load = [&](int slot, const std::string& path) {
    lines.insert(lines.end(),
                 {"", "Creating surface:" + std::to_string(slot), "Loading bitmap", path});
    if (isMissing(path))
      lines.push_back("Bitmap invalid");
    else
      lines.insert(lines.end(), {"CreateSurface for bitmap OK", "CopyBitmapToSurface OK"});
  };
  for (int slot = 0; slot <= 36; ++slot)
    load(slot, "data/noise.bmp");
  for (int i = 1; i <= 18; ++i)
    load(2 + i, StartupPath(i));
  for (int i = 19; i <= 24; ++i)
    load(16 + i, StartupPath(i));
  // Then each file that did not load, once, in the order they were first tried.
  for (const testing::StartupFile& file : testing::StartupFiles())
    if (isMissing(file.path))
      lines.push_back("Start-up picture not loaded: " + file.path + " (No such file or directory)");
  return lines;
}

TEST_F(DisplayTest, StartupLogShowsEveryStepInOrder) {
  testing::WriteFile(kDebugLogPath, "an older log\n");
  Start();
  EXPECT_EQ(testing::DebugLogLines(), ExpectedStartupLog(false, {}));
  EXPECT_EQ(display->PixelBits(), 32);

  // The full-screen program draws in 16 bits; a missing palette picture
  // leaves its slot with the noise.
  Start(true, {"data/pit.bmp"});
  EXPECT_EQ(testing::DebugLogLines(), ExpectedStartupLog(true, {"data/pit.bmp"}));
  EXPECT_EQ(display->PixelBits(), 16);
  EXPECT_EQ(display->BackBuffer().BitsPerPixel(), 16);
  EXPECT_EQ(display->SlotSurface(6)->BitsPerPixel(), 16);
  ASSERT_EQ(display->MissingStartupPictures().size(), 1u);
  EXPECT_EQ(display->MissingStartupPictures()[0].path, "data/pit.bmp");
  EXPECT_STREQ(display->m_SlotNames[11], "data/noise.bmp");
  EXPECT_EQ(Pixels(11), Pixels(0));
  EXPECT_EQ(Table(11), TableOfFile("data/noise.bmp"));
  EXPECT_STREQ(display->m_SlotNames[12], "data/multi-circle.bmp");

  // Without the noise, 37 loads fail, named once at the end; its slots stay empty.
  Start(false, {"data/noise.bmp"});
  EXPECT_EQ(testing::DebugLogLines(), ExpectedStartupLog(false, {"data/noise.bmp"}));
  for (int slot : {0, 1, 2, 21, 22, 34}) {
    EXPECT_EQ(display->SlotSurface(slot), nullptr) << slot;
    EXPECT_STREQ(display->m_SlotNames[slot], "") << slot;
    EXPECT_EQ(Table(slot), std::vector<float>(kTableLength, 0.0f)) << slot;
  }
  ASSERT_NE(display->SlotSurface(kSlotFont), nullptr);
  EXPECT_STREQ(display->m_SlotNames[3], "data/notfound.bmp");
}

TEST_F(DisplayTest, SlotsAfterStartup) {
  Start();
  EXPECT_EQ(display->m_BitDepth, 16);  // the full-screen depth, in both programs
  EXPECT_EQ(display->BackBuffer().Width(), 1024);
  EXPECT_EQ(display->BackBuffer().Height(), 768);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    SCOPED_TRACE("slot " + std::to_string(slot));
    const std::string name = slot >= 3 && slot < 21 ? StartupPath(slot - 2)
                             : slot <= 36           ? "data/noise.bmp"
                                                    : "";
    EXPECT_EQ(display->m_SlotNames[slot], name);
    EXPECT_EQ(Table(slot),
              name.empty() ? std::vector<float>(kTableLength, 0.0f) : TableOfFile(name));
  }

  struct Size {
    int width, height;
    bool keyed;
  };
  const Size art[] = {{256, 256, true}, {64, 64, true},   {512, 24, false},
                      {512, 24, false}, {512, 24, false}, {10, 24, true}};
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const Surface* s = display->SlotSurface(slot);
    if (slot > 40) {
      EXPECT_EQ(s, nullptr) << slot;
      continue;
    }
    ASSERT_NE(s, nullptr) << slot;
    const Size want = slot < 35 ? Size{64, 64, false} : art[slot - 35];
    EXPECT_TRUE(s->Width() == want.width && s->Height() == want.height &&
                s->HasColorKey() == want.keyed && (!want.keyed || s->ColorKey() == 0))
        << "slot " << slot << ": " << s->Width() << " x " << s->Height();
  }

  // Scaled, not cropped or flipped: the corners show pixels near the
  // picture's corners. The screen art is shown pixel for pixel.
  const std::vector<uint32_t> square =
      testing::TestPicture(210, 210, testing::SeedOf("data/square.bmp"));
  const Surface& six = *display->SlotSurface(6);
  EXPECT_EQ(six.PixelRgb(0, 0), square[1 * 210 + 1]);
  EXPECT_EQ(six.PixelRgb(63, 0), square[1 * 210 + 208]);
  EXPECT_EQ(six.PixelRgb(0, 63), square[208 * 210 + 1]);
  EXPECT_EQ(six.PixelRgb(63, 63), square[208 * 210 + 208]);
  const std::vector<uint32_t> tabs =
      testing::TestPicture(512, 24, testing::SeedOf("data/tabs.bmp"));
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 512; ++x)
      ASSERT_EQ(display->SlotSurface(kSlotTabs)->PixelRgb(x, y), tabs[y * 512 + x]);
}

// A named pipe (whose opening would wait for ever), a folder or text in place
// of a picture: the start-up goes on and names each with its reason.
TEST_F(DisplayTest, StartsPastPipesFoldersAndTextInPlaceOfPictures) {
  testing::WriteStartupFiles({"data/grid.bmp", "data/pit.bmp", "data/tabs.bmp"});
  testing::NamedPipe pipe("data/grid.bmp");
  ASSERT_TRUE(pipe.Made());
  std::filesystem::create_directory("data/pit.bmp");
  testing::WriteFile("data/tabs.bmp", "BM these are not the pixels of a picture");
  display = std::make_unique<Display>(platform, false);
  display->Setup();
  EXPECT_FALSE(pipe.ReaderWaited()) << "the start-up waited on a named pipe";

  const Lines lines = testing::DebugLogLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(
      Lines(lines.end() - 3, lines.end()),
      (Lines{"Start-up picture not loaded: data/pit.bmp (not a plain file)",
             "Start-up picture not loaded: data/grid.bmp (not a plain file)",
             "Start-up picture not loaded: data/tabs.bmp (not a bitmap Tessaloop can read)"}));
  EXPECT_EQ(display->MissingStartupPictures().size(), 3u);
  EXPECT_STREQ(display->m_SlotNames[11], "data/noise.bmp");
  EXPECT_STREQ(display->m_SlotNames[14], "data/noise.bmp");
  EXPECT_EQ(display->SlotSurface(kSlotTabs), nullptr);
  EXPECT_STREQ(display->m_SlotNames[15], "data/impulse.bmp");
}

TEST_F(DisplayTest, AFailedLoadChangesNothingAndAGoodOneReplacesAll) {
  Start();
  std::filesystem::create_directories("userbitmaps");
  testing::WriteFile("userbitmaps/broken.bmp", "BM this is no picture at all");
  // 31 characters fit a slot name, 32 do not, however good the file.
  const std::string longPath = "userbitmaps/a-rather-long-n.bmp";
  const std::string tooLong = "userbitmaps/a-rather-long-na.bmp";
  ASSERT_EQ(longPath.size(), 31u);
  const std::vector<uint32_t> pixels = testing::TestPicture(210, 210, 77);
  WriteBmp24(longPath, 210, 210, pixels.data());
  WriteBmp24(tooLong, 210, 210, pixels.data());

  const std::vector<uint8_t> surfaceBefore = Pixels(8);
  const std::vector<float> tableBefore = Table(8);
  for (const std::string& path :
       {std::string("userbitmaps/missing.bmp"), std::string("userbitmaps/broken.bmp"), tooLong,
        std::string(300, 'x')}) {
    SCOPED_TRACE(path);
    const size_t linesBefore = testing::DebugLogLines().size();
    EXPECT_FALSE(display->LoadPaletteSlot(8, path.c_str()));
    EXPECT_STREQ(display->m_SlotNames[8], "data/stepsine.bmp");
    EXPECT_EQ(Pixels(8), surfaceBefore);
    EXPECT_EQ(Table(8), tableBefore);
    EXPECT_GT(testing::DebugLogLines().size(), linesBefore) << "a refusal is logged";
  }
  EXPECT_EQ(testing::DebugLogLines().back(),
            "Path too long for a slot name: " + std::string(31, 'x') + "...");
  EXPECT_FALSE(display->LoadPaletteSlot(-1, "data/square.bmp"));
  EXPECT_FALSE(display->LoadPaletteSlot(kSlotCount, "data/square.bmp"));

  EXPECT_TRUE(display->LoadPaletteSlot(8, longPath.c_str()));
  EXPECT_EQ(display->m_SlotNames[8], longPath);
  EXPECT_EQ(Table(8), TableOfFile(longPath));
  EXPECT_TRUE(display->LoadPaletteSlot(6, "data/grid.bmp"));
  EXPECT_EQ(Pixels(6), Pixels(14));
  EXPECT_EQ(Table(6), Table(14));

  // A shorter name leaves nothing of the longer one behind in its entry.
  std::filesystem::copy_file("data/min.bmp", "m.bmp");
  EXPECT_TRUE(display->LoadPaletteSlot(6, "m.bmp"));
  char expected[kSlotNameLength] = "m.bmp";
  EXPECT_EQ(std::memcmp(display->m_SlotNames[6], expected, kSlotNameLength), 0);
  EXPECT_EQ(Table(6), Table(5));
  // The song loader writes a name into the entry and loads the entry itself.
  std::strcpy(display->m_SlotNames[7], "data/corner.bmp");
  EXPECT_TRUE(display->LoadPaletteSlot(7, display->m_SlotNames[7]));
  EXPECT_EQ(Table(7), Table(18));
  // An entry that lost its terminator is refused, not read past.
  std::memset(display->m_SlotNames[49], 'y', kSlotNameLength);
  EXPECT_FALSE(display->LoadPaletteSlot(49, display->m_SlotNames[49]));
}

TEST_F(DisplayTest, SurfacesAreMadeAtTheSizeAsked) {
  Start();
  const std::vector<uint32_t> pixels = testing::TestPicture(300, 200, 12);
  WriteBmp24("wide.bmp", 300, 200, pixels.data());
  EXPECT_TRUE(display->LoadPaletteSlot(10, "wide.bmp"));
  EXPECT_EQ(display->SlotSurface(10)->Width(), 64);
  EXPECT_EQ(display->SlotSurface(10)->Height(), 64);
  EXPECT_TRUE(display->MakeSurfaceFromBitmap(37, "wide.bmp", 300, 200));
  EXPECT_EQ(display->SlotSurface(37)->Width(), 300);
  EXPECT_EQ(display->SlotSurface(37)->Height(), 200);
  EXPECT_STREQ(display->m_SlotNames[37], "") << "a surface only: no name, no sound";
  EXPECT_FALSE(display->MakeSurfaceFromBitmap(42, "nothing.bmp", 64, 64));
  EXPECT_EQ(display->SlotSurface(42), nullptr);
  EXPECT_EQ(testing::DebugLogLines().back(), "Bitmap invalid");

  // Copying stretches a region of the image over the whole surface.
  DecodedImage image;
  image.width = 20;
  image.height = 20;
  image.pixels = testing::TestPicture(20, 20, 2);
  ASSERT_TRUE(display->MakeSurfaceFromBitmap(45, "data/tabon.bmp", 10, 10));
  EXPECT_TRUE(display->CopyBitmapToSurface(45, &image, 10, 10, 10, 10));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(display->SlotSurface(45)->PixelRgb(x, y), image.pixels[(y + 10) * 20 + x + 10]);
  EXPECT_TRUE(display->CopyBitmapToSurface(45, &image, 0, 0, 0, 0));  // 0: the whole image
  EXPECT_EQ(display->SlotSurface(45)->PixelRgb(3, 4), image.pixels[9 * 20 + 7]);
  const std::vector<uint8_t> copied = Pixels(45);
  const size_t before = testing::DebugLogLines().size();
  EXPECT_FALSE(display->CopyBitmapToSurface(45, nullptr, 0, 0, 0, 0));
  EXPECT_EQ(Pixels(45), copied);
  EXPECT_EQ(LogSince(before), Lines{"CopyBitmapToSurface FAILED    hbm == NULL "});
  EXPECT_FALSE(display->CopyBitmapToSurface(46, &image, 0, 0, 0, 0));  // no surface there
}

class BothFormatsTest : public DisplayTest, public ::testing::WithParamInterface<bool> {};

TEST_P(BothFormatsTest, TheColourKeyIsTheSurfacesOwnEncoding) {
  const bool fullScreen = GetParam();
  Start(fullScreen);
  // A top-left pixel that is not black, a neighbour that would spoil an
  // unmasked 16-bit read, and black.
  std::vector<uint32_t> pixels(8 * 8, 0x000000);
  pixels[0] = 0x123456;
  pixels[1] = 0xABCDEF;
  pixels[2] = 0xFF8040;
  WriteBmp24("key.bmp", 8, 8, pixels.data());
  ASSERT_TRUE(display->MakeSurfaceFromBitmap(45, "key.bmp", 8, 8));
  const Surface& surface = *display->SlotSurface(45);
  const uint32_t topLeft = surface.Pixel(0, 0);

  display->SetSurfaceColorKey(45, kBlack);
  EXPECT_TRUE(surface.HasColorKey());
  EXPECT_EQ(surface.ColorKey(), 0u);
  EXPECT_EQ(surface.Pixel(0, 0), topLeft) << "the top-left pixel is put back";
  display->SetSurfaceColorKey(45, 0xFF8040);
  EXPECT_EQ(surface.ColorKey(), fullScreen ? 0xFC08u : 0xFF8040u);
  const size_t before = testing::DebugLogLines().size();
  display->SetSurfaceColorKey(45, Display::kInvalidColor);
  EXPECT_EQ(surface.ColorKey(), fullScreen ? 0x11AAu : 0x123456u);
  EXPECT_EQ(LogSince(before), (Lines{"either get dc failed or rgb == CLR_INVALID",
                                     "cant rewrite color to surface or not using CLR_INVALID"}));

  // Keyed by black, a blit paints only the three coloured pixels; opaque, all.
  display->SetSurfaceColorKey(45, kBlack);
  const Surface& back = display->BackBuffer();
  display->FillSurface(-1, back.Encode(0x00FF00));
  display->BlitSlot(100, 50, 45, {0, 0, 8, 8}, true);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const uint32_t expected = y == 0 && x < 3 ? surface.Pixel(x, y) : back.Encode(0x00FF00);
      ASSERT_EQ(back.Pixel(100 + x, 50 + y), expected) << x << "," << y;
    }
  display->BlitSlot(100, 50, 45, {0, 0, 8, 8}, false);
  EXPECT_EQ(back.PixelRgb(105, 55), 0u);
  // A keyed blit from a surface without a key draws nothing.
  display->BlitSlot(0, 0, kSlotTabs, {0, 0, 512, 24}, true);
  EXPECT_EQ(back.PixelRgb(10, 10), 0x00FF00u);
  display->SetSurfaceColorKey(47, kBlack);
  EXPECT_EQ(testing::DebugLogLines().back(), "couldn't set colorkey");
}

TEST_P(BothFormatsTest, PresentShowsTheFrameThenClearsItToWhite) {
  Start(GetParam());
  Surface& back = display->BackBuffer();
  EXPECT_EQ(back.PixelRgb(0, 0), kWhite) << "the first frame is drawn on white too";
  display->BlitSlot(960, 704, 6, {0, 0, 64, 64}, false);
  const uint32_t corner = back.PixelRgb(1023, 767);
  display->Present();
  ASSERT_EQ(platform.PresentCount(), 1);
  const DecodedImage& frame = platform.LastFrame();
  ASSERT_EQ(frame.pixels.size(), 1024u * 768u);
  EXPECT_EQ(frame.pixels[767 * 1024 + 1023], corner);
  EXPECT_EQ(frame.pixels[0], kWhite);
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x)
      ASSERT_EQ(back.PixelRgb(x, y), kWhite) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(BothPixelFormats, BothFormatsTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "FullScreen16" : "Windowed32";
                         });

TEST_F(DisplayTest, FrameCounterWindows) {
  Start();
  // The first frame is measured from 0: its window closes at once.
  platform.SetTime(123456);
  display->CountFrame();
  EXPECT_EQ(display->m_FrameDelta, 123456u);
  EXPECT_EQ(display->m_FramesPerSecond, 1u);
  EXPECT_EQ(display->m_FrameCount, 0u);
  EXPECT_EQ(display->m_Elapsed, 0u);
  // Exactly 1000 ms keep the window open; the next frame closes it.
  for (int i = 0; i < 4; ++i) {
    platform.AdvanceTime(250);
    display->CountFrame();
  }
  EXPECT_EQ(display->m_Elapsed, 1000u);
  EXPECT_EQ(display->m_FrameCount, 4u);
  EXPECT_EQ(display->m_FramesPerSecond, 1u);
  platform.AdvanceTime(30);
  display->CountFrame();
  EXPECT_EQ(display->m_FramesPerSecond, 5u);
  EXPECT_EQ(display->m_FrameCount, 0u);
  EXPECT_EQ(display->m_Elapsed, 0u) << "the time beyond the second is dropped";
  // The millisecond clock wraps without a jump.
  platform.SetTime(0xFFFFFFF0u);
  display->CountFrame();
  platform.SetTime(0x10u);
  display->CountFrame();
  EXPECT_EQ(display->m_FrameDelta, 0x20u);
  display->Setup();
  EXPECT_EQ(display->m_LastTime, 0u) << "a new set-up counts afresh";
  EXPECT_EQ(display->m_FramesPerSecond, 0u);
}

TEST_F(DisplayTest, BackBufferImageIsWrittenAsSeen) {
  Start();
  display->BlitSlot(100, 100, 9, {0, 0, 64, 64}, false);
  display->BlitSlot(0, 0, kSlotTitle, {0, 0, 512, 24}, false);
  ASSERT_TRUE(display->WriteBackBufferImage("frame.bmp"));
  DecodedImage image;
  ASSERT_TRUE(LoadBitmapFile("frame.bmp", 1024, 768, image));
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x)
      ASSERT_EQ(image.pixels[y * 1024 + x], display->BackBuffer().PixelRgb(x, y)) << x << "," << y;
  EXPECT_FALSE(display->WriteBackBufferImage("no/such/folder/frame.bmp"));
}

// The audio thread reads a table while the interface reloads it: every value
// it sees is a sample of the old or of the new picture, never anything else.
TEST_F(DisplayTest, ReloadWhileTheAudioThreadReads) {
  Start();
  const std::vector<float> first = TableOfFile("data/square.bmp");
  const std::vector<float> second = TableOfFile("data/grid.bmp");
  std::atomic<bool> started{false}, done{false};
  long strays = 0, reads = 0;
  std::thread audio([&] {
    while (!done.load()) {
      started = true;
      for (int i = 0; i < kTableLength; i += 7, ++reads) {
        const float value = display->m_Wavetables.Sample(6, i);
        if (value != first[i] && value != second[i]) ++strays;
      }
    }
  });
  while (!started.load())
    std::this_thread::yield();
  for (int round = 0; round < 20; ++round)
    EXPECT_TRUE(display->LoadPaletteSlot(6, round % 2 ? "data/square.bmp" : "data/grid.bmp"));
  done = true;
  audio.join();
  EXPECT_EQ(strays, 0);
  EXPECT_GT(reads, 0);
  EXPECT_EQ(Table(6), first);
}

}  // namespace
}  // namespace tessaloop
