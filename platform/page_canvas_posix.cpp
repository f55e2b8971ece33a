// The page canvas on our playback engine: an engine surface, played by the engine's player.
#include "platform/emf/player.h"
#include "platform/emf/surface.h"
#include "platform/page_canvas.h"

namespace velto::platform {

struct PageCanvas::Backend {
  std::unique_ptr<emf::Surface> surface;
};

std::unique_ptr<PageCanvas> PageCanvas::Create(int width, int height, bool colour) {
  auto surface = emf::Surface::Create(width, height, colour ? emf::Surface::Kind::Colour : emf::Surface::Kind::Monochrome);
  if (!surface) return nullptr;
  auto backend = std::make_unique<Backend>();
  backend->surface = std::move(surface);
  return std::unique_ptr<PageCanvas>(new PageCanvas(std::move(backend), width, height, colour));
}

PageCanvas::PageCanvas(std::unique_ptr<Backend> backend, int width, int height, bool colour)
    : backend_(std::move(backend)), width_(width), height_(height), colour_(colour) {}

PageCanvas::~PageCanvas() = default;

void PageCanvas::FillRect(const emf::RectL& rect, emf::Rgb colour) { backend_->surface->FillRect(rect, colour); }

void PageCanvas::InvertRect(const emf::RectL& rect) { backend_->surface->InvertRect(rect); }

bool PageCanvas::Play(const emf::Metafile& metafile, const emf::RectL& destination) {
  const bool playedToEnd = emf::PlayMetafile(*backend_->surface, metafile, destination);
  if (!colour_) backend_->surface->SnapToMonochrome();
  return playedToEnd;
}

uint32_t* PageCanvas::Row(int y) { return backend_->surface->Row(y); }

const uint32_t* PageCanvas::Row(int y) const { return backend_->surface->Row(y); }

// The surface keeps no copy of its pixels aside: what was written is what the next drawing sees.
void PageCanvas::Changed() {}

}  // namespace velto::platform
