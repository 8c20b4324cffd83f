#pragma once
// A picture read from a file.
#include <QImage>

#include "framework/Object.h"

namespace fw {

class Picture : public Object {
public:
    explicit Picture(QImage image) : image_(std::move(image)) {}
    const QImage& Image() const { return image_; }
    int32_t Width() const { return image_.width(); }
    int32_t Height() const { return image_.height(); }
    // 1: white pixels are drawn as transparent.
    int32_t Transparent() const { return transparent_; }
    void SetTransparent(int32_t value) { transparent_ = value; }

private:
    QImage image_;
    int32_t transparent_ = 0;
};

}  // namespace fw
