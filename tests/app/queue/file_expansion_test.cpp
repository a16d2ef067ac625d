#include "app/queue/file_expansion.h"

#include <gtest/gtest.h>

using namespace clarivex;

TEST(NaturalOrder, NumbersByValueLettersWithoutCase) {
    const std::pair<const char*, const char*> ordered[] = {
        {"A2.jpg", "a10.jpg"},
        {"b.png", "C.png"},
        {"IMG_2", "IMG_0010"},
        {"x", "x1"},
        {"file 9 b", "file 10 a"},
        {"Фото 2", "фото 10"},
        {"007", "7"},
        {"B", "b"},
        {"1000000000000000000001", "1000000000000000000002"},
    };
    for (const auto& [first, second] : ordered) {
        EXPECT_TRUE(naturallyBefore(first, second)) << first << " < " << second;
        EXPECT_FALSE(naturallyBefore(second, first)) << second << " < " << first;
    }
    EXPECT_FALSE(naturallyBefore("same", "same"));
}
