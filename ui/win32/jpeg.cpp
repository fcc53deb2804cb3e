// The built-in JPEG pictures: RCDATA resource, memory stream, WIC decoder, DIB section.
#include "ui/win32/jpeg.h"

#include <objbase.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "common/win32/com_ptr.h"

namespace tianti::win32 {

namespace {

void Check(HRESULT hr, const char* step) {
  if (SUCCEEDED(hr)) return;
  char text[128];
  (void)std::snprintf(text, sizeof text, "图片解码失败 (%s, 0x%08lX)", step, static_cast<unsigned long>(hr));
  throw std::runtime_error(text);
}

struct Source {
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICBitmapFrameDecode> frame;
};

void Open(HMODULE module, int id, Source& source) {
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /*RT_RCDATA*/);
  if (!info) Check(HRESULT_FROM_WIN32(GetLastError()), "FindResource");
  HGLOBAL data = LoadResource(module, info);
  const void* bytes = data ? LockResource(data) : nullptr;
  const DWORD size = SizeofResource(module, info);
  if (!bytes || size == 0) Check(HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND), "LoadResource");

  ComPtr<IStream> stream;
  *stream.put() = SHCreateMemStream(static_cast<const BYTE*>(bytes), size);
  if (!stream.get()) Check(E_OUTOFMEMORY, "SHCreateMemStream");

  Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                         reinterpret_cast<void**>(source.factory.put())),
        "WICImagingFactory");
  ComPtr<IWICBitmapDecoder> decoder;
  Check(source.factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad, decoder.put()),
        "CreateDecoderFromStream");
  Check(decoder->GetFrame(0, source.frame.put()), "GetFrame");
}

}  // namespace

SIZE PictureResourceSize(HMODULE module, int id) {
  Source source;
  Open(module, id, source);
  UINT w = 0, h = 0;
  Check(source.frame->GetSize(&w, &h), "GetSize");
  return SIZE{static_cast<LONG>(w), static_cast<LONG>(h)};
}

Picture LoadPictureResource(HMODULE module, int id, int width, int height) {
  Source source;
  Open(module, id, source);
  UINT w = 0, h = 0;
  Check(source.frame->GetSize(&w, &h), "GetSize");
  if (w == 0 || h == 0 || w > 16384 || h > 16384) Check(WINCODEC_ERR_IMAGESIZEOUTOFRANGE, "GetSize");

  ComPtr<IWICFormatConverter> converter;
  Check(source.factory->CreateFormatConverter(converter.put()), "CreateFormatConverter");
  Check(converter->Initialize(source.frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                              WICBitmapPaletteTypeCustom),
        "FormatConverter");

  Picture picture;
  picture.natural_width = static_cast<int>(w);
  picture.natural_height = static_cast<int>(h);
  picture.width = width > 0 && height > 0 ? width : picture.natural_width;
  picture.height = width > 0 && height > 0 ? height : picture.natural_height;

  IWICBitmapSource* pixels = converter.get();
  ComPtr<IWICBitmapScaler> scaler;
  if (picture.width != picture.natural_width || picture.height != picture.natural_height) {
    Check(source.factory->CreateBitmapScaler(scaler.put()), "CreateBitmapScaler");
    Check(scaler->Initialize(converter.get(), static_cast<UINT>(picture.width), static_cast<UINT>(picture.height),
                             WICBitmapInterpolationModeFant),
          "BitmapScaler");
    pixels = scaler.get();
  }

  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = picture.width;
  bmi.bmiHeader.biHeight = -picture.height;  // top-down
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) Check(E_OUTOFMEMORY, "CreateDIBSection");
  const UINT stride = static_cast<UINT>(picture.width) * 4;
  const HRESULT hr = pixels->CopyPixels(nullptr, stride, stride * static_cast<UINT>(picture.height),
                                        static_cast<BYTE*>(bits));
  if (FAILED(hr)) {
    DeleteObject(bitmap);
    Check(hr, "CopyPixels");
  }
  picture.bitmap = bitmap;
  return picture;
}

}  // namespace tianti::win32
