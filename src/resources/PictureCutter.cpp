#include "resources/PictureCutter.h"

#include "util/RunTimeError.h"

namespace tess {

void PictureCutter::setPicture(const QImage& picture)
{
    picture_ = picture;
    cells_.clear();
}

void PictureCutter::setRows(int rows)
{
    if (rows < 1)
        raiseError(ErrInvalidProperty, QStringLiteral("Rows"));
    if (rows != rows_)
        cells_.clear();
    rows_ = rows;
}

void PictureCutter::setCols(int cols)
{
    if (cols < 1)
        raiseError(ErrInvalidProperty, QStringLiteral("Cols"));
    if (cols != cols_)
        cells_.clear();
    cols_ = cols;
}

void PictureCutter::setStretch(int width, int height)
{
    stretchX_ = width;
    stretchY_ = height;
}

void PictureCutter::cut() const
{
    const int width = picture_.width() / cols_;
    const int height = picture_.height() / rows_;
    cells_.reserve(static_cast<std::size_t>(cellCount()));
    for (int n = 0; n < cellCount(); ++n)
        cells_.push_back(picture_.copy((n % cols_) * width, (n / cols_) * height, width, height));
}

const QImage& PictureCutter::cell(int n) const
{
    if (picture_.isNull())
        raiseError(ErrInvalidPicture, QStringLiteral("no picture in the cutter"));
    if (n < 0 || n >= cellCount())
        raiseError(ErrInvalidProperty, QStringLiteral("GraphicCell ") + QString::number(n));
    if (cells_.empty())
        cut();
    return cells_[static_cast<std::size_t>(n)];
}

} // namespace tess
