#pragma once
// The picture cutter: holds one picture and hands out cell n of a grid of
// rows x columns, numbered row by row from the top left. Cells are cut once
// per picture and grid and then served from memory.

#include <QImage>
#include <QtGlobal>

#include <vector>

namespace tess {

class PictureCutter {
public:
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

    // Raise 380 (Invalid property value) for fewer than one row or column.
    void setRows(int rows);
    void setCols(int cols);
    int rows() const { return rows_; }
    int cols() const { return cols_; }

    // Cell n: picture width / cols wide and height / rows high.
    // Raises 380 for a cell outside the grid and 481 when no picture is set.
    const QImage& cell(int n) const;

    // The size digits are painted at; cells taken by number ignore it.
    void setStretch(int width, int height);
    int stretchX() const { return stretchX_; }
    int stretchY() const { return stretchY_; }

private:
    void cut() const;
    qint64 cellCount() const { return qint64(rows_) * cols_; } // any rows and columns: no int overflow

    QImage picture_;
    int rows_ = 1;
    int cols_ = 1;
    int stretchX_ = 0;
    int stretchY_ = 0;
    mutable std::vector<QImage> cells_; // empty until first asked for
};

} // namespace tess
