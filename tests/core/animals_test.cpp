#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/animals.hpp"
#include "core/clip.hpp"
#include "core/picture.hpp"

namespace korvane {
namespace {

TEST(AnimalPictures, AreThirtyDistinctPremultipliedPicturesWithTransparentMargins) {
    std::set<std::string> seen;
    for (unsigned index = 0; index < ANIMAL_COUNT; ++index) {
        const std::span<const uint8_t> picture = animal_picture(index);
        ASSERT_EQ(picture.size(), PICTURE_BYTES) << index;
        seen.emplace(picture.begin(), picture.end());
        size_t opaque = 0;
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 96; ++x) {
                const uint8_t* p = &picture[(size_t(y) * 96 + size_t(x)) * 4];
                ASSERT_LE(p[0], p[3]) << index;
                ASSERT_LE(p[1], p[3]) << index;
                ASSERT_LE(p[2], p[3]) << index;
                const bool margin = x < 7 || y < 7 || x >= 89 || y >= 89;
                if (margin) ASSERT_EQ(p[3], 0) << "picture " << index << " at " << x << "," << y;
                opaque += p[3] == 255;
            }
        EXPECT_GT(opaque, 500u) << "picture " << index << " is nearly empty";
    }
    EXPECT_EQ(seen.size(), ANIMAL_COUNT);
}

TEST(AnimalPictures, AnIndexOfThirtyOrMoreTakesItsRemainder) {
    EXPECT_EQ(animal_picture(31).data(), animal_picture(1).data());
    EXPECT_EQ(animal_picture(30).data(), animal_picture(0).data());
}

}  // namespace
}  // namespace korvane
