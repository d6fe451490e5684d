#include "app/crest_workflow.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <stdexcept>

#include "bmp/atomic_file.h"
#include "bmp/bmp_file.h"
#include "imaging/centred_crop.h"
#include "imaging/crisp_squeeze.h"
#include "base/run_time_error.h"
#include "imaging/squeeze.h"

namespace vx {
namespace {

// The writer ignores a palette whose size is not the colour table's, so
// the table is always built from the crest's own colours.
constexpr std::int32_t kCrestPalette[2] = {0, 1};

const wchar_t* FileNameOf(CrestRole role) { return role == CrestRole::Ally ? L"\\ally.bmp" : L"\\clan.bmp"; }
const wchar_t* LabelOf(CrestRole role) { return role == CrestRole::Ally ? L"( ally crest )" : L"( clan crest )"; }

struct Piece {
    CrestRole role;
    int left;
    int width;
};

std::vector<Piece> PiecesOf(CrestMode mode) {
    if (mode == CrestMode::Clan) return {{CrestRole::Clan, 0, kClanCrestWidth}};
    return {{CrestRole::Ally, 0, kAllyCrestWidth}, {CrestRole::Clan, kAllyCrestWidth, kClanCrestWidth}};
}

BgraImage CutColumns(ConstBgraView crest, int left, int width) {
    BgraImage piece(width, crest.height);
    for (int y = 0; y < crest.height; ++y) {
        const std::uint8_t* from = crest.Row(y) + 4 * static_cast<std::ptrdiff_t>(left);
        std::uint8_t* to = piece.Row(y);
        for (int x = 0; x < width; ++x, from += 4, to += 4) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
            to[3] = 255;
        }
    }
    return piece;
}

constexpr wchar_t kReadyEs[] =
    L"Ahora puedes entrar en Aldmoor, la imagen ya esta lista para seteada como bandera de tu clan!.";

}  // namespace

PixelSize CrestSourceSize(PixelSize header, PixelSize picture) {
    if (header.width <= 0 || header.height <= 0) return picture;
    return {std::min(header.width, picture.width), std::min(header.height, picture.height)};
}

BgraImage ComposeCrest(CrestMode mode, ConstBgraView picture, PixelSize source, bool keepProportions, bool crisp) {
    if (source.width <= 0 || source.height <= 0 || picture.width <= 0 || picture.height <= 0) return {};
    ConstBgraView part{picture.top, std::min(source.width, picture.width), std::min(source.height, picture.height),
                       picture.stride};
    if (keepProportions) part = SubView(part, CentredCrop(part.width, part.height, CrestWidth(mode), kCrestHeight));
    return crisp ? CrispSqueeze(part, CrestWidth(mode), kCrestHeight) : Squeeze(part, CrestWidth(mode), kCrestHeight);
}

std::vector<CrestFile> PlanCrestFiles(CrestMode mode, ConstBgraView crest, const std::wstring& folder) {
    if (crest.width != CrestWidth(mode) || crest.height != kCrestHeight)
        throw std::invalid_argument("the crest is not the size of its mode");
    std::vector<CrestFile> files;
    for (const Piece& piece : PiecesOf(mode)) {
        CrestFile file;
        file.role = piece.role;
        file.left = piece.left;
        file.path = folder + FileNameOf(piece.role);
        file.pixels = CutColumns(crest, piece.left, piece.width);
        file.bytes = bmp::EncodeBmpFile(file.pixels.View(), kCrestFileDepth, kCrestPalette);
        files.push_back(std::move(file));
    }
    return files;
}

std::optional<RunTimeError> WriteCrestFiles(const std::vector<CrestFile>& files, std::wstring* failedFile) {
    std::vector<FileContent> contents;
    try {
        for (const CrestFile& file : files) contents.push_back({std::filesystem::path(file.path), file.bytes});
        WriteFilesAtomically(contents, bmp::kWriterSource);
        return std::nullopt;
    } catch (const FileWriteError& error) {
        if (failedFile) *failedFile = error.Target().wstring();
        return error;
    } catch (const RunTimeError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return MakeRunTimeError(kErrOutOfMemory, bmp::kWriterSource);
    }
}

std::wstring FolderBrowserTitle(CrestMode mode) {
    return mode == CrestMode::Clan
               ? L"Select a folder. Your file is saved as CLAN.BMP in the selected folder"
               : L"Select a folder. Your files are saved as ALLY.BMP and CLAN.BMP in the selected folder";
}

std::wstring ConfirmationTitle(CrestMode mode) { return mode == CrestMode::Clan ? L"Listo! / Done" : L"Done"; }

std::wstring ConfirmationText(CrestMode mode, const std::vector<CrestFile>& files) {
    auto line = [](const CrestFile& file) { return file.path + L" " + LabelOf(file.role) + L"\r\n"; };
    std::wstring text;
    if (mode == CrestMode::Clan) {
        text = L"Your clan crest as been saved in : \r\n\r\n";
        for (const CrestFile& file : files) text += line(file);
        text += std::wstring(kReadyEs) + L"\r\n\r\n";
        text +=
            L" You can now login into the game and load this image!. You don't need do any additional task, the "
            L"image are ready to use!";
        return text;
    }
    text = L"Your images has been saved as: \r\n\r\n";
    for (const CrestFile& file : files) text += line(file);
    text += L"\r\n" + std::wstring(kReadyEs) + L"\r\n\r\n";
    text +=
        L" You can now login into the game and load these images!. You don't need do any additional task, these "
        L"images are ready to use!";
    return text;
}

}  // namespace vx
