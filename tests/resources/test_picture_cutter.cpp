// The picture cutter: cell n of a rows x columns grid.

#include "resources/PictureCutter.h"
#include "support/Errors.h"
#include "support/TestEnvironment.h"
#include "util/RunTimeError.h"

#include <QPainter>

using namespace tess;
using tess::test::errorOf;

namespace {

// A picture whose every cell of the grid has its own colour: red = column, green = row.
QImage gridPicture(int rows, int cols, int cellWidth, int cellHeight)
{
    QImage image(cols * cellWidth, rows * cellHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols; ++col)
            painter.fillRect(col * cellWidth, row * cellHeight, cellWidth, cellHeight, QColor(col * 10, row * 10, 99));
    return image;
}

void expectCell(const QImage& cell, int row, int col)
{
    QCOMPARE(cell.pixelColor(0, 0), QColor(col * 10, row * 10, 99));
    QCOMPARE(cell.pixelColor(cell.width() - 1, cell.height() - 1), QColor(col * 10, row * 10, 99));
}


} // namespace

class TestPictureCutter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cellsAreNumberedRowByRow()
    {
        PictureCutter clip;
        clip.setPicture(gridPicture(4, 5, 128, 120));
        clip.setRows(4);
        clip.setCols(5);
        const QImage seven = clip.cell(7);
        QCOMPARE(seven.size(), QSize(128, 120));
        expectCell(seven, 1, 2); // row 7 div 5, column 7 mod 5
        expectCell(clip.cell(0), 0, 0);
        expectCell(clip.cell(19), 3, 4);
    }

    void aNewGridTakesEffectAtOnce()
    {
        PictureCutter clip;
        clip.setPicture(gridPicture(12, 16, 40, 40));
        clip.setRows(4);
        clip.setCols(5);
        QCOMPARE(clip.cell(0).size(), QSize(128, 120));
        clip.setRows(12);
        clip.setCols(16);
        QCOMPARE(clip.cell(0).size(), QSize(40, 40));
        expectCell(clip.cell(191), 11, 15);
        expectCell(clip.cell(17), 1, 1);
    }

    void aNewPictureTakesEffectAtOnce()
    {
        PictureCutter clip;
        clip.setRows(2);
        clip.setCols(5);
        QImage first(500, 200, QImage::Format_RGB32);
        first.fill(Qt::red);
        clip.setPicture(first);
        QCOMPARE(clip.cell(5).pixelColor(0, 0), QColor(Qt::red));
        clip.setPicture(gridPicture(2, 5, 100, 100));
        expectCell(clip.cell(5), 1, 0); // the first design of the second row
    }

    void digitStripCellNineIsTheLast()
    {
        PictureCutter digits;
        digits.setPicture(gridPicture(1, 10, 18, 27));
        digits.setRows(1);
        digits.setCols(10);
        digits.setStretch(36, 54);
        QCOMPARE(digits.cell(9).size(), QSize(18, 27)); // the stretch does not touch cells
        expectCell(digits.cell(9), 0, 9);
    }

    void cellsOfUnevenPicturesUseWholePixels()
    {
        PictureCutter clip;
        clip.setPicture(QImage(641, 479, QImage::Format_RGB32));
        clip.setRows(12);
        clip.setCols(16);
        QCOMPARE(clip.cell(0).size(), QSize(40, 39));
    }

    void badRequestsRaiseErrors()
    {
        PictureCutter clip;
        clip.setRows(2);
        clip.setCols(2);
        QCOMPARE(errorOf([&] { clip.cell(0); }), int(ErrInvalidPicture));
        clip.setPicture(gridPicture(2, 2, 10, 10));
        QCOMPARE(errorOf([&] { clip.cell(4); }), int(ErrInvalidProperty));
        QCOMPARE(errorOf([&] { clip.cell(-1); }), int(ErrInvalidProperty));
        QCOMPARE(errorOf([&] { clip.setRows(0); }), int(ErrInvalidProperty));
        QCOMPARE(clip.rows(), qint16(2));
    }
};

TESSARON_TEST_MAIN(TestPictureCutter)
#include "test_picture_cutter.moc"
