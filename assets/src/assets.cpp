#include "zorvan/assets.h"

#include <algorithm>

#include "assets_table.h"

namespace zorvan::assets {

using detail::kGifCount;
using detail::kGifs;
using detail::kNamed;
using detail::kNamedCount;

const Blob* gif(int id) {
  const auto* end = kGifs + kGifCount;
  const auto* it = std::lower_bound(kGifs, end, id,
                                    [](const detail::GifEntry& e, int key) { return e.id < key; });
  return it != end && it->id == id ? &it->blob : nullptr;
}

const Blob* named(std::string_view name) {
  const auto* end = kNamed + kNamedCount;
  const auto* it = std::lower_bound(
      kNamed, end, name, [](const detail::NamedEntry& e, std::string_view key) { return e.name < key; });
  return it != end && it->name == name ? &it->blob : nullptr;
}

std::vector<int> gifIds() {
  std::vector<int> ids;
  ids.reserve(kGifCount);
  for (std::size_t i = 0; i < kGifCount; ++i) ids.push_back(kGifs[i].id);
  return ids;
}

std::vector<std::string_view> names() {
  std::vector<std::string_view> out;
  out.reserve(kNamedCount);
  for (std::size_t i = 0; i < kNamedCount; ++i) out.push_back(kNamed[i].name);
  return out;
}

}  // namespace zorvan::assets
