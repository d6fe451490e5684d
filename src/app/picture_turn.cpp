#include "app/picture_turn.h"

#include <memory>
#include <new>

#include "common/win_handles.h"
#include "imaging/dib_image.h"

namespace vx {

std::int32_t ParseRotation(const std::wstring& text) {
    if (text == L"90") return 90;
    if (text == L"180") return 180;
    if (text == L"270") return 270;
    return 0;
}

Bitmap32 TurnPicture(const Bitmap32& picture, SIZE source, const PictureTurn& turn) {
    cImage image;
    {
        UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        SelectGuard select(dc.get(), picture.handle());
        if (!dc || !image.CopyHDC(dc.get(), static_cast<std::int32_t>(source.cx), static_cast<std::int32_t>(source.cy),
                                  24, 0, 0))
            return {};
    }
    // Each step replaces the image; the last one holds the result.
    std::unique_ptr<cImage> step;
    const cImage* current = &image;
    auto apply = [&](std::unique_ptr<cImage> next) {
        step = std::move(next);
        current = step.get();
    };
    if (turn.rotateDegrees != 0) apply(current->Rotate(turn.rotateDegrees));
    if (current && turn.mirror) apply(current->Mirror(false));
    if (current && turn.flip) apply(current->Mirror(true));
    if (!current || !current->hdc()) return {};

    try {
        Bitmap32 turned(current->Width(), current->Height());
        UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        SelectGuard select(dc.get(), turned.handle());
        current->PaintHDC(dc.get(), 0, 0, SRCCOPY);
        GdiFlush();
        return turned;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace vx
