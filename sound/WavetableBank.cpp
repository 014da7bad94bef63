#include "sound/WavetableBank.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace tessaloop {

namespace {

constexpr size_t kSampleCount = static_cast<size_t>(kSlotCount) * kTableLength;
// The voices jump through 8.8 MB of tables; on 2 MB pages those reads need far
// fewer address translations than on 4 kB pages.
constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kBytes =
    (kSampleCount * sizeof(Relaxed<float>) + kHugePage - 1) / kHugePage * kHugePage;

Relaxed<float>* AllocateSamples() {
  void* memory = std::aligned_alloc(kHugePage, kBytes);
  if (memory == nullptr) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  madvise(memory, kBytes, MADV_HUGEPAGE);  // a hint: without it the tables still work
#endif
  auto* samples = static_cast<Relaxed<float>*>(memory);
  for (size_t i = 0; i < kSampleCount; ++i)
    new (&samples[i]) Relaxed<float>(0.0f);
  return samples;
}

}  // namespace

void WavetableBank::Release::operator()(Relaxed<float>* samples) const {
  std::free(samples);
}

WavetableBank::WavetableBank() : m_Samples(AllocateSamples()) {}

void WavetableBank::StoreTable(int slot, const float* samples) {
  if (slot < 0 || slot >= kSlotCount) return;
  Relaxed<float>* table = &m_Samples[static_cast<size_t>(slot) * kTableLength];
  for (int i = 0; i < kTableLength; ++i)
    table[i] = samples[i];
}

}  // namespace tessaloop
