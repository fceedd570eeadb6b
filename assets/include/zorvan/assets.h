// The pictures the program carries inside itself: GIF resources by numeric id and the
// windows' design-time pictures by name (the names are listed in asset_names.h).
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace zorvan::assets {

// The bytes of one embedded GIF file. The data lives as long as the program.
struct Blob {
  const unsigned char* data;
  std::size_t size;
};

// The GIF resource with this id, or nullptr when there is none.
const Blob* gif(int id);

// The design-time picture with this name (see zorvan::assets::design), or nullptr.
const Blob* named(std::string_view name);

// Every resource id present, ascending.
std::vector<int> gifIds();

// Every design-time picture name, in ascending byte order.
std::vector<std::string_view> names();

}  // namespace zorvan::assets
