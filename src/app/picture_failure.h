// The picture loader's failure in the terms the failure texts take.
#pragma once
#include "app/failure_messages.h"
#include "common/picture_loader.h"
#include "common/utf8.h"

namespace vx {

// A loader error that names figures keeps its own sentences; any other is
// told by its number.
inline PictureFailure LoadFailureOf(const PictureLoadError& error) {
    PictureFailure failure{PictureFailure::Stage::Load, static_cast<int>(error.number()), {}, {}};
    if (!error.spanish().empty()) {
        failure.english = error.what();
        failure.spanish = Utf8FromWide(error.spanish());
    }
    return failure;
}

// The one failure the old "may be very big" advice fits.
inline bool RanOutOfMemory(const PictureLoadError& error) {
    return error.number() == PictureLoadError::kOutOfMemory && error.spanish().empty();
}

}  // namespace vx
