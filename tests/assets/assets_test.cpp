#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "zorvan/asset_names.h"
#include "zorvan/assets.h"

namespace {

using zorvan::assets::Blob;

struct Size {
  int w = 0, h = 0;
};

// The logical screen size from the GIF header (little-endian words at offsets 6 and 8).
Size logicalSize(const Blob& b) {
  if (b.size < 10) return {};
  return {b.data[6] | (b.data[7] << 8), b.data[8] | (b.data[9] << 8)};
}

bool looksLikeGif(const Blob& b) {
  if (b.data == nullptr || b.size < 14) return false;
  bool sig = std::memcmp(b.data, "GIF89a", 6) == 0 || std::memcmp(b.data, "GIF87a", 6) == 0;
  return sig && b.data[b.size - 1] == 0x3B;  // the trailer ends every complete GIF
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The resource ids the client loads, as ranges.
const std::vector<std::pair<int, int>> kPresent = {
    {3, 31},    {35, 47},   {51, 63},   {130, 194}, {212, 214}, {240, 354}, {360, 362},
    {400, 403}, {410, 413}, {420, 423}, {450, 451}, {516, 519}, {601, 602}, {604, 606},
};

std::set<int> presentIds() {
  std::set<int> ids;
  for (auto [lo, hi] : kPresent)
    for (int i = lo; i <= hi; ++i) ids.insert(i);
  return ids;
}

TEST(Assets, ResourceIdsAreExactlyTheListedOnes) {
  const auto expected = presentIds();
  const auto ids = zorvan::assets::gifIds();
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
  EXPECT_EQ(std::set<int>(ids.begin(), ids.end()), expected);
  for (int id : expected) EXPECT_NE(zorvan::assets::gif(id), nullptr) << id;
  // gaps and out-of-range ids have no picture
  for (int id : {-1, 0, 1, 2, 32, 33, 34, 48, 50, 64, 129, 195, 211, 215, 239, 355, 359, 363, 399,
                 404, 409, 424, 449, 452, 515, 520, 600, 603, 607, 100000})
    EXPECT_EQ(zorvan::assets::gif(id), nullptr) << id;
}

TEST(Assets, EveryBlobIsACompleteGifOfSaneSize) {
  for (int id : zorvan::assets::gifIds()) {
    const Blob* b = zorvan::assets::gif(id);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(looksLikeGif(*b)) << id;
    Size s = logicalSize(*b);
    EXPECT_TRUE(s.w >= 8 && s.w <= 1024 && s.h >= 8 && s.h <= 768) << id << ": " << s.w << "x" << s.h;
  }
  for (auto name : zorvan::assets::names()) {
    const Blob* b = zorvan::assets::named(name);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(looksLikeGif(*b)) << name;
    Size s = logicalSize(*b);
    EXPECT_TRUE(s.w >= 1 && s.w <= 1024 && s.h >= 1 && s.h <= 768) << name << ": " << s.w << "x" << s.h;
  }
}

TEST(Assets, PicturesHaveTheSizesTheLayoutExpects) {
  struct Case {
    int lo, hi, w, h;
  };
  const Case cases[] = {
      {3, 18, 90, 120},   {19, 31, 90, 120},  {35, 47, 90, 120}, {51, 63, 90, 120},  // full cards
      {301, 354, 70, 94},                                                             // small cards
      {150, 151, 50, 30}, {152, 169, 60, 30},                                         // main buttons
      {283, 300, 47, 23},                                                             // reduced set
      {170, 173, 70, 30}, {174, 177, 65, 30},                                         // dialog buttons
      {240, 259, 85, 90},                                                             // avatars
      {516, 519, 57, 13},                                                             // phrase buttons
      {601, 602, 250, 108}, {604, 604, 250, 108}, {606, 606, 200, 200},
  };
  for (const Case& c : cases)
    for (int id = c.lo; id <= c.hi; ++id) {
      const Blob* b = zorvan::assets::gif(id);
      ASSERT_NE(b, nullptr) << id;
      Size s = logicalSize(*b);
      EXPECT_EQ(s.w, c.w) << id;
      EXPECT_EQ(s.h, c.h) << id;
    }
  // The frame strip and the table backgrounds follow the window's geometry.
  const std::pair<std::string_view, Size> named[] = {
      {zorvan::assets::design::Skin, {46, 220}},       {zorvan::assets::design::skin_top_left, {8, 20}},
      {zorvan::assets::design::skin_left, {8, 192}},   {zorvan::assets::design::skin_bottom_right, {8, 8}},
      {zorvan::assets::design::Pic1, {1024, 768}},     {zorvan::assets::design::Pic2, {800, 600}},
      {zorvan::assets::design::pic4, {1024, 768}},     {zorvan::assets::design::imgDilan, {1024, 117}},
      {zorvan::assets::design::imgDinglan, {1024, 96}}, {zorvan::assets::design::imgLocation, {394, 39}},
      {zorvan::assets::design::ChuPai, {178, 63}},
  };
  for (const auto& [name, size] : named) {
    const Blob* b = zorvan::assets::named(name);
    ASSERT_NE(b, nullptr) << name;
    Size s = logicalSize(*b);
    EXPECT_EQ(s.w, size.w) << name;
    EXPECT_EQ(s.h, size.h) << name;
  }
}

TEST(Assets, NamesResolveAndUnknownNamesDoNot) {
  const auto names = zorvan::assets::names();
  EXPECT_EQ(names.size(), zorvan::assets::design::count);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  for (auto n : names) EXPECT_NE(zorvan::assets::named(n), nullptr) << n;
  for (std::string_view n : {"", "pic1", "Pic", "Pic10", "ImgClose", "skin", "Pic1.gif", "606"})
    EXPECT_EQ(zorvan::assets::named(n), nullptr) << n;
}

// The embedded bytes are the committed files, so a stale build cannot ship old pictures.
TEST(Assets, EmbeddedBytesMatchTheCommittedFiles) {
  const std::string dir = ZORVAN_ASSETS_DIR;
  for (int id : zorvan::assets::gifIds()) {
    const Blob* b = zorvan::assets::gif(id);
    std::string file = readFile(dir + "/gif/" + std::to_string(id) + ".gif");
    ASSERT_EQ(file.size(), b->size) << id;
    EXPECT_EQ(std::memcmp(file.data(), b->data, b->size), 0) << id;
  }
  for (auto name : zorvan::assets::names()) {
    const Blob* b = zorvan::assets::named(name);
    std::string file = readFile(dir + "/named/" + std::string(name) + ".gif");
    ASSERT_EQ(file.size(), b->size) << name;
    EXPECT_EQ(std::memcmp(file.data(), b->data, b->size), 0) << name;
  }
}

}  // namespace
