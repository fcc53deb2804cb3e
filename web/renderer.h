// The page's "本机显卡": the graphics adapter as the browser reports it, the
// WebGL renderer string (WEBGL_debug_renderer_info's UNMASKED_RENDERER_WEBGL),
// turned into the adapter the CLI's --mine looks up.
#pragma once

#include <string>
#include <string_view>

#include "commands/adapter.h"

namespace tianti::web {

// The device name inside a renderer string: the middle field of ANGLE's
// "ANGLE (vendor, device, back end)", without the Direct3D shader models,
// the PCI ID in brackets, the OpenGL "/PCIe/SSE2" tail, Metal's prefix or a
// driver's trailing details in brackets. A string not in ANGLE's form is
// taken whole, with the same tails removed.
std::u16string RendererDevice(std::u16string_view renderer);

// What the renderer string tells, as an adapter report: one adapter named by
// RendererDevice (reported: the string as given), and a note, in Chinese,
// where the string is empty, names a software renderer instead of a graphics
// card, or is a browser's stand-in for the real name ("Apple GPU", Firefox's
// "…, or similar"). No adapter at all when the string is empty.
commands::AdapterReport RendererReport(std::u16string_view renderer);

// RendererReport as an adapter source, for the CLI's --mine.
class RendererAdapterSource : public commands::AdapterSource {
 public:
  explicit RendererAdapterSource(std::u16string renderer) : renderer_(std::move(renderer)) {}
  commands::AdapterReport Query() override { return RendererReport(renderer_); }

 private:
  std::u16string renderer_;
};

}  // namespace tianti::web
