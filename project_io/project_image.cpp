#include "project_io/project_image.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace voltaris {

namespace {

using TBlocks = std::vector<TProjectImage::TBlock>;

TBytes Joined(const TBlocks& blocks) {
  size_t size = 0;
  for (const auto& block : blocks) size += block->size();
  TBytes bytes;
  bytes.reserve(size);
  for (const auto& block : blocks) bytes.insert(bytes.end(), block->begin(), block->end());
  return bytes;
}

size_t SizeOf(const TBlocks& blocks) {
  size_t size = 0;
  for (const auto& block : blocks) size += block->size();
  return size;
}

// Two files cut into blocks hold the same bytes. Where both lists are at the
// start of the same shared block, the block is passed over unread.
bool SameBytes(const TBlocks& a, const TBlocks& b) {
  size_t i = 0, j = 0;      // the blocks being read
  size_t atA = 0, atB = 0;  // the place in each
  while (true) {
    while (i < a.size() && atA == a[i]->size()) ++i, atA = 0;
    while (j < b.size() && atB == b[j]->size()) ++j, atB = 0;
    if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
    if (atA == 0 && atB == 0 && a[i] == b[j]) {
      ++i, ++j;
      continue;
    }
    const size_t length = std::min(a[i]->size() - atA, b[j]->size() - atB);
    if (std::memcmp(a[i]->data() + atA, b[j]->data() + atB, length) != 0) return false;
    atA += length;
    atB += length;
  }
}

}  // namespace

TProjectImage::TProjectImage(TProjectBytes bytes)
    : dat_{std::make_shared<const TBytes>(std::move(bytes.Dat))},
      pjx_{std::make_shared<const TBytes>(std::move(bytes.Pjx))} {}

TProjectImage::TProjectImage(std::vector<TBlock> dat, std::vector<TBlock> pjx)
    : dat_(std::move(dat)), pjx_(std::move(pjx)) {}

TProjectBytes TProjectImage::Bytes() const { return {Joined(dat_), Joined(pjx_)}; }

size_t TProjectImage::DatSize() const { return SizeOf(dat_); }

size_t TProjectImage::PjxSize() const { return SizeOf(pjx_); }

size_t TProjectImage::BytesBeyond(const TProjectImage& other) const {
  std::unordered_set<const TBytes*> shared;
  for (const auto& block : other.dat_) shared.insert(block.get());
  for (const auto& block : other.pjx_) shared.insert(block.get());
  size_t size = 0;
  for (const TBlocks* blocks : {&dat_, &pjx_}) {
    for (const auto& block : *blocks) {
      if (!shared.contains(block.get())) size += block->size();
    }
  }
  return size;
}

bool operator==(const TProjectImage& a, const TProjectImage& b) {
  return SameBytes(a.dat_, b.dat_) && SameBytes(a.pjx_, b.pjx_);
}

}  // namespace voltaris
