#include "core/weapons/weapon_sprite.h"
#include "core/base/errors.h"

#include <algorithm>
#include <cstdlib>

namespace quorvex {

namespace {

std::uint32_t u32(const Bytes& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

FileError notABitmap()
{
    return FileError("Bitmap image is not valid");
}

} // namespace

WeaponPicture::WeaponPicture(Bytes file) : file_(std::move(file))
{
    constexpr std::size_t FileHeader = 14;
    if (file_.size() < FileHeader + 40 || file_[0] != 'B' || file_[1] != 'M')
        throw notABitmap();
    const auto infoSize = u32(file_, 14);
    const auto width = static_cast<std::int32_t>(u32(file_, 18));
    // 64 bits: the magnitude of -2^31 does not fit a 32-bit int.
    const std::int64_t height = static_cast<std::int32_t>(u32(file_, 22));
    const auto bits = file_[28] | (file_[29] << 8);
    const auto compression = u32(file_, 30);
    const auto coloursUsed = u32(file_, 46);
    if (bits != 8 || compression != 0 || width <= 0 || height == 0 || width > 65536 || std::abs(height) > 65536
        || infoSize < 40 || infoSize > file_.size())
        throw notABitmap();
    width_ = width;
    height_ = static_cast<int>(std::abs(height));
    bottomUp_ = height > 0;
    stride_ = (static_cast<std::size_t>(width_) + 3) / 4 * 4;
    pixelsAt_ = u32(file_, 10);
    paletteAt_ = FileHeader + infoSize;
    paletteSize_ = coloursUsed == 0 || coloursUsed > 256 ? 256 : coloursUsed;
    // A file cut short keeps the rows it has; the others count as outside the picture.
    if (pixelsAt_ > file_.size() || paletteAt_ + 4 * paletteSize_ > pixelsAt_)
        throw notABitmap();
    rowsInFile_ = std::min<std::size_t>((file_.size() - pixelsAt_) / stride_, static_cast<std::size_t>(height_));
}

Rgb WeaponPicture::colour(int value) const
{
    if (static_cast<std::size_t>(value) >= paletteSize_)
        return {};
    const auto* entry = &file_[paletteAt_ + 4 * static_cast<std::size_t>(value)];
    return {entry[2], entry[1], entry[0]};
}

Rgb WeaponPicture::pixel(int column, int row) const
{
    if (column < 0 || column >= width_ || row < 0 || row >= height_)
        return colour(0);
    const auto fileRow = static_cast<std::size_t>(bottomUp_ ? height_ - 1 - row : row);
    if (fileRow >= rowsInFile_)
        return colour(0);
    return colour(file_[pixelsAt_ + fileRow * stride_ + static_cast<std::size_t>(column)]);
}

SpritePreview spritePreview(const WeaponPicture& picture, int frame)
{
    SpritePreview preview;
    for (int y = 0; y < SmallSpriteSide; ++y)
        for (int x = 0; x < SmallSpriteSide; ++x) {
            const auto colour = picture.pixel(x, SmallSpritesFirstRow + SmallSpriteSide * frame + y);
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    preview[(2 * y + dy) * SpritePreviewSide + 2 * x + dx] = colour;
        }
    return preview;
}

} // namespace quorvex
