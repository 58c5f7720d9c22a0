// The WIC encoder writes into a stream in memory, which the scene then writes to the file:
// the file itself is the scene's, once for both programs. Rows go over in bands as 24-bit BGR,
// the one format every PNG encoder of WIC takes, so no second copy of the image is made.
#include "WicPng.h"

#include <windows.h>

#include <objbase.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <algorithm>
#include <vector>

namespace quillet::window::win32::preview {

namespace {

// COM on this thread for as long as it lives; a thread that has it already keeps its kind.
class ComScope {
  public:
    ComScope() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (started_)
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool started_;
};

// An interface pointer released when it goes.
template <class T> class Com {
  public:
    Com() = default;
    ~Com() {
        if (p_)
            p_->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T* operator->() const noexcept { return p_; }
    T* get() const noexcept { return p_; }
    T** out() noexcept { return &p_; }

  private:
    T* p_ = nullptr;
};

bool encodeInto(IStream* stream, std::span<const std::uint32_t> pixels, int width, int height) {
    Com<IWICImagingFactory> factory;
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    Com<IPropertyBag2> options;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(factory.out()))) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out())) ||
        FAILED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.out(), options.out())) ||
        FAILED(frame->Initialize(options.get())) ||
        FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))))
        return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR)
        return false;
    const auto w = static_cast<std::size_t>(width);
    const UINT stride = static_cast<UINT>(w * 3);
    constexpr int kBand = 64;
    std::vector<BYTE> band(w * 3 * kBand);
    for (int top = 0; top < height; top += kBand) {
        const int rows = std::min(kBand, height - top);
        BYTE* to = band.data();
        for (std::size_t k = static_cast<std::size_t>(top) * w;
             k < static_cast<std::size_t>(top + rows) * w; ++k) {
            const std::uint32_t p = pixels[k];
            *to++ = static_cast<BYTE>(p);
            *to++ = static_cast<BYTE>(p >> 8);
            *to++ = static_cast<BYTE>(p >> 16);
        }
        if (FAILED(frame->WritePixels(static_cast<UINT>(rows), stride,
                                      stride * static_cast<UINT>(rows), band.data())))
            return false;
    }
    return SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

} // namespace

std::string encodePng(std::span<const std::uint32_t> pixels, int width, int height) {
    if (width <= 0 || height <= 0 ||
        pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return {};
    const ComScope com;
    IStream* stream = SHCreateMemStream(nullptr, 0);
    if (!stream)
        return {};
    std::string png;
    ULARGE_INTEGER size{};
    if (encodeInto(stream, pixels, width, height) &&
        SUCCEEDED(stream->Seek({}, STREAM_SEEK_END, &size)) && size.QuadPart < (1ULL << 31) &&
        SUCCEEDED(stream->Seek({}, STREAM_SEEK_SET, nullptr))) {
        png.resize(static_cast<std::size_t>(size.QuadPart));
        ULONG read = 0;
        if (FAILED(stream->Read(png.data(), static_cast<ULONG>(png.size()), &read)) ||
            read != png.size())
            png.clear();
    }
    stream->Release();
    return png;
}

} // namespace quillet::window::win32::preview
