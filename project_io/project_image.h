// A project's file image, the bytes Save would write, kept as a list of
// shared blocks per file: images written one after another share the blocks
// of records that did not change, so that keeping, copying and comparing
// them costs what changed rather than the size of the design.
#pragma once

#include <memory>
#include <vector>

#include "catalogue/byte_stream.h"

namespace voltaris {

struct TProjectBytes {
  TBytes Dat;
  TBytes Pjx;
};

class TProjectImage {
 public:
  using TBlock = std::shared_ptr<const TBytes>;

  TProjectImage() = default;
  // The bytes of both files as one block each.
  TProjectImage(TProjectBytes bytes);  // NOLINT(google-explicit-constructor): an image is its bytes
  TProjectImage(std::vector<TBlock> dat, std::vector<TBlock> pjx);

  // Both files' bytes, joined.
  TProjectBytes Bytes() const;
  size_t DatSize() const;
  size_t PjxSize() const;
  // The bytes this image holds in blocks that `other` does not share: what
  // keeping it beside `other` costs.
  size_t BytesBeyond(const TProjectImage& other) const;

  // The same bytes, however they are cut into blocks.
  friend bool operator==(const TProjectImage& a, const TProjectImage& b);

 private:
  std::vector<TBlock> dat_;
  std::vector<TBlock> pjx_;
};

}  // namespace voltaris
