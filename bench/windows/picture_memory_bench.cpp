// Memory the window keeps for an opened picture: a wide 8000 x 1000
// picture, then a tall 1000 x 8000 one, composed as the open button does.
// Prints the picture store's size and the process's committed memory
// (current and peak) after each step.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/main_window.h"
#include "bmp/bmp_file.h"
#include "common/win_handles.h"

namespace {

std::wstring WritePicture(const std::filesystem::path& folder, const wchar_t* name, int width, int height) {
    vx::BgraImage image(width, height);
    image.Fill(vx::MakeColorref(40, 90, 200));
    const auto bytes = vx::bmp::EncodeBmpFile(image.View(), 24);
    const std::filesystem::path path = folder / name;
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return {};
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path.wstring();
}

void Report(const char* step, const vx::Main& window) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    const vx::Bitmap32& store = window.PicBuff.ImageBitmap();
    std::printf("%-28s store %5d x %5d  committed %7.1f MB  peak %7.1f MB\n", step, store.width(), store.height(),
                counters.PagefileUsage / 1048576.0, counters.PeakPagefileUsage / 1048576.0);
}

}  // namespace

int main() {
    vx::ComApartment com;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vx-picture-memory";
    std::filesystem::create_directories(folder);
    const std::wstring wide = WritePicture(folder, L"wide.bmp", 8000, 1000);
    const std::wstring tall = WritePicture(folder, L"tall.bmp", 1000, 8000);
    if (wide.empty() || tall.empty()) return 1;

    vx::Main window;
    vx::Main::Options options;
    options.quitOnDestroy = false;
    options.showCommand = SW_HIDE;
    if (!window.Start(options)) return 1;
    Report("started", window);
    window.ComposePicture(wide);
    Report("after 8000 x 1000", window);
    window.ComposePicture(tall);
    Report("after 1000 x 8000", window);
    window.ComposePicture(wide);
    Report("after 8000 x 1000 again", window);
    std::filesystem::remove_all(folder);
    return 0;
}
