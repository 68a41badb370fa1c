#pragma once

namespace zelan::data {

// The number of ayas of each sura of the portion (sura 1 and suras 78 to 114); 0 for any
// other number.
int ayaCount(int sora);

// The lowest aya of a sura: 1 for sura 1, 0 (the opening formula) for the others.
inline int firstAya(int sora) { return sora == 1 ? 1 : 0; }

} // namespace zelan::data
