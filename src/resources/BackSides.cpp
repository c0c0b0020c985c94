#include "resources/BackSides.h"

#include "resources/Resources.h"

namespace tess {

PictureCutter& backSideCutter()
{
    static PictureCutter clip = [] {
        PictureCutter made;
        made.setPicture(loadArt(QStringLiteral("backs.bmp")));
        made.setRows(2);
        made.setCols(5);
        return made;
    }();
    return clip;
}

} // namespace tess
