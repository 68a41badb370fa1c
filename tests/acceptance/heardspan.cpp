// heardspan: a coarse check that a recording of the sound server's output holds a run of
// sound files played one after the other, each whole and once: the span of sound heard
// (first to last sample above the silence level) is compared with the span the files make
// when played back to back, and the longest silence heard with the longest silence the files
// hold themselves (inside one file, or the end of one file with the start of the next).
//
//   acceptance_heardspan [--length] <recording.raw> <file.mp3>...
//   acceptance_heardspan --silent <recording.raw>
//
// The recording is raw signed 16-bit little-endian mono at the files' rate (what
// `parec --format=s16le --channels=1` writes). With --length only the files are read and
// their total length in milliseconds is printed, so a caller knows how long to record. With
// --silent the recording must hold no sound at all (nothing plays when nothing should).
// Output: one line per file and the figures compared; exit status 0 when the recording
// passes, 1 with a message saying what is missing or added, 2 for unusable input.
//
// It does not find the files in the recording; an aligner that does (each file's samples
// matched where they are heard) replaces this check where it is available.

#include "sanitizerbuild.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// About -50 dBFS: the synthetic files' silence and the encoder's noise stay below it, speech
// rises far above it.
constexpr int kSilenceLevel = 100;
// What may be added between two files (the device's own gap; more in a sanitizer build) and
// what the silence level makes uncertain at the two ends, in milliseconds.
constexpr long kAddedPerChangeMs = long(kAddedSilenceOnceLimitMs);
constexpr long kEndSlackMs = 10;
// After the last sound the recording must go on silent this long: the run ended by itself
// before the recording did.
constexpr long kSilentTailMs = 500;

struct Sound {
    std::vector<int16_t> samples;
    long rate = 0;
};

struct Profile {
    long first = -1;       // first sample above the level, -1 when there is none
    long last = -1;        // last sample above the level
    long longestQuiet = 0; // longest run at or below the level between first and last
};

Profile profile(const std::vector<int16_t>& s) {
    Profile p;
    long quietStart = -1;
    for (long i = 0; i < long(s.size()); ++i) {
        if (std::abs(int(s[size_t(i)])) > kSilenceLevel) {
            if (p.first < 0)
                p.first = i;
            else if (quietStart >= 0)
                p.longestQuiet = std::max(p.longestQuiet, i - quietStart);
            quietStart = -1;
            p.last = i;
        } else if (quietStart < 0 && p.first >= 0) {
            quietStart = i;
        }
    }
    return p;
}

bool decode(const std::string& path, Sound& out, std::string& error) {
    mpg123_handle* h = mpg123_new(nullptr, nullptr);
    if (!h) {
        error = "the decoder cannot be created";
        return false;
    }
    bool ok = false;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_open(h, path.c_str()) != MPG123_OK) {
        error = mpg123_strerror(h);
    } else if (mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK) {
        error = mpg123_strerror(h);
    } else if (channels != MPG123_MONO) {
        error = "not a mono file";
    } else {
        // Keep the file's rate and ask for 16-bit samples.
        mpg123_format_none(h);
        mpg123_format(h, rate, MPG123_MONO, MPG123_ENC_SIGNED_16);
        out.rate = rate;
        unsigned char buffer[16384];
        size_t done = 0;
        int rc;
        do {
            rc = mpg123_read(h, buffer, sizeof buffer, &done);
            const auto* samples = reinterpret_cast<const int16_t*>(buffer);
            out.samples.insert(out.samples.end(), samples, samples + done / 2);
        } while (rc == MPG123_OK || rc == MPG123_NEW_FORMAT);
        if (rc != MPG123_DONE)
            error = mpg123_strerror(h);
        else if (out.samples.empty())
            error = "no samples";
        else
            ok = true;
    }
    mpg123_close(h);
    mpg123_delete(h);
    return ok;
}

bool readRaw(const std::string& path, std::vector<int16_t>& out, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot be opened";
        return false;
    }
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        error = "cannot be read";
        return false;
    }
    if (bytes.size() % 2 != 0) {
        error = "is not a whole number of 16-bit samples";
        return false;
    }
    out.resize(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) // little-endian on disk
        out[i] = int16_t(uint16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    return true;
}

long ms(long samples, long rate) { return samples * 1000 / rate; }

int silent(const char* path) {
    std::vector<int16_t> recording;
    std::string error;
    if (!readRaw(path, recording, error)) {
        std::fprintf(stderr, "acceptance_heardspan: %s: %s\n", path, error.c_str());
        return 2;
    }
    // The null sink's monitor gives the rate it was made with; the runs record at 22 050 Hz.
    constexpr long kRecordingRate = 22050;
    const Profile heard = profile(recording);
    if (heard.first < 0) {
        std::printf("silent for %ld ms\n", ms(long(recording.size()), kRecordingRate));
        return 0;
    }
    std::printf("FAIL: sound heard from %ld ms to %ld ms of %ld ms\n", ms(heard.first, kRecordingRate),
                ms(heard.last, kRecordingRate), ms(long(recording.size()), kRecordingRate));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--silent")
        return silent(argv[2]);
    int arg = 1;
    const bool lengthOnly = argc > 1 && std::string(argv[1]) == "--length";
    if (lengthOnly)
        ++arg;
    const int firstFile = lengthOnly ? arg : arg + 1;
    if (argc <= firstFile) {
        std::fprintf(stderr, "usage: acceptance_heardspan [--length] <recording.raw> <file.mp3>...\n"
                             "       acceptance_heardspan --silent <recording.raw>\n");
        return 2;
    }
    if (mpg123_init() != MPG123_OK) {
        std::fprintf(stderr, "acceptance_heardspan: the decoder library does not start\n");
        return 2;
    }

    long rate = 0;
    long total = 0;           // samples of all files, back to back
    long longestExpected = 0; // longest silence the files hold, joins included
    long firstLead = 0;
    long previousTrail = -1;
    for (int i = firstFile; i < argc; ++i) {
        Sound sound;
        std::string error;
        if (!decode(argv[i], sound, error)) {
            std::fprintf(stderr, "acceptance_heardspan: %s: %s\n", argv[i], error.c_str());
            return 2;
        }
        if (rate != 0 && sound.rate != rate) {
            std::fprintf(stderr, "acceptance_heardspan: %s: %ld Hz, the files before it %ld Hz\n", argv[i],
                         sound.rate, rate);
            return 2;
        }
        rate = sound.rate;
        const Profile p = profile(sound.samples);
        if (p.first < 0) {
            std::fprintf(stderr, "acceptance_heardspan: %s: holds no sound\n", argv[i]);
            return 2;
        }
        const long length = long(sound.samples.size());
        const long trail = length - 1 - p.last;
        if (i == firstFile)
            firstLead = p.first;
        else
            longestExpected = std::max(longestExpected, previousTrail + p.first);
        longestExpected = std::max(longestExpected, p.longestQuiet);
        previousTrail = trail;
        total += length;
        if (!lengthOnly)
            std::printf("file %s: %ld ms, silent %ld ms at the start and %ld ms at the end\n", argv[i],
                        ms(length, rate), ms(p.first, rate), ms(trail, rate));
    }
    if (lengthOnly) {
        std::printf("%ld\n", ms(total, rate));
        return 0;
    }
    const long changes = argc - firstFile - 1;
    const long expectedSpan = total - firstLead - previousTrail;

    std::vector<int16_t> recording;
    std::string error;
    if (!readRaw(argv[arg], recording, error)) {
        std::fprintf(stderr, "acceptance_heardspan: %s: %s\n", argv[arg], error.c_str());
        return 2;
    }
    const Profile heard = profile(recording);
    const long recorded = long(recording.size());
    std::printf("recording: %ld ms\n", ms(recorded, rate));
    if (heard.first < 0) {
        std::printf("FAIL: the recording holds no sound\n");
        return 1;
    }
    const long heardSpan = heard.last - heard.first + 1;
    const long tail = recorded - 1 - heard.last;
    const long difference = ms(heardSpan - expectedSpan, rate);
    std::printf("sound heard from %ld ms to %ld ms: %ld ms; the files back to back make %ld ms (%+ld ms)\n",
                ms(heard.first, rate), ms(heard.last, rate), ms(heardSpan, rate), ms(expectedSpan, rate),
                difference);
    std::printf("longest silence heard inside it: %ld ms; the files hold at most %ld ms\n",
                ms(heard.longestQuiet, rate), ms(longestExpected, rate));

    bool passed = true;
    if (tail < kSilentTailMs * rate / 1000) {
        std::printf("FAIL: sound goes on until %ld ms before the recording's end: the run did not end by itself\n",
                    ms(tail, rate));
        passed = false;
    }
    if (difference < -kEndSlackMs) {
        std::printf("FAIL: %ld ms of the files' sound are missing from what was heard\n", -difference);
        passed = false;
    } else if (difference > kEndSlackMs + kAddedPerChangeMs * changes) {
        std::printf("FAIL: %ld ms more than the files were heard (%ld changes of file, at most %ld ms each)\n",
                    difference, changes, kAddedPerChangeMs);
        passed = false;
    }
    if (heard.longestQuiet > longestExpected + kAddedPerChangeMs * rate / 1000 + kEndSlackMs * rate / 1000) {
        std::printf("FAIL: a silence of %ld ms was heard; the files hold none longer than %ld ms\n",
                    ms(heard.longestQuiet, rate), ms(longestExpected, rate));
        passed = false;
    }
    if (passed)
        std::printf("passed\n");
    return passed ? 0 : 1;
}
