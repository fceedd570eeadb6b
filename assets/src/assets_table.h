// The tables the generated source fills; sorted by id and by name.
#pragma once

#include <cstddef>
#include <string_view>

#include "zorvan/assets.h"

namespace zorvan::assets::detail {

struct GifEntry {
  int id;
  Blob blob;
};

struct NamedEntry {
  std::string_view name;
  Blob blob;
};

extern const GifEntry kGifs[];
extern const std::size_t kGifCount;
extern const NamedEntry kNamed[];
extern const std::size_t kNamedCount;

}  // namespace zorvan::assets::detail
