#include "tooltip/std_font.h"

namespace vx {

StdFont::StdFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        logFont_ = metrics.lfMessageFont;
    } else {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont_), &logFont_);
    }
    logFont_.lfWeight = FW_NORMAL;
}

StdFont::StdFont(const LOGFONTW& logFont) : logFont_(logFont) {}

void StdFont::SetBold(bool bold) {
    const LONG weight = bold ? FW_BOLD : FW_NORMAL;
    if (logFont_.lfWeight == weight) return;
    logFont_.lfWeight = weight;
    font_.reset();
}

HFONT StdFont::hFont() {
    if (!font_) font_.reset(CreateFontIndirectW(&logFont_));
    return font_.get();
}

}  // namespace vx
