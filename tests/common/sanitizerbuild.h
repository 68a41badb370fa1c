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

// The most one change of sound may add in a test run, when the window has named the file that
// follows (every change of a continuous recitation): that file starts at the last frame of the
// one before, whatever the handlers of the notice cost.
inline constexpr double kAddedSilenceOnceLimitMs = 20;

// How late the half may turn against the heard moment of its word in a test run: the turn
// waits for the play position on a 1 ms timer and shows the box drawn ahead, which takes well
// under a millisecond in a release build (1-2 ms late in all, 8 ms at worst, in a real window
// and offscreen alike).
inline constexpr double kTurnLateLimitMs = kSanitizerBuild ? 60 : 20;
