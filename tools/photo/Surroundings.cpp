#include "tools/photo/Surroundings.h"

#include <algorithm>

namespace tamrex::testing {
namespace {

constexpr int kBlotchShare = 5;      // a wall's blotches: a fifth of the photo's longer side across
constexpr int kBlotchLevels = 14;
constexpr int kWallGrainLevels = 4;
constexpr int kStoneShare = 250;     // gravel's stones: a 250th of the photo's width across
constexpr int kStoneLevels = 28;
constexpr int kSkyHorizon = 232, kSkyZenith = 250;
enum Field : std::uint64_t { Blotches, Grain, Stones };

int Byte(int level) { return std::clamp(level, 0, 255); }

}  // namespace

Surroundings::Surroundings(const StackPhotoRecipe& recipe, int footRow)
    : plain(recipe.backdrop == Backdrop::Plain && recipe.floorLevel < 0 && recipe.sky == 0),
      marginLevel(recipe.marginLevel),
      floorLevel(recipe.floorLevel),
      footRow(footRow),
      skyFrom(recipe.height - recipe.height * recipe.sky / 100),
      skyBlend(recipe.sky ? std::max(2, recipe.height / 200) : 0),
      skyRows(std::max(1, recipe.height - skyFrom)),
      kind(recipe.backdrop) {
    if (plain) return;
    const int longer = std::max(recipe.width, recipe.height);
    Random blotchRandom(recipe.seed, Stream::Backdrop, Blotches), grainRandom(recipe.seed, Stream::Backdrop, Grain),
        stoneRandom(recipe.seed, Stream::Backdrop, Stones);
    blotches.emplace(recipe.width, recipe.height, longer / kBlotchShare, kBlotchLevels, blotchRandom);
    grain.emplace(recipe.width, recipe.height, 3, kWallGrainLevels, grainRandom);
    stones.emplace(recipe.width, recipe.height, std::max(2, recipe.width / kStoneShare), kStoneLevels, stoneRandom);
}

int Surroundings::Behind(int x, int y) const {
    switch (kind) {
    case Backdrop::Wall: return Byte(marginLevel + blotches->At(x, y) + grain->At(x, y));
    case Backdrop::Gravel: return Gravel(x, y, marginLevel);
    default: return marginLevel;
    }
}

int Surroundings::Gravel(int x, int y, int level) const {
    return Byte(level + stones->At(x, y) + blotches->At(x, y) / 2);
}

// Brightest overhead, a little hazier toward the horizon, which is soft.
int Surroundings::Sky(int x, int y, int below) const {
    const int sky = Byte(kSkyHorizon + (kSkyZenith - kSkyHorizon) * (y - skyFrom) / skyRows + blotches->At(x, y) / 4);
    if (y >= skyFrom) return sky;
    const int into = y - (skyFrom - skyBlend);
    return below + (sky - below) * into / skyBlend;
}

}  // namespace tamrex::testing
