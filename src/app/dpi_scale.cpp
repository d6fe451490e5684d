#include "app/dpi_scale.h"

namespace vx {

int WholeScaleFactor(int dpi, int width, int height, int workWidth, int workHeight) {
    if (dpi <= 0 || width <= 0 || height <= 0) return 1;
    int factor = (dpi + kBaseDpi / 2) / kBaseDpi;
    while (factor > 1 &&
           (static_cast<long long>(width) * factor > workWidth || static_cast<long long>(height) * factor > workHeight))
        --factor;
    return factor < 1 ? 1 : factor;
}

}  // namespace vx
