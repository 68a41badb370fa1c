#include "ayacount.h"

namespace zelan::data {

int ayaCount(int sora) {
    static constexpr int kCounts[] = {40, 46, 42, 29, 19, 36, 25, 22, 17, 19, 26, 30, 20, 15, 21, 11, 8, 8, 19,
                                      5,  8,  8,  11, 11, 8,  3,  9,  5,  4,  7,  3,  6,  3,  5,  4,  5,  6};
    if (sora == 1)
        return 7;
    if (sora >= 78 && sora <= 114)
        return kCounts[sora - 78];
    return 0;
}

} // namespace zelan::data
