#pragma once
// Pages of one document drawn on several threads and handed on in page order. Drawing a page is the
// slow part; writing it into the document must follow the page order, so each page's result is parked
// until every earlier page has been handed on. At most `threads` pages are drawn or parked at a time,
// which bounds the memory whatever the number of pages.

#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace velto {

// `makeDrawer()` is called once on each thread and returns that thread's drawer, a callable turning a
// page number into a Product (it keeps the thread's own surface and buffers). `handOn(k, product)` runs
// on the calling thread for pages 1, 2, ... in order; it returns false to stop (later pages are then
// neither drawn nor handed on). A drawer must not throw; a Product must be movable and
// default-constructible.
template <class Product, class MakeDrawer, class HandOn>
void DrawPagesInOrder(int pageCount, int threads, MakeDrawer makeDrawer, HandOn handOn) {
  if (threads <= 1 || pageCount <= 1) {
    auto draw = makeDrawer();
    for (int k = 1; k <= pageCount; ++k) {
      Product product = draw(k);
      if (!handOn(k, product)) return;
    }
    return;
  }

  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::optional<Product>> parked(static_cast<size_t>(pageCount) + 1);
  int nextToDraw = 1;
  int handedOn = 0;  // pages 1 .. handedOn are done with
  bool stop = false;

  auto work = [&] {
    auto draw = makeDrawer();
    for (;;) {
      int k = 0;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stop || nextToDraw > pageCount || nextToDraw <= handedOn + threads; });
        if (stop || nextToDraw > pageCount) return;
        k = nextToDraw++;
      }
      Product product = draw(k);
      std::lock_guard lock(mutex);
      parked[static_cast<size_t>(k)] = std::move(product);
      changed.notify_all();
    }
  };
  const int workers = std::min(threads, pageCount);
  std::vector<std::thread> pool;
  pool.reserve(static_cast<size_t>(workers));
  for (int t = 0; t < workers; ++t) pool.emplace_back(work);

  for (int k = 1; k <= pageCount; ++k) {
    Product product;
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return parked[static_cast<size_t>(k)].has_value(); });
      product = std::move(*parked[static_cast<size_t>(k)]);
      parked[static_cast<size_t>(k)].reset();
    }
    const bool goOn = handOn(k, product);
    std::lock_guard lock(mutex);
    handedOn = k;
    if (!goOn) stop = true;
    changed.notify_all();
    if (!goOn) break;
  }
  for (auto& thread : pool) thread.join();
}

}  // namespace velto
