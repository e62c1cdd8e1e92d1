#pragma once
// The one owner of a FreeImage bitmap: it is unloaded when its owner goes, so no path through a
// decoder or a staging step can leak it or unload it twice.
struct FIBITMAP;

namespace pw::pictures {

class Bitmap {
public:
    Bitmap() = default;
    explicit Bitmap(FIBITMAP* bitmap) noexcept : bitmap_(bitmap) {}
    Bitmap(Bitmap&& other) noexcept : bitmap_(other.release()) {}
    Bitmap& operator=(Bitmap&& other) noexcept {
        reset(other.release());
        return *this;
    }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    ~Bitmap() { reset(); }

    FIBITMAP* get() const noexcept { return bitmap_; }
    explicit operator bool() const noexcept { return bitmap_ != nullptr; }
    // Gives the bitmap up to the caller, who unloads it.
    FIBITMAP* release() noexcept {
        FIBITMAP* bitmap = bitmap_;
        bitmap_ = nullptr;
        return bitmap;
    }
    // Unloads the bitmap held and holds `bitmap` instead.
    void reset(FIBITMAP* bitmap = nullptr) noexcept;

private:
    FIBITMAP* bitmap_ = nullptr;
};

} // namespace pw::pictures
