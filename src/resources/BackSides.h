#pragma once
// The sheet of the ten back-side designs: 2 rows x 5 columns of 100 x 100.

#include "resources/PictureCutter.h"

namespace tess {

// The back-side cutter (clpBack), loaded from the window art on first use.
PictureCutter& backSideCutter();

} // namespace tess
