// Build step: turns a window-art picture into the program's raw picture form
// (see resources/RawPicture.h), so that the start copies pixels instead of
// decoding PNG. Usage: art_to_raw <picture> <raw file>

#include "resources/RawPicture.h"

#include <QFile>
#include <QImage>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <picture> <raw file>\n", argv[0]);
        return 2;
    }
    const QImage picture(QString::fromLocal8Bit(argv[1]));
    if (picture.isNull()) {
        std::fprintf(stderr, "%s: not a picture\n", argv[1]);
        return 1;
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(tess::encodeRawPicture(picture)) < 0 || !out.flush()) {
        std::fprintf(stderr, "%s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
