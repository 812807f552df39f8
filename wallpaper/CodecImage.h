// One image of the codec library with its one owner: move-only, freed by the
// library that made it when the owner goes. Every image the program opens or
// makes lives in one of these.
//
//     CodecImage picture(library, 0);
//     if (library->OpenImage(path, picture.put(), &reserved) == IMAGE_OK) Use(picture.get());
#pragma once

#include "ImageLibrary.h"

#include <utility>

class CodecImage {
public:
    CodecImage() noexcept = default;
    // Takes `image` (0: none), made by `library`.
    CodecImage(ImageLibrary* library, ImageHandle image) noexcept : library_(library), image_(image) {}
    ~CodecImage() { reset(); }

    CodecImage(CodecImage&& other) noexcept : library_(other.library_), image_(other.release()) {}
    CodecImage& operator=(CodecImage&& other) noexcept {
        if (this != &other) {
            reset();
            library_ = other.library_;
            image_ = other.release();
        }
        return *this;
    }
    CodecImage(const CodecImage&) = delete;
    CodecImage& operator=(const CodecImage&) = delete;

    ImageHandle get() const noexcept { return image_; }
    ImageLibrary* library() const noexcept { return library_; }
    explicit operator bool() const noexcept { return image_ != 0; }

    // Frees the image held (unless it is `image`) and takes `image`, made by
    // the same library.
    void reset(ImageHandle image = 0) noexcept {
        if (image_ && image_ != image && library_) library_->FreeImage(image_);
        image_ = image;
    }
    // Gives the image up without freeing it.
    [[nodiscard]] ImageHandle release() noexcept { return std::exchange(image_, 0); }
    // For the operations that hand a new image back through a pointer.
    ImageHandle* put() noexcept {
        reset();
        return &image_;
    }

private:
    ImageLibrary* library_ = nullptr;
    ImageHandle image_ = 0;
};
