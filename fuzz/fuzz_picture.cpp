// A picture of the picture folder: loaded as the game loads it, and cut
// into the pieces of the largest board.

#include "FuzzSupport.h"
#include "resources/PictureCutter.h"
#include "resources/Pictures.h"
#include "util/RunTimeError.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    tess::fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tess;
    for (const char* name : {"picture.bmp", "picture.gif", "picture.jpg"}) {
        QImage picture;
        try {
            picture = loadPictureFile(fuzz::writeScratch(QString::fromLatin1(name), data, size));
        } catch (const RunTimeError&) {
            continue; // the game reports it: 481, a picture that does not decode
        }
        if (picture.isNull() || picture.width() > 20000 || picture.height() > 20000)
            continue;
        PictureCutter clip;
        clip.setPicture(picture);
        clip.setRows(12);
        clip.setCols(16);
        (void)clip.cell(0);
        (void)clip.cell(191);
    }
    return 0;
}
