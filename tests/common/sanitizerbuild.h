#pragma once

// Whether this build runs under AddressSanitizer. Its code runs many times slower (decoding a
// recording at open takes 15-20 ms instead of 1-2), so what the release build holds to a few
// milliseconds (the silence between two sounds, the spread of a clock mapping) is only checked
// loosely here; what is heard, and that nothing is lost, is checked the same in both.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitizerBuild = true;
#else
inline constexpr bool kSanitizerBuild = false;
#endif

// The most silence a change of sound may add, at the median of a run: what the listener hears
// between two files.
// The sanitizer build's own slowness (the handlers of the window and the decoding together
// took 35-70 ms there) leaves only gross faults to catch, such as a stream opened anew for
// each file.
inline constexpr double kAddedSilenceLimitMs = kSanitizerBuild ? 150 : 20;

// The most one change of sound may add in a test run. On the CI machine a change from a
// translation to the next aya was seen to add 34-42 ms where the others added 14-19 (on the
// development machine all add 9-14), so the tests catch overlaps, cuts and gross delays, and
// the 20 ms median is the benchmark's target.
inline constexpr double kAddedSilenceOnceLimitMs = kSanitizerBuild ? 150 : 60;
