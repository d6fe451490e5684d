// cGIFViewer on the platform: what LoadGIF answers, how frames are composed
// over colour and copied backgrounds (transparency, disposal 2 and 3), the
// animation states and loop counting driven through timer messages, frame
// properties and settings, frame pictures, and unloading.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "gif/gif_decode.h"
#include "support/gif_builder.h"
#include "gif/gif_index.h"
#include "gif/gif_viewer.h"
#include "base/run_time_error.h"
#include "support/win_test_support.h"

namespace vx {
namespace {

using gif::fixtures::Frame;
using gif::fixtures::FramePlan;
using gif::fixtures::GifPlan;
using gif::fixtures::SolidFrame;
using gif::fixtures::WriteGif;
using test::LiveGdiObjects;

// Global palette of the test animations (0x00RRGGBB).
constexpr std::uint32_t kGrey = 0x0A0A0A;    // index 0
constexpr std::uint32_t kRed = 0xFF0000;     // 1
constexpr std::uint32_t kGreen = 0x00FF00;   // 2
constexpr std::uint32_t kBlue = 0x0000FF;    // 3
constexpr std::uint32_t kYellow = 0xFFFF00;  // 4
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kMagenta = 0xFF00FF;  // the colour background
const std::vector<std::uint32_t> kPalette = {kGrey, kRed, kGreen, kBlue, kYellow};

using Grid = std::vector<std::vector<std::uint32_t>>;

// Five frames on a 4 x 4 screen: a red field; a transparent frame with
// disposal 2; an opaque frame with disposal 3 that uses index 0 (the
// previous frame's transparent index); a frame with its own palette; a
// frame back on the global palette.
GifPlan CompositionAnimation() {
    GifPlan plan;
    plan.globalPalette = kPalette;
    plan.frames.push_back(Frame(0, 0, 4, 4, std::vector<std::uint8_t>(16, 1), gif::Disposal::Keep));
    plan.frames.push_back(Frame(1, 1, 2, 2, {0, 2, 2, 0}, gif::Disposal::RestoreBackground, 0));
    plan.frames.push_back(Frame(0, 0, 2, 2, {3, 3, 3, 0}, gif::Disposal::RestorePrevious));
    FramePlan local = Frame(3, 3, 1, 1, {0});
    local.localPalette = {kWhite};
    plan.frames.push_back(local);
    plan.frames.push_back(Frame(0, 3, 1, 1, {0}));
    return plan;
}

// What the composition animation shows after each frame, with `under(x, y)`
// where the background shows through.
std::vector<Grid> ExpectedComposition(const std::function<std::uint32_t(int, int)>& under) {
    const std::uint32_t R = kRed, G = kGreen, B = kBlue, g = kGrey, W = kWhite;
    const std::uint32_t u11 = under(1, 1), u21 = under(2, 1), u12 = under(1, 2), u22 = under(2, 2);
    return {
        {{R, R, R, R}, {R, R, R, R}, {R, R, R, R}, {R, R, R, R}},
        {{R, R, R, R}, {R, R, G, R}, {R, G, R, R}, {R, R, R, R}},
        {{B, B, R, R}, {B, g, u21, R}, {R, u12, u22, R}, {R, R, R, R}},
        {{R, R, R, R}, {R, u11, u21, R}, {R, u12, u22, R}, {R, R, R, W}},
        {{R, R, R, R}, {R, u11, u21, R}, {R, u12, u22, R}, {g, R, R, W}},
    };
}

// A 32-bit canvas with a memory DC, standing in for a client's surface.
class Canvas {
public:
    Canvas(int width, int height, const std::function<std::uint32_t(int, int)>& paint) : bitmap_(width, height) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bitmap_.pixels()[static_cast<std::size_t>(y) * width + x] = Bgra{paint(x, y)};
        dc_.SelectBitmap(bitmap_.handle());
    }
    HDC dc() const { return dc_.get(); }
    std::uint32_t At(int x, int y) const {
        GdiFlush();
        return bitmap_.pixel(x, y) & 0xFFFFFF;
    }
    Grid Area(int left, int top, int width, int height) const {
        Grid grid(static_cast<std::size_t>(height), std::vector<std::uint32_t>(static_cast<std::size_t>(width)));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) grid[y][x] = At(left + x, top + y);
        return grid;
    }

private:
    Bitmap32 bitmap_;
    BitmapDc dc_;  // after the bitmap: gives it back before it goes
};

// Records what the viewer asks and tells.
class Client : public IGifRender {
public:
    Client() = default;
    // Draws into the canvas.
    explicit Client(const Canvas& canvas) : dc(canvas.dc()) {}

    struct Note {
        std::int32_t frame, message;
        std::intptr_t value;
        bool operator==(const Note&) const = default;
    };

    void GetRenderDC(std::int32_t ViewerID, std::int32_t FrameIndex, HDC& destDC, HWND& hwndRefresh, bool& bAutoRedraw,
                     bool& PostNotify) override {
        ids.push_back(ViewerID);
        asked.push_back(FrameIndex);
        destDC = dc;
        hwndRefresh = refresh;
        bAutoRedraw = autoRedraw;
        PostNotify = postNotify;
    }
    void Rendered(std::int32_t ViewerID, std::int32_t FrameIndex, std::int32_t Message,
                  std::intptr_t MsgValue) override {
        ids.push_back(ViewerID);
        notes.push_back({FrameIndex, Message, MsgValue});
        if (onRendered) onRendered(notes.back());
    }
    std::vector<Note> Notes(std::int32_t message) const {
        std::vector<Note> out;
        for (const Note& n : notes)
            if (n.message == message) out.push_back(n);
        return out;
    }

    HDC dc = nullptr;
    HWND refresh = nullptr;
    bool autoRedraw = true;
    bool postNotify = true;
    std::function<void(const Note&)> onRendered;
    std::vector<std::int32_t> ids, asked;
    std::vector<Note> notes;
};

class GifViewerTest : public testing::Test {
protected:
    void SetUp() override {
        window_ = CreateWindowExW(0, L"STATIC", L"timers", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_TRUE(window_);
    }
    void TearDown() override { DestroyWindow(window_); }

    std::wstring Save(const std::vector<std::uint8_t>& bytes, const std::wstring& name = L"a.gif") {
        const std::wstring path = folder_.File(name);
        test::WriteFileBytes(path, bytes);
        return path;
    }
    std::wstring Save(const GifPlan& plan, const std::wstring& name = L"a.gif") { return Save(WriteGif(plan), name); }

    // Delivers an expired frame timer the way the message loop does.
    void TimerMessage(cGIFViewer& viewer) {
        MSG msg{window_, WM_TIMER, reinterpret_cast<WPARAM>(&viewer), reinterpret_cast<LPARAM>(&cGIFViewer::TimerProc),
                0,       {}};
        DispatchMessageW(&msg);
    }
    // Whether the viewer's frame timer is set on the window (and ends it).
    bool TakeTimer(cGIFViewer& viewer) { return KillTimer(window_, reinterpret_cast<UINT_PTR>(&viewer)) != 0; }

    // Sets a colour background (at 0, 0, the image's size, 1:1) when the
    // viewer reports that loading starts.
    static void ColourBackgroundOnLoad(cGIFViewer& viewer, Client& client, COLORREF colour) {
        client.onRendered = [&viewer, colour](const Client::Note& note) {
            if (note.message == cGIFViewer::kMsgLoading && note.value == 0)
                viewer.SetAnimationBkg(cGIFViewer::kBkgColour, colour, 0, 0, 0, 0, gif::kStretchNone, -1, -1);
        };
    }

    // Loads the composition animation with a client that asks for a
    // background in its Rendered(loading starts), and records the
    // destination area after every frame drawn.
    std::vector<Grid> Compose(cGIFViewer& viewer, Client& client, const Canvas& canvas,
                              const std::function<void()>& setBackground, int left, int top) {
        std::vector<Grid> shots;
        client.dc = canvas.dc();
        client.onRendered = [&](const Client::Note& note) {
            if (note.message == cGIFViewer::kMsgLoading && note.value == 0) setBackground();
            if (note.message == cGIFViewer::kMsgFrameDrawn) shots.push_back(canvas.Area(left, top, 4, 4));
        };
        EXPECT_EQ(viewer.LoadGIF(Save(CompositionAnimation()), 1, &client, window_), 5);
        for (int k = 2; k <= 5; ++k) viewer.SetAnimationState(cGIFViewer::kStepped);
        client.onRendered = nullptr;
        return shots;
    }

    test::TempFolder folder_;
    HWND window_ = nullptr;
};

// ---------------------------------------------------------------- LoadGIF

GifPlan ThreeFrames(std::optional<std::uint16_t> loops = {}) {
    GifPlan plan;
    plan.globalPalette = kPalette;
    plan.loops = loops;
    plan.frames.push_back(SolidFrame(0, 0, 4, 4, 1));
    plan.frames.push_back(SolidFrame(1, 2, 3, 2, 2));
    plan.frames.push_back(SolidFrame(0, 0, 4, 4, 3));
    plan.frames[1].delay = 20;
    plan.frames[1].disposal = gif::Disposal::RestoreBackground;
    plan.frames[2].delay = 100;
    plan.frames[2].disposal = gif::Disposal::RestorePrevious;
    return plan;
}

TEST_F(GifViewerTest, LoadReportsProgressAndShowsTheFirstFrameWhileDecoding) {
    Canvas canvas(4, 4, [](int, int) { return 0u; });
    Client client(canvas);
    cGIFViewer viewer;
    EXPECT_EQ(viewer.LoadGIF(Save(ThreeFrames()), 42, &client, window_), 3);
    using N = Client::Note;
    const std::vector<N> expected = {{1, 1, 0},   {1, 0, reinterpret_cast<std::intptr_t>(canvas.dc())},
                                     {1, 1, 33},  {2, 1, 66},
                                     {3, 1, 100}, {3, 1, 100}};
    EXPECT_EQ(client.notes, expected);
    EXPECT_EQ(client.asked, std::vector<std::int32_t>{1});
    for (std::int32_t id : client.ids) EXPECT_EQ(id, 42);
    EXPECT_EQ(viewer.AnimationIndex(), 1);
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kStopped);
    EXPECT_EQ(viewer.Width(), 4);
    EXPECT_EQ(viewer.Height(), 4);
}

TEST_F(GifViewerTest, LoadWithoutClientOrTimerWindowIsNegativeAndSilent) {
    const std::wstring path = Save(ThreeFrames());
    Client client;
    cGIFViewer viewer;
    EXPECT_EQ(viewer.LoadGIF(path, 1, nullptr, window_), -3);
    EXPECT_EQ(viewer.LoadGIF(path, 1, &client, nullptr), -3);
    HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(viewer.LoadGIF(path, 1, &client, gone), -3);
    EXPECT_TRUE(client.notes.empty());
    EXPECT_TRUE(client.asked.empty());

    // Loaded all the same: frames draw on request, animation does nothing.
    EXPECT_EQ(viewer.Width(), 4);
    viewer.SetAnimationState(cGIFViewer::kPlaying);
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kStopped);
    EXPECT_FALSE(TakeTimer(viewer));
    EXPECT_FALSE(viewer.SetAnimationBkg(cGIFViewer::kBkgColour, 0, 0, 0, 4, 4, gif::kStretchNone, -1, -1));
    Canvas canvas(6, 6, [](int, int) { return 0u; });
    EXPECT_TRUE(viewer.RenderFrame(2, canvas.dc(), nullptr, false, 1, 1, 4, 4, gif::kStretchNone));
    EXPECT_EQ(canvas.At(2, 3), kGreen);  // frame 2 sits at (1, 2) of the image, drawn from (1, 1)
    EXPECT_EQ(canvas.At(1, 1), 0u);
    EXPECT_FALSE(viewer.RenderFrame(4, canvas.dc(), nullptr, false, 0, 0, 0, 0, gif::kStretchNone));
    EXPECT_FALSE(viewer.RenderFrame(1, reinterpret_cast<HDC>(gone), nullptr, false, 0, 0, 0, 0, gif::kStretchNone));
}

TEST_F(GifViewerTest, FilesThatCannotBeShownLoadNothing) {
    Client client;
    cGIFViewer viewer;
    auto load = [&](const std::vector<std::uint8_t>& bytes) {
        return viewer.LoadGIF(Save(bytes, L"bad.gif"), 1, &client, window_);
    };
    EXPECT_EQ(viewer.LoadGIF(folder_.File(L"missing.gif"), 1, &client, window_), 0);

    std::vector<std::uint8_t> good = WriteGif(ThreeFrames());
    EXPECT_EQ(load({good.begin(), good.begin() + 19}), 0);
    std::vector<std::uint8_t> badSignature = good;
    badSignature[4] = '8';  // GIF88a
    EXPECT_EQ(load(badSignature), 0);
    GifPlan noTables = ThreeFrames();
    noTables.globalPalette.clear();
    EXPECT_EQ(load(WriteGif(noTables)), 0);

    // A hundred bytes declaring frames of 65535 x 65535.
    GifPlan huge;
    huge.globalPalette = kPalette;
    huge.frames.push_back(Frame(0, 0, 1, 1, {1}));
    std::vector<std::uint8_t> bytes = WriteGif(huge);
    const std::size_t separator = 13 + 768 + 8;  // after the global table and the extension
    ASSERT_EQ(bytes[separator], 0x2C);
    for (std::size_t i = separator + 5; i < separator + 9; ++i) bytes[i] = 0xFF;
    EXPECT_EQ(load(bytes), 0);

    EXPECT_EQ(viewer.Width(), 0);
    EXPECT_EQ(viewer.Height(), 0);
    EXPECT_EQ(viewer.FrameProperty(1, gif::kPropFrameCount), 0);
    // Nothing but the load-start notice of a file that failed later.
    for (const Client::Note& note : client.notes) EXPECT_EQ(note.message, cGIFViewer::kMsgLoading);
}

TEST_F(GifViewerTest, AFrameStripBeyondTheViewersLimitIsRefused) {
    // Four 65535 x 1100 frames: 288 million indices, which their 6000 data
    // bytes each could in principle expand to. The file is 25 kB.
    GifPlan plan;
    plan.globalPalette = kPalette;
    std::vector<std::uint8_t> bytes = WriteGif(plan);
    bytes.pop_back();  // trailer
    for (int k = 0; k < 4; ++k) {
        bytes.insert(bytes.end(), {0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0x4C, 0x04, 0x00, 0x08});
        for (int block = 0; block < 24; ++block) {
            bytes.push_back(250);
            bytes.insert(bytes.end(), 250, 0x00);
        }
        bytes.push_back(0);
    }
    bytes.push_back(0x3B);
    const gif::GifIndex index = gif::IndexGif(bytes);
    ASSERT_EQ(index.frames.size(), 4u);
    const gif::StripLayout layout = gif::PlanFrameStrip(index);
    ASSERT_GT(layout.Pixels(), cGIFViewer::kMaxStripBytes);

    Client client;
    cGIFViewer viewer;
    EXPECT_EQ(viewer.LoadGIF(Save(bytes), 1, &client, window_), 0);
    EXPECT_TRUE(client.notes.empty());
    // The limit refused it, and says so.
    EXPECT_EQ(viewer.LastReport().status, gif::GifStatus::StripTooLarge);
    EXPECT_EQ(viewer.LastReport().limit, cGIFViewer::kMaxStripBytes);
}

TEST_F(GifViewerTest, TruncatedFilesKeepTheirCompleteFramesAndNeverFail) {
    const std::vector<std::uint8_t> whole = WriteGif(CompositionAnimation());
    Canvas canvas(4, 4, [](int, int) { return 0u; });
    Client client(canvas);
    cGIFViewer viewer;
    std::int32_t previous = 0;
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        const std::int32_t frames = viewer.LoadGIF(Save(cut, L"cut.gif"), 1, &client, window_);
        ASSERT_GE(frames, previous) << length;
        ASSERT_LE(frames, 5) << length;
        previous = frames;
        viewer.SetAnimationState(cGIFViewer::kStepped);
        viewer.SetAnimationState(cGIFViewer::kRedraw);
    }
    EXPECT_EQ(previous, 5);
    // The last frame's bytes end before the trailer.
    const std::vector<std::uint8_t> noTrailer(whole.begin(), whole.end() - 1);
    EXPECT_EQ(viewer.LoadGIF(Save(noTrailer, L"cut.gif"), 1, &client, window_), 5);
}

TEST_F(GifViewerTest, ZeroSizeFramesLoadAndDrawNothing) {
    GifPlan plan;
    plan.globalPalette = kPalette;
    plan.frames.push_back(SolidFrame(0, 0, 2, 2, 1));
    plan.frames.push_back(Frame(1, 1, 0, 0, {}));
    plan.frames.push_back(Frame(1, 0, 1, 0, {}));
    Canvas canvas(2, 2, [](int, int) { return 0u; });
    Client client(canvas);
    cGIFViewer viewer;
    ColourBackgroundOnLoad(viewer, client, RGB(0xFF, 0, 0xFF));
    ASSERT_EQ(viewer.LoadGIF(Save(plan), 1, &client, window_), 3);
    viewer.SetAnimationState(cGIFViewer::kStepped);
    viewer.SetAnimationState(cGIFViewer::kStepped);
    EXPECT_EQ(viewer.AnimationIndex(), 3);
    EXPECT_EQ(canvas.Area(0, 0, 2, 2), (Grid{{kRed, kRed}, {kRed, kRed}}));
    EXPECT_EQ(client.asked, (std::vector<std::int32_t>{1, 2, 3}));
}

TEST_F(GifViewerTest, AFailingProgressNotificationFailsTheLoad) {
    Client client;
    client.onRendered = [](const Client::Note& note) {
        if (note.message == cGIFViewer::kMsgLoading && note.value == 66) throw std::runtime_error("client gone");
    };
    cGIFViewer viewer;
    EXPECT_EQ(viewer.LoadGIF(Save(ThreeFrames()), 1, &client, window_), 0);
    EXPECT_EQ(viewer.Width(), 0);
    EXPECT_FALSE(TakeTimer(viewer));
}

TEST_F(GifViewerTest, ClientsMayUseFramesThatAreNotDecodedYet) {
    // A wide first frame, so that the strip is wider than the file is long.
    GifPlan plan;
    plan.globalPalette = kPalette;
    plan.frames.push_back(SolidFrame(0, 0, 2000, 4, 1));
    plan.frames.push_back(SolidFrame(0, 0, 4, 4, 2));
    plan.frames.push_back(SolidFrame(0, 0, 4, 4, 3));
    Canvas canvas(4, 4, [](int, int) { return 0u; });
    Client client(canvas);
    cGIFViewer viewer;
    SharedPicture early;
    client.onRendered = [&](const Client::Note& note) {
        if (note.message != cGIFViewer::kMsgLoading || note.frame != 1 || note.value == 0) return;
        early = viewer.FrameImage(3, cGIFViewer::kPicBitmap);
        viewer.SetAnimationState(cGIFViewer::kStepped);
        viewer.RenderFrame(3, canvas.dc(), nullptr, false, 0, 0, 4, 4, gif::kStretchNone);
    };
    ASSERT_EQ(viewer.LoadGIF(Save(plan), 1, &client, window_), 3);
    ASSERT_TRUE(early);
    EXPECT_EQ(early->pixel(0, 0), 0xFF000000u | kGrey);  // index 0 until decoded
    EXPECT_EQ(early->pixel(3, 3), 0xFF000000u | kGrey);
    EXPECT_EQ(viewer.FrameImage(3, cGIFViewer::kPicBitmap)->pixel(3, 3), 0xFF000000u | kBlue);
}

// ---------------------------------------------------------------- composition

TEST_F(GifViewerTest, ComposesTransparencyAndDisposalOverAColour) {
    Canvas canvas(4, 4, [](int, int) { return 0u; });
    Client client;
    cGIFViewer viewer;
    bool accepted = false;
    const auto shots = Compose(
        viewer, client, canvas,
        [&] {
            accepted = viewer.SetAnimationBkg(cGIFViewer::kBkgColour, RGB(0xFF, 0x00, 0xFF), 0, 0, 4, 4,
                                              gif::kStretchNone, -1, -1);
        },
        0, 0);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(shots, ExpectedComposition([](int, int) { return kMagenta; }));
}

TEST_F(GifViewerTest, ComposesOverABackgroundCopiedFromTheDestination) {
    // A pattern on a larger surface; the animation plays at (3, 2).
    auto pattern = [](int x, int y) { return static_cast<std::uint32_t>((x * 20) << 16 | (y * 20) << 8 | 0x64); };
    Canvas canvas(10, 8, pattern);
    Client client;
    cGIFViewer viewer;
    bool accepted = false;
    const auto shots = Compose(
        viewer, client, canvas,
        [&] {
            accepted = viewer.SetAnimationBkg(cGIFViewer::kBkgCopied, reinterpret_cast<std::uintptr_t>(canvas.dc()), 3,
                                              2, 4, 4, gif::kStretchNone, -1, -1);
        },
        3, 2);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(shots, ExpectedComposition([&](int x, int y) { return pattern(3 + x, 2 + y); }));
    // Around the animation the surface is untouched.
    EXPECT_EQ(canvas.At(2, 2), pattern(2, 2));
    EXPECT_EQ(canvas.At(7, 5), pattern(7, 5));
}

TEST_F(GifViewerTest, FitWithoutEnlargingPlacesTheAnimationUnscaled) {
    // The character display's set-up: mode 3 into 300 x 300 at (270, 123).
    Canvas canvas(600, 450, [](int, int) { return 0x102030u; });
    Client client;
    cGIFViewer viewer;
    const auto shots = Compose(
        viewer, client, canvas,
        [&] {
            viewer.SetAnimationBkg(cGIFViewer::kBkgCopied, reinterpret_cast<std::uintptr_t>(canvas.dc()), 270, 123, 300,
                                   300, gif::kStretchFitNoEnlarge, -1, -1);
        },
        270, 123);
    EXPECT_EQ(shots, ExpectedComposition([](int, int) { return 0x102030u; }));
    EXPECT_EQ(canvas.At(274, 123), 0x102030u);

    // With centring (bit 3) the 4 x 4 image sits in the middle.
    std::int32_t x = 270, y = 123, cx = 300, cy = 300;
    double xRatio = 0, yRatio = 0;
    viewer.ScaleToDestination(0, x, y, cx, cy, gif::kStretchFitNoEnlarge | gif::kStretchCentre, xRatio, yRatio);
    EXPECT_EQ(x, 270 + 148);
    EXPECT_EQ(y, 123 + 148);
    EXPECT_EQ(cx, 4);
    EXPECT_DOUBLE_EQ(xRatio, 1.0);
}

TEST_F(GifViewerTest, ATransparentSingleFrameShowsTheBackgroundAndEndsWhenPlayed) {
    GifPlan plan;
    plan.globalPalette = kPalette;
    plan.frames.push_back(Frame(0, 0, 2, 2, {0, 1, 1, 0}, gif::Disposal::Unspecified, 0));
    Canvas canvas(2, 2, [](int, int) { return 0u; });
    Client client(canvas);
    cGIFViewer viewer;
    client.onRendered = [&](const Client::Note& note) {
        if (note.message == cGIFViewer::kMsgLoading && note.value == 0)
            viewer.SetAnimationBkg(cGIFViewer::kBkgColour, RGB(0xFF, 0, 0xFF), 0, 0, 0, 0, gif::kStretchNone, 0, 0);
    };
    ASSERT_EQ(viewer.LoadGIF(Save(plan), 1, &client, window_), 1);
    EXPECT_EQ(canvas.Area(0, 0, 2, 2), (Grid{{kMagenta, kRed}, {kRed, kMagenta}}));

    client.notes.clear();
    viewer.SetAnimationState(cGIFViewer::kPlaying);
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kStopped);
    EXPECT_EQ(client.Notes(cGIFViewer::kMsgAnimationEnded), (std::vector<Client::Note>{{1, 2, 1}}));
    EXPECT_FALSE(TakeTimer(viewer));
    viewer.SetAnimationState(cGIFViewer::kStepped);
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kStopped);
}

TEST_F(GifViewerTest, APaletteIndexColourKeepsItsMeaning) {
    GifPlan plan;
    plan.globalPalette = kPalette;
    plan.frames.push_back(Frame(0, 0, 2, 1, {0, 1}, gif::Disposal::Unspecified, 0));
    Canvas canvas(2, 1, [](int, int) { return 0u; });
    Client client(canvas);
    cGIFViewer viewer;
    // Entry 1 of the default palette, not the colour 0x000001.
    client.onRendered = [&](const Client::Note& note) {
        if (note.message == cGIFViewer::kMsgLoading && note.value == 0)
            viewer.SetAnimationBkg(cGIFViewer::kBkgColour, PALETTEINDEX(1), 0, 0, 0, 0, gif::kStretchNone, 0, 0);
    };
    ASSERT_EQ(viewer.LoadGIF(Save(plan), 1, &client, window_), 1);
    EXPECT_EQ(canvas.Area(0, 0, 2, 1), (Grid{{0x800000u, kRed}}));
}

TEST_F(GifViewerTest, LoadingTellsWhyAFileWasRefused) {
    // Frames of 1 x 2000 and 2000 x 1: the strip's padding needs no data.
    GifPlan tall;
    tall.globalPalette = kPalette;
    tall.frames = {SolidFrame(0, 0, 1, 2000, 1), SolidFrame(0, 0, 2000, 1, 2)};
    cGIFViewer viewer;
    EXPECT_EQ(viewer.LoadGIF(Save(tall), 1, nullptr, nullptr), -2);
    EXPECT_EQ(viewer.LastReport().status, gif::GifStatus::Loaded);

    EXPECT_EQ(viewer.LoadGIF(Save({'G', 'I', 'F'}, L"short.gif"), 1, nullptr, nullptr), 0);
    EXPECT_EQ(gif::Describe(viewer.LastReport()), "Not a GIF file: it is shorter than 20 bytes.");
    EXPECT_EQ(viewer.LoadGIF(folder_.File(L"missing.gif"), 1, nullptr, nullptr), 0);
    EXPECT_EQ(viewer.LastReport().status, gif::GifStatus::FileUnreadable);
}

TEST_F(GifViewerTest, AnOpaqueSingleFrameNeedsNoBuffer) {
    GifPlan plan;
    plan.globalPalette = kPalette;
    plan.frames.push_back(SolidFrame(0, 0, 3, 3, 2));
    Canvas canvas(5, 5, [](int, int) { return 0u; });
    Client client(canvas);
    cGIFViewer viewer;
    bool accepted = false;
    client.onRendered = [&](const Client::Note& note) {
        if (note.message == cGIFViewer::kMsgLoading && note.value == 0)
            accepted = viewer.SetAnimationBkg(cGIFViewer::kBkgColour, 0x8000000F, 1, 1, 0, 0, gif::kStretchNone, 0, 0);
    };
    ASSERT_EQ(viewer.LoadGIF(Save(plan), 1, &client, window_), 1);
    EXPECT_TRUE(accepted);
    // Drawn straight at the destination; no colour background to change.
    EXPECT_EQ(canvas.At(1, 1), kGreen);
    EXPECT_EQ(canvas.At(3, 3), kGreen);
    EXPECT_EQ(canvas.At(0, 0), 0u);
    EXPECT_FALSE(viewer.SetAnimationBkgColor(RGB(1, 2, 3)));
}

TEST_F(GifViewerTest, ANewBackgroundColourShowsUnderTheNextFrame) {
    GifPlan plan;
    plan.globalPalette = kPalette;
    plan.frames.push_back(Frame(0, 0, 2, 1, {1, 0}, gif::Disposal::RestoreBackground, 0));
    plan.frames.push_back(Frame(0, 0, 2, 1, {0, 2}, gif::Disposal::RestoreBackground, 0));
    Canvas canvas(2, 1, [](int, int) { return 0u; });
    Client client(canvas);
    cGIFViewer viewer;
    client.onRendered = [&](const Client::Note& note) {
        if (note.message == cGIFViewer::kMsgLoading && note.value == 0)
            viewer.SetAnimationBkg(cGIFViewer::kBkgColour, RGB(0xFF, 0, 0xFF), 0, 0, 0, 0, gif::kStretchNone, 0, 0);
    };
    ASSERT_EQ(viewer.LoadGIF(Save(plan), 1, &client, window_), 2);
    EXPECT_EQ(canvas.Area(0, 0, 2, 1), (Grid{{kRed, kMagenta}}));
    EXPECT_TRUE(viewer.SetAnimationBkgColor(RGB(0, 0, 0xFF)));
    viewer.SetAnimationState(cGIFViewer::kStepped);
    EXPECT_EQ(canvas.Area(0, 0, 2, 1), (Grid{{kBlue, kGreen}}));
}

TEST_F(GifViewerTest, ABackgroundFromAWindowThatIsGoneChangesNothing) {
    Canvas canvas(4, 4, [](int, int) { return 0u; });
    Client client(canvas);
    cGIFViewer viewer;
    ASSERT_EQ(viewer.LoadGIF(Save(CompositionAnimation()), 1, &client, window_), 5);
    ASSERT_TRUE(
        viewer.SetAnimationBkg(cGIFViewer::kBkgColour, RGB(0xFF, 0, 0xFF), 0, 0, 4, 4, gif::kStretchNone, -1, -1));
    HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_FALSE(viewer.SetAnimationBkg(cGIFViewer::kBkgCopied, reinterpret_cast<std::uintptr_t>(gone), 0, 0, 4, 4,
                                        gif::kStretchNone, -1, -1));
    // The colour background is still in place.
    EXPECT_TRUE(viewer.SetAnimationBkgColor(RGB(0, 0, 0xFF)));
    viewer.SetAnimationState(cGIFViewer::kStepped);
    viewer.SetAnimationState(cGIFViewer::kStepped);
    EXPECT_EQ(canvas.At(2, 1), kBlue);
}

TEST_F(GifViewerTest, WindowBackgroundColourComesFromTheGlobalTable) {
    GifPlan plan = ThreeFrames();
    plan.background = 1;  // red
    cGIFViewer viewer;
    EXPECT_EQ(viewer.WindowBkgColor(), 0u);
    ASSERT_EQ(viewer.LoadGIF(Save(plan), 1, nullptr, nullptr), -3);
    EXPECT_EQ(viewer.WindowBkgColor(), 0x0000FFu);
}

// ---------------------------------------------------------------- animation

TEST_F(GifViewerTest, PlaysEachFrameOnItsOwnTimerAndStopsAfterTheLoopCount) {
    Canvas canvas(4, 4, [](int, int) { return 0u; });
    Client client(canvas);
    client.postNotify = false;
    cGIFViewer viewer;
    viewer.SetMinimumDelay(30000);  // no timer expires by itself during the test
    ASSERT_EQ(viewer.LoadGIF(Save(ThreeFrames(2)), 1, &client, window_), 3);
    EXPECT_EQ(viewer.LoopCount(), 2);
    client.asked.clear();

    viewer.SetAnimationState(cGIFViewer::kPlaying);
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kPlaying);
    for (int tick = 0; tick < 5; ++tick) {
        TimerMessage(viewer);
        EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kPlaying) << tick;
    }
    EXPECT_TRUE(client.Notes(cGIFViewer::kMsgAnimationEnded).empty());
    TimerMessage(viewer);  // the wrap after the second loop
    EXPECT_EQ(client.asked, (std::vector<std::int32_t>{1, 2, 3, 1, 2, 3, 1}));
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kStopped);
    EXPECT_EQ(viewer.AnimationIndex(), 1);
    EXPECT_EQ(client.Notes(cGIFViewer::kMsgAnimationEnded), (std::vector<Client::Note>{{1, 2, 2}}));

    // No timer is left, and a stray timer message changes nothing.
    EXPECT_FALSE(TakeTimer(viewer));
    TimerMessage(viewer);
    EXPECT_EQ(client.asked.size(), 7u);

    // Play after the end starts again at frame 1 with the loops reset.
    viewer.SetAnimationState(cGIFViewer::kPlaying);
    for (int tick = 0; tick < 5; ++tick) TimerMessage(viewer);
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kPlaying);
    EXPECT_TRUE(TakeTimer(viewer));
}

TEST_F(GifViewerTest, WithoutALoopCountTheAnimationNeverStops) {
    Canvas canvas(4, 4, [](int, int) { return 0u; });
    Client client(canvas);
    cGIFViewer viewer;
    viewer.SetMinimumDelay(30000);
    ASSERT_EQ(viewer.LoadGIF(Save(ThreeFrames()), 1, &client, window_), 3);
    viewer.SetAnimationState(cGIFViewer::kPlaying);
    for (int tick = 0; tick < 20; ++tick) TimerMessage(viewer);
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kPlaying);
    EXPECT_EQ(viewer.AnimationIndex(), 3);  // 1 + 20 ticks, three frames
    EXPECT_TRUE(TakeTimer(viewer));
}

TEST_F(GifViewerTest, StepPauseStopAndPlayFollowTheirRules) {
    Canvas canvas(4, 4, [](int, int) { return 0u; });
    Client client(canvas);
    cGIFViewer viewer;
    viewer.SetMinimumDelay(30000);
    ASSERT_EQ(viewer.LoadGIF(Save(ThreeFrames()), 1, &client, window_), 3);
    auto lastDrawn = [&] { return client.asked.back(); };

    viewer.SetAnimationState(cGIFViewer::kPlaying);
    TimerMessage(viewer);
    EXPECT_EQ(lastDrawn(), 2);
    // Step while playing freezes on the frame shown.
    viewer.SetAnimationState(cGIFViewer::kStepped);
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kStepped);
    EXPECT_EQ(viewer.AnimationIndex(), 2);
    EXPECT_EQ(lastDrawn(), 2);
    EXPECT_FALSE(TakeTimer(viewer));
    // A second step shows the next frame.
    viewer.SetAnimationState(cGIFViewer::kStepped);
    EXPECT_EQ(viewer.AnimationIndex(), 3);
    EXPECT_EQ(lastDrawn(), 3);
    // Play from a step goes on with the next frame (after the last: the first).
    viewer.SetAnimationState(cGIFViewer::kPlaying);
    EXPECT_EQ(viewer.AnimationIndex(), 1);
    EXPECT_EQ(lastDrawn(), 1);
    // Pause keeps the frame and kills the timer; pausing again stops.
    viewer.SetAnimationState(cGIFViewer::kPaused);
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kPaused);
    EXPECT_FALSE(TakeTimer(viewer));
    viewer.SetAnimationState(cGIFViewer::kPaused);
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kStopped);
    // Redraw draws the current frame and changes no state.
    const std::size_t drawn = client.asked.size();
    viewer.SetAnimationState(cGIFViewer::kRedraw);
    EXPECT_EQ(client.asked.size(), drawn + 1);
    EXPECT_EQ(lastDrawn(), 1);
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kStopped);
    // Play from a pause resumes with the next frame.
    viewer.SetAnimationState(cGIFViewer::kPlaying);
    viewer.SetAnimationState(cGIFViewer::kPaused);
    viewer.SetAnimationState(cGIFViewer::kPlaying);
    EXPECT_EQ(viewer.AnimationIndex(), 2);
    // An action outside 0..4 stops.
    viewer.SetAnimationState(9);
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kStopped);
    EXPECT_FALSE(TakeTimer(viewer));
}

TEST_F(GifViewerTest, FramesAskedNotToBeDrawnStillAdvance) {
    Client client;  // its DC is 0
    cGIFViewer viewer;
    viewer.SetMinimumDelay(30000);
    ASSERT_EQ(viewer.LoadGIF(Save(ThreeFrames()), 1, &client, window_), 3);
    viewer.SetAnimationState(cGIFViewer::kPlaying);
    TimerMessage(viewer);
    TimerMessage(viewer);
    EXPECT_EQ(viewer.AnimationIndex(), 3);
    EXPECT_TRUE(client.Notes(cGIFViewer::kMsgFrameDrawn).empty());
    EXPECT_TRUE(TakeTimer(viewer));
}

TEST_F(GifViewerTest, OperationsThatPauseLeaveAPlayingAnimationPlaying) {
    Canvas canvas(4, 4, [](int, int) { return 0u; });
    Client client(canvas);
    cGIFViewer viewer;
    viewer.SetMinimumDelay(30000);
    client.onRendered = [&](const Client::Note& note) {
        if (note.message == cGIFViewer::kMsgLoading && note.value == 0)
            viewer.SetAnimationBkg(cGIFViewer::kBkgColour, RGB(0xFF, 0, 0xFF), 0, 0, 0, 0, gif::kStretchNone, 0, 0);
    };
    ASSERT_EQ(viewer.LoadGIF(Save(ThreeFrames()), 1, &client, window_), 3);
    viewer.SetAnimationState(cGIFViewer::kPlaying);
    EXPECT_TRUE(viewer.FrameImage(1, cGIFViewer::kPicBitmap));
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kPlaying);
    EXPECT_TRUE(viewer.FrameImage(2, cGIFViewer::kPicGifStream));
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kPlaying);
    EXPECT_TRUE(viewer.SetAnimationBkgColor(RGB(0, 0, 0)));
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kPlaying);
    EXPECT_TRUE(viewer.SetAnimationBkg(cGIFViewer::kBkgColour, RGB(0, 0, 0), 0, 0, 0, 0, gif::kStretchNone, 0, 0));
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kPlaying);
    // Each resume moved on by one frame: 1 -> 2 -> 3 -> 1 -> 2.
    EXPECT_EQ(viewer.AnimationIndex(), 2);
    EXPECT_TRUE(TakeTimer(viewer));
}

TEST_F(GifViewerTest, ReloadingStopsTheAnimationFirst) {
    Canvas canvas(4, 4, [](int, int) { return 0u; });
    Client client(canvas);
    cGIFViewer viewer;
    viewer.SetMinimumDelay(30000);
    const std::wstring path = Save(ThreeFrames());
    ASSERT_EQ(viewer.LoadGIF(path, 1, &client, window_), 3);
    viewer.SetAnimationState(cGIFViewer::kPlaying);
    TimerMessage(viewer);
    ASSERT_EQ(viewer.LoadGIF(path, 1, &client, window_), 3);
    EXPECT_EQ(viewer.AnimationState(), cGIFViewer::kStopped);
    EXPECT_EQ(viewer.AnimationIndex(), 1);
    EXPECT_FALSE(TakeTimer(viewer));
    EXPECT_EQ(viewer.MinimumDelay(), 30000);
}

TEST_F(GifViewerTest, ADestroyedViewerLeavesNoTimerAndIgnoresLateMessages) {
    Canvas canvas(4, 4, [](int, int) { return 0u; });
    Client client(canvas);
    auto viewer = std::make_unique<cGIFViewer>();
    viewer->SetMinimumDelay(30000);
    ASSERT_EQ(viewer->LoadGIF(Save(ThreeFrames()), 1, &client, window_), 3);
    viewer->SetAnimationState(cGIFViewer::kPlaying);
    const UINT_PTR id = reinterpret_cast<UINT_PTR>(viewer.get());
    viewer.reset();
    EXPECT_FALSE(KillTimer(window_, id));
    const std::size_t asked = client.asked.size();
    MSG msg{window_, WM_TIMER, id, reinterpret_cast<LPARAM>(&cGIFViewer::TimerProc), 0, {}};
    DispatchMessageW(&msg);
    cGIFViewer::TimerProc(window_, WM_TIMER, id, 0);
    EXPECT_EQ(client.asked.size(), asked);
}

// ---------------------------------------------------------------- properties

TEST_F(GifViewerTest, FramePropertiesOfALoadedFile) {
    cGIFViewer viewer;
    EXPECT_EQ(viewer.FrameProperty(1, gif::kPropFrameCount), 0);
    ASSERT_EQ(viewer.LoadGIF(Save(ThreeFrames()), 1, nullptr, nullptr), -3);
    EXPECT_EQ(viewer.FrameProperty(1, gif::kPropDelay), 50);
    EXPECT_EQ(viewer.FrameProperty(2, gif::kPropDelay), 200);
    EXPECT_EQ(viewer.FrameProperty(3, gif::kPropDelay), 1000);
    EXPECT_EQ(viewer.FrameProperty(2, gif::kPropLeft), 1);
    EXPECT_EQ(viewer.FrameProperty(2, gif::kPropTop), 2);
    EXPECT_EQ(viewer.FrameProperty(2, gif::kPropWidth), 3);
    EXPECT_EQ(viewer.FrameProperty(2, gif::kPropHeight), 2);
    EXPECT_EQ(viewer.FrameProperty(2, gif::kPropDisposal), static_cast<std::int32_t>(gif::Disposal::RestoreBackground));
    EXPECT_EQ(viewer.FrameProperty(3, gif::kPropDisposal), static_cast<std::int32_t>(gif::Disposal::RestorePrevious));
    EXPECT_EQ(viewer.FrameProperty(2, gif::kPropFrameCount), 3);
    EXPECT_EQ(viewer.FrameProperty(4, gif::kPropFrameCount), 0);
    EXPECT_EQ(viewer.FrameProperty(2, 7), 0);
    viewer.SetMinimumDelay(300);
    EXPECT_EQ(viewer.FrameProperty(2, gif::kPropDelay), 300);
    viewer.UnloadGIF();
    EXPECT_EQ(viewer.FrameProperty(1, gif::kPropDelay), 0);
}

TEST_F(GifViewerTest, MinimumDelayAndLoopCountWrites) {
    cGIFViewer viewer;
    EXPECT_EQ(viewer.MinimumDelay(), 50);
    viewer.SetMinimumDelay(5);
    EXPECT_EQ(viewer.MinimumDelay(), 10);
    viewer.SetMinimumDelay(65536 + 120);
    EXPECT_EQ(viewer.MinimumDelay(), 120);
    try {
        viewer.SetMinimumDelay(32768);
        ADD_FAILURE() << "no overflow";
    } catch (const RunTimeError& error) {
        EXPECT_EQ(error.Number(), 6);
    }
    EXPECT_EQ(viewer.MinimumDelay(), 120);

    viewer.SetLoopCount(-1);
    EXPECT_EQ(viewer.LoopCount(), 0);
    viewer.SetLoopCount(65536 + 3);
    EXPECT_EQ(viewer.LoopCount(), 3);
    // A load replaces it with the file's value, or 0 without one.
    ASSERT_EQ(viewer.LoadGIF(Save(ThreeFrames()), 1, nullptr, nullptr), -3);
    EXPECT_EQ(viewer.LoopCount(), 0);
    viewer.SetLoopCount(7);
    ASSERT_EQ(viewer.LoadGIF(Save(ThreeFrames(5), L"b.gif"), 1, nullptr, nullptr), -3);
    EXPECT_EQ(viewer.LoopCount(), 5);
    EXPECT_EQ(viewer.MinimumDelay(), 120);
}

TEST_F(GifViewerTest, FramePalettesAndPictures) {
    cGIFViewer viewer;
    std::vector<std::uint32_t> palette = {1, 2, 3};
    EXPECT_FALSE(viewer.FramePalette(1, palette));
    EXPECT_EQ(palette, std::vector<std::uint32_t>(256, 0));
    ASSERT_EQ(viewer.LoadGIF(Save(CompositionAnimation()), 1, nullptr, nullptr), -5);
    EXPECT_FALSE(viewer.FramePalette(0, palette));
    EXPECT_EQ(palette, std::vector<std::uint32_t>(256, 0));
    EXPECT_TRUE(viewer.FramePalette(2, palette));
    EXPECT_EQ(palette[1], kRed);
    EXPECT_EQ(palette[4], kYellow);
    EXPECT_TRUE(viewer.FramePalette(4, palette));
    EXPECT_EQ(palette[0], kWhite);
    EXPECT_EQ(palette[1], 0u);

    // Frame 2: indices {0, 2, 2, 0}, index 0 transparent.
    const SharedPicture bitmap = viewer.FrameImage(2, cGIFViewer::kPicBitmap);
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(bitmap->width(), 2);
    ASSERT_EQ(bitmap->height(), 2);
    EXPECT_EQ(bitmap->pixel(0, 0), 0xFF000000u | kGrey);
    EXPECT_EQ(bitmap->pixel(1, 0), 0xFF000000u | kGreen);
    const SharedPicture encoded = viewer.FrameImage(2, cGIFViewer::kPicGifStream);
    ASSERT_TRUE(encoded);
    ASSERT_EQ(encoded->width(), 2);
    EXPECT_EQ(encoded->pixel(0, 0), 0u);
    EXPECT_EQ(encoded->pixel(1, 0), 0xFF000000u | kGreen);
    EXPECT_EQ(encoded->pixel(0, 1), 0xFF000000u | kGreen);
    EXPECT_EQ(encoded->pixel(1, 1), 0u);
    // A frame with its own palette comes out in its own colours.
    const SharedPicture local = viewer.FrameImage(4, cGIFViewer::kPicGifStream);
    ASSERT_TRUE(local);
    EXPECT_EQ(local->pixel(0, 0), 0xFF000000u | kWhite);

    EXPECT_FALSE(viewer.FrameImage(0, cGIFViewer::kPicBitmap));
    EXPECT_FALSE(viewer.FrameImage(6, cGIFViewer::kPicGifStream));
}

TEST_F(GifViewerTest, LargeFramePicturesMatchTheDecodedIndices) {
    // Enough pixels for the encoder to widen its codes and clear its table.
    GifPlan plan;
    plan.globalPalette.resize(256);
    for (std::uint32_t i = 0; i < 256; ++i) plan.globalPalette[i] = (i << 16) | ((255 - i) << 8) | (i * 7 & 0xFF);
    FramePlan frame = Frame(0, 0, 97, 61, {});
    std::uint32_t seed = 12345;
    for (int i = 0; i < 97 * 61; ++i) {
        seed = seed * 1103515245 + 12345;
        frame.pixels.push_back(static_cast<std::uint8_t>(i % 7 == 0 ? (seed >> 16) : i / 97));
    }
    plan.frames.push_back(frame);
    cGIFViewer viewer;
    ASSERT_EQ(viewer.LoadGIF(Save(plan), 1, nullptr, nullptr), -1);
    const SharedPicture bitmap = viewer.FrameImage(1, cGIFViewer::kPicBitmap);
    const SharedPicture encoded = viewer.FrameImage(1, cGIFViewer::kPicGifStream);
    ASSERT_TRUE(bitmap && encoded);
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 97; ++x) {
            const std::uint32_t expected = 0xFF000000u | plan.globalPalette[frame.pixels[y * 97 + x]];
            ASSERT_EQ(bitmap->pixel(x, y), expected) << x << "," << y;
            ASSERT_EQ(encoded->pixel(x, y), expected) << x << "," << y;
        }
}

// ---------------------------------------------------------------- unloading

TEST_F(GifViewerTest, UnloadingReleasesEveryGraphicsObject) {
    const std::wstring path = Save(CompositionAnimation());
    Canvas canvas(4, 4, [](int, int) { return 0u; });
    Client client(canvas);
    auto viewer = std::make_unique<cGIFViewer>();
    client.onRendered = [&](const Client::Note& note) {
        if (note.message == cGIFViewer::kMsgLoading && note.value == 0)
            viewer->SetAnimationBkg(cGIFViewer::kBkgCopied, reinterpret_cast<std::uintptr_t>(canvas.dc()), 0, 0, 4, 4,
                                    gif::kStretchNone, -1, -1);
    };
    auto useEverything = [&] {
        ASSERT_EQ(viewer->LoadGIF(path, 1, &client, window_), 5);
        viewer->SetAnimationState(cGIFViewer::kPlaying);
        TimerMessage(*viewer);
        EXPECT_TRUE(viewer->FrameImage(3, cGIFViewer::kPicBitmap));
        EXPECT_TRUE(viewer->FrameImage(3, cGIFViewer::kPicGifStream));
        EXPECT_TRUE(viewer->RenderFrame(2, canvas.dc(), nullptr, false, 0, 0, 4, 4, gif::kStretchFit));
        viewer->SetAnimationBkg(cGIFViewer::kBkgColour, RGB(1, 2, 3), 0, 0, 4, 4, gif::kStretchNone, -1, -1);
    };
    // Once first, so that whatever the platform creates for itself on first
    // use is there before counting.
    useEverything();
    viewer->UnloadGIF();
    const DWORD before = LiveGdiObjects();
    for (int round = 0; round < 3; ++round) {
        useEverything();
        // Strip bitmap and context, buffer bitmap and context, brush.
        EXPECT_GE(LiveGdiObjects(), before + 5);
        viewer->UnloadGIF();
        viewer->UnloadGIF();
        EXPECT_EQ(LiveGdiObjects(), before) << round;
    }
    useEverything();
    viewer.reset();  // destroying the viewer unloads it
    EXPECT_EQ(LiveGdiObjects(), before);
}

}  // namespace
}  // namespace vx
