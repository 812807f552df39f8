#include "Wic.h"

#include "Owned.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include <objbase.h>
#include <wincodec.h>

namespace zel {

namespace {

struct LibraryTraits {
    using Handle = HMODULE;
    static HMODULE None() noexcept { return nullptr; }
    static void Close(HMODULE module) noexcept { FreeLibrary(module); }
};
using LibraryHandle = Owned<LibraryTraits>;

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { if (p_) p_->Release(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** put() { if (p_) { p_->Release(); p_ = nullptr; } return &p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// COM and the imaging component, mapped only while a picture needs them: a
// tray program that rarely meets a TIFF should not carry them all day. The
// calling thread has COM as long as this object lives; a thread that already
// chose a different apartment keeps it and is not uninitialised.
class WicSession {
public:
    WicSession()
        : ole32_(LoadLibraryA("ole32.dll")), codecs_(LoadLibraryA("windowscodecs.dll")),
          initialize_(Entry<InitializeFn>(ole32_, "CoInitializeEx")),
          uninitialize_(Entry<UninitializeFn>(ole32_, "CoUninitialize")),
          create_(Entry<CreateFn>(ole32_, "CoCreateInstance")),
          convert_(Entry<ConvertFn>(codecs_, "WICConvertBitmapSource")),
          getClassObject_(Entry<GetClassObjectFn>(codecs_, "DllGetClassObject")),
          result_(initialize_ && uninitialize_ ? initialize_(nullptr, COINIT_MULTITHREADED) : E_NOTIMPL) {}
    ~WicSession() {
        if (SUCCEEDED(result_)) uninitialize_();
    }
    WicSession(const WicSession&) = delete;
    WicSession& operator=(const WicSession&) = delete;

    // From the imaging component's own class object where it has one: an
    // object activated through COM keeps its library loaded after the session
    // (Wine keeps it until the process ends).
    HRESULT CreateInstance(REFCLSID clsid, REFIID iid, void** object) const {
        ComPtr<IClassFactory> classFactory;
        if (getClassObject_ &&
            SUCCEEDED(getClassObject_(clsid, IID_IClassFactory, reinterpret_cast<void**>(classFactory.put())))) {
            const HRESULT result = classFactory->CreateInstance(nullptr, iid, object);
            if (SUCCEEDED(result)) return result;
        }
        return create_ ? create_(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object) : E_NOTIMPL;
    }
    HRESULT ConvertBitmapSource(REFWICPixelFormatGUID format, IWICBitmapSource* source,
                                IWICBitmapSource** converted) const {
        return convert_ ? convert_(format, source, converted) : E_NOTIMPL;
    }

private:
    using InitializeFn = HRESULT(WINAPI*)(LPVOID, DWORD);
    using UninitializeFn = void(WINAPI*)();
    using CreateFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    using ConvertFn = HRESULT(WINAPI*)(REFWICPixelFormatGUID, IWICBitmapSource*, IWICBitmapSource**);
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, LPVOID*);

    template <class Fn>
    static Fn Entry(const LibraryHandle& library, const char* name) {
        return library ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library.get(), name))) : nullptr;
    }

    // Declared first: unloaded after COM is uninitialised.
    LibraryHandle ole32_, codecs_;
    InitializeFn initialize_;
    UninitializeFn uninitialize_;
    CreateFn create_;
    ConvertFn convert_;
    GetClassObjectFn getClassObject_;
    HRESULT result_;
};

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

template <class Getter>
std::wstring ReadWideText(Getter get) {
    UINT length = 0;
    if (FAILED(get(0, nullptr, &length)) || length == 0) return {};
    std::wstring text(length, L'\0');
    if (FAILED(get(length, &text[0], &length))) return {};
    text.resize(wcslen(text.c_str()));
    return text;
}

bool HandledElsewhere(const GUID& container) {
    return IsEqualGUID(container, GUID_ContainerFormatBmp) || IsEqualGUID(container, GUID_ContainerFormatJpeg) ||
           IsEqualGUID(container, GUID_ContainerFormatPng) || IsEqualGUID(container, GUID_ContainerFormatGif);
}

// ".tiff,.tif" -> "*.tiff;*.tif"
std::string PatternsFrom(const std::string& extensions) {
    std::string patterns, current;
    auto flush = [&] {
        if (current.empty()) return;
        if (!patterns.empty()) patterns += ';';
        patterns += '*';
        patterns += current[0] == '.' ? current : "." + current;
        current.clear();
    };
    for (char c : extensions) {
        if (c == ',' || c == ';' || c == ' ') flush();
        else current += char(std::tolower(static_cast<unsigned char>(c)));
    }
    flush();
    return patterns;
}

std::string TagFrom(const std::string& patterns) {
    std::string tag;
    for (size_t i = 2; i < patterns.size() && patterns[i] != ';'; ++i)
        tag += char(std::toupper(static_cast<unsigned char>(patterns[i])));
    return tag;
}

bool CreateFactory(const WicSession& wic, ComPtr<IWICImagingFactory>& factory) {
    return SUCCEEDED(wic.CreateInstance(CLSID_WICImagingFactory, IID_IWICImagingFactory,
                                        reinterpret_cast<void**>(factory.put())));
}

bool OpenDecoder(IWICImagingFactory* factory, const uint8_t* data, size_t size, ComPtr<IWICStream>& stream,
                 ComPtr<IWICBitmapDecoder>& decoder) {
    if (size > 0x7FFFFFFF) return false;
    if (FAILED(factory->CreateStream(stream.put()))) return false;
    if (FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), DWORD(size)))) return false;
    return SUCCEEDED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                      decoder.put()));
}

}  // namespace

std::vector<WicFormat> EnumerateWicDecoders() {
    std::vector<WicFormat> formats;
    WicSession wic;
    ComPtr<IWICImagingFactory> factory;
    if (!CreateFactory(wic, factory)) return formats;
    ComPtr<IEnumUnknown> components;
    if (FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, components.put())))
        return formats;
    while (true) {
        ComPtr<IUnknown> component;
        ULONG fetched = 0;
        if (components->Next(1, component.put(), &fetched) != S_OK || fetched != 1) break;
        ComPtr<IWICBitmapDecoderInfo> info;
        if (FAILED(component->QueryInterface(IID_IWICBitmapDecoderInfo, reinterpret_cast<void**>(info.put()))))
            continue;
        WicFormat format{};
        if (FAILED(info->GetContainerFormat(&format.container)) || HandledElsewhere(format.container)) continue;
        std::string name = Narrow(ReadWideText([&](UINT n, WCHAR* b, UINT* l) { return info->GetFriendlyName(n, b, l); }));
        format.patterns = PatternsFrom(
            Narrow(ReadWideText([&](UINT n, WCHAR* b, UINT* l) { return info->GetFileExtensions(n, b, l); })));
        if (format.patterns.empty()) continue;
        format.tag = TagFrom(format.patterns);
        for (const char* suffix : {" Decoder", " decoder"}) {
            size_t at = name.rfind(suffix);
            if (at != std::string::npos && at + std::strlen(suffix) == name.size()) name.erase(at);
        }
        format.description = (name.empty() ? format.tag : name) + " (" + format.patterns + ")";
        formats.push_back(format);
    }
    return formats;
}

namespace {

// The decoder of a picture held in memory and its first frame's size.
struct FirstFrame {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0, height = 0;
};

Status OpenFirstFrame(const WicSession& wic, const uint8_t* data, size_t size, FirstFrame& first,
                      std::string* problem) {
    if (!CreateFactory(wic, first.factory)) return kErrUnsupported;
    if (!OpenDecoder(first.factory.get(), data, size, first.stream, first.decoder)) return kErrUnsupported;
    if (FAILED(first.decoder->GetFrame(0, first.frame.put())) ||
        FAILED(first.frame->GetSize(&first.width, &first.height))) {
        if (problem) *problem = "the first frame is not readable";
        return kErrDamaged;
    }
    return kOk;
}

}  // namespace

Status ReadWicInfo(const uint8_t* data, size_t size, GUID& container, int32_t& width, int32_t& height,
                   std::string* problem) {
    WicSession wic;
    FirstFrame first;
    const Status status = OpenFirstFrame(wic, data, size, first, problem);
    if (status != kOk) return status;
    if (FAILED(first.decoder->GetContainerFormat(&container))) return kErrUnsupported;
    width = int32_t(std::min<UINT>(first.width, INT32_MAX));
    height = int32_t(std::min<UINT>(first.height, INT32_MAX));
    return CheckImageSize(first.width, first.height);
}

Status DecodeWic(const uint8_t* data, size_t size, Image& out, std::string* problem) {
    WicSession wic;
    FirstFrame first;
    Status status = OpenFirstFrame(wic, data, size, first, problem);
    if (status != kOk) return status;
    const UINT w = first.width, h = first.height;
    status = CheckImageSize(w, h);
    if (status != kOk) return status;
    ComPtr<IWICBitmapSource> converted;
    // Premultiplied BGRA: dropping alpha leaves the picture composited on black.
    if (FAILED(wic.ConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, first.frame.get(), converted.put()))) {
        if (problem) *problem = "its pixel format cannot be converted";
        return kErrUnsupported;
    }
    Image image;
    status = AllocateImage(image, int32_t(w), int32_t(h), 24);
    if (status != kOk) return status;
    std::vector<uint8_t> row(size_t(w) * 4);
    for (UINT y = 0; y < h; ++y) {
        WICRect line = {0, INT(y), INT(w), 1};
        if (FAILED(converted->CopyPixels(&line, w * 4, UINT(row.size()), row.data()))) {
            if (problem) *problem = "the pixel data ends early";
            return kErrDamaged;
        }
        uint8_t* o = image.Row(int32_t(y));
        for (UINT x = 0; x < w; ++x) std::memcpy(o + x * 3, row.data() + x * 4, 3);
    }
    out = std::move(image);
    return kOk;
}

}  // namespace zel
