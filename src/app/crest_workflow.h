// The crest workflow, shared by the window and the command line: the crest
// sizes of each mode, the squeeze of a loaded picture into the mode's
// crest, the cut of the ally + clan strip into its two files, the encoding
// of each file at depth 8, the all-or-nothing write and the texts the user
// sees. Portable: pixels in, pixels and file bytes out.
//
// The flow is: loaded picture -> ComposeCrest -> the mode's crest pixels ->
// PlanCrestFiles(folder) -> WriteCrestFiles -> ConfirmationText.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/bgra_image.h"
#include "base/run_time_error.h"

namespace vx {

enum class CrestMode { Clan, AllyClan };

inline constexpr int kCrestHeight = 12;
inline constexpr int kClanCrestWidth = 16;
inline constexpr int kAllyCrestWidth = 8;
inline constexpr int kStripWidth = kAllyCrestWidth + kClanCrestWidth;
// Depth of every crest file the game accepts.
inline constexpr int kCrestFileDepth = 8;

// Width of the crest composed in a mode: the clan crest, or the strip whose
// left kAllyCrestWidth columns are the alliance crest.
constexpr int CrestWidth(CrestMode mode) { return mode == CrestMode::Clan ? kClanCrestWidth : kStripWidth; }

struct PixelSize {
    int width = 0;
    int height = 0;
};

// The part of a loaded picture that is squeezed, from its top-left pixel:
// the size its header gives when it has one, else the picture's own (icons
// and metafiles have no header size); never more than the picture holds.
PixelSize CrestSourceSize(PixelSize header, PixelSize picture);

// The crest of `mode`: the top-left `source` pixels of `picture` squeezed
// whole into CrestWidth(mode) x kCrestHeight, each crest pixel the
// area-weighted average of what it covers. Empty when `source` or the
// picture is empty (nothing to squeeze).
// With `keepProportions` only the centred part of the source with the
// crest's own proportions (4 : 3 for the clan crest, 2 : 1 for the strip)
// is squeezed, so a wide banner or a tall portrait is not distorted.
// With `crisp` the crisp squeeze (imaging/crisp_squeeze.h) takes the
// exact average's place: enlarged pixel art comes back to its own pixels
// and thin strokes stay lines.
BgraImage ComposeCrest(CrestMode mode, ConstBgraView picture, PixelSize source, bool keepProportions = false,
                       bool crisp = false);

enum class CrestRole { Ally, Clan };

// One file of a save: which crest, where it is cut from the mode's crest,
// its path, its pixels and its encoded bytes.
struct CrestFile {
    CrestRole role = CrestRole::Clan;
    int left = 0;  // first column in the mode's crest
    std::wstring path;
    BgraImage pixels;
    std::vector<std::uint8_t> bytes;
};

// The files a save writes into `folder` (the folder's text followed by
// "\ally.bmp" / "\clan.bmp", as it stands), cut from `crest` (the mode's
// crest, CrestWidth(mode) x kCrestHeight) and encoded at kCrestFileDepth:
// in Clan one clan file, in AllyClan the ally file (columns 0..7) and then
// the clan file (columns 8..23). Throws std::invalid_argument when `crest`
// is not the mode's size.
std::vector<CrestFile> PlanCrestFiles(CrestMode mode, ConstBgraView crest, const std::wstring& folder);

// Writes the planned files as one save: all of them or none (the
// all-or-nothing writer). Returns the writer's error when nothing was
// written (the window shows its description after the writer's "Fehler!",
// the command line its plain sentence), nullopt on success.
// When given, `failedFile` gets the path of the file that could not be
// written.
std::optional<RunTimeError> WriteCrestFiles(const std::vector<CrestFile>& files, std::wstring* failedFile = nullptr);

// The folder browser's title, and the confirmation shown after a save that
// wrote `files`.
std::wstring FolderBrowserTitle(CrestMode mode);
std::wstring ConfirmationTitle(CrestMode mode);
std::wstring ConfirmationText(CrestMode mode, const std::vector<CrestFile>& files);

}  // namespace vx
