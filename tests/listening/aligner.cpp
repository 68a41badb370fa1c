#include "aligner.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace zelan::listening {

namespace {

// The coarse search runs on both signals averaged over this many samples, then each of the
// best coarse places is refined at full rate.
constexpr std::int64_t kDecimation = 4;
// The stretch of the sound that the search slides: its loudest stretch of this length.
constexpr std::int64_t kAnchor = 4096;
constexpr int kCandidates = 8;

std::vector<float> decimate(std::span<const std::int16_t> x, std::int64_t begin, std::int64_t end) {
    std::vector<float> out(size_t(std::max<std::int64_t>(0, (end - begin) / kDecimation)));
    for (size_t i = 0; i < out.size(); ++i) {
        float sum = 0;
        const std::int64_t at = begin + std::int64_t(i) * kDecimation;
        for (std::int64_t k = 0; k < kDecimation; ++k)
            sum += float(x[size_t(at + k)]);
        out[i] = sum / float(kDecimation);
    }
    return out;
}

// Normalised cross-correlation of `needle` at every offset of `hay` (hay.size() - needle.size()
// + 1 values).
std::vector<double> slide(const std::vector<float>& hay, const std::vector<float>& needle) {
    std::vector<double> out;
    if (needle.empty() || hay.size() < needle.size())
        return out;
    double needleEnergy = 0;
    for (float v : needle)
        needleEnergy += double(v) * v;
    const size_t n = needle.size();
    const size_t count = hay.size() - n + 1;
    out.resize(count);
    double window = 0;
    for (size_t i = 0; i < n; ++i)
        window += double(hay[i]) * hay[i];
    for (size_t lag = 0; lag < count; ++lag) {
        if (lag > 0) {
            window += double(hay[lag + n - 1]) * hay[lag + n - 1] - double(hay[lag - 1]) * hay[lag - 1];
            window = std::max(window, 0.0);
        }
        float dot = 0;
        const float* h = hay.data() + lag;
        for (size_t i = 0; i < n; ++i)
            dot += h[i] * needle[i];
        const double norm = std::sqrt(window * needleEnergy);
        out[lag] = norm > 0 ? double(dot) / norm : 0;
    }
    return out;
}

std::int64_t loudestStretch(std::span<const std::int16_t> sound, std::int64_t length) {
    if (std::int64_t(sound.size()) <= length)
        return 0;
    std::int64_t best = 0;
    double bestEnergy = -1;
    for (std::int64_t at = 0; at + length <= std::int64_t(sound.size()); at += 512) {
        double energy = 0;
        for (std::int64_t i = at; i < at + length; ++i)
            energy += double(sound[size_t(i)]) * sound[size_t(i)];
        if (energy > bestEnergy) {
            bestEnergy = energy;
            best = at;
        }
    }
    return best;
}

// Adds to `starts` the best places for the sound's first sample (at least an anchor apart)
// where the stretch [anchor, anchor + length) of the sound correlates best with the recording,
// averaged over kDecimation samples.
void coarsePlaces(std::span<const std::int16_t> recording, std::span<const std::int16_t> sound, std::int64_t anchor,
                  std::int64_t length, std::int64_t from, std::int64_t to, std::vector<std::int64_t>* starts) {
    const std::int64_t hayBegin = from + anchor;
    const std::int64_t hayEnd = std::min<std::int64_t>(std::int64_t(recording.size()), to + anchor + length);
    if (hayEnd <= hayBegin)
        return;
    const std::vector<double> coarse = slide(decimate(recording, hayBegin, hayEnd), decimate(sound, anchor, anchor + length));
    std::vector<size_t> order(coarse.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return coarse[a] > coarse[b]; });
    const std::int64_t apart = std::max<std::int64_t>(1, length / kDecimation);
    std::vector<std::int64_t> picked;
    for (size_t i : order) {
        if (int(picked.size()) == kCandidates)
            break;
        if (std::any_of(picked.begin(), picked.end(), [&](std::int64_t p) { return std::llabs(p - std::int64_t(i)) < apart; }))
            continue;
        picked.push_back(std::int64_t(i));
    }
    for (std::int64_t p : picked)
        starts->push_back(from + p * kDecimation);
}

} // namespace

double correlationAt(std::span<const std::int16_t> recording, std::span<const std::int16_t> sound, std::int64_t start,
                     std::int64_t begin, std::int64_t end) {
    double dot = 0, a = 0, b = 0;
    for (std::int64_t i = begin; i < end; ++i) {
        const std::int64_t at = start + i;
        if (at < 0 || at >= std::int64_t(recording.size()))
            continue;
        const double s = sound[size_t(i)];
        const double r = recording[size_t(at)];
        dot += s * r;
        a += s * s;
        b += r * r;
    }
    return a > 0 && b > 0 ? dot / std::sqrt(a * b) : 0;
}

std::optional<Match> findSound(std::span<const std::int16_t> recording, std::span<const std::int16_t> sound,
                               std::int64_t from, std::int64_t to) {
    const std::int64_t length = std::int64_t(sound.size());
    from = std::max<std::int64_t>(from, 0);
    to = std::min<std::int64_t>(to, std::int64_t(recording.size()) - length);
    if (length == 0 || from > to)
        return std::nullopt;

    int peak = 0;
    for (std::int16_t v : sound)
        peak = std::max(peak, std::abs(int(v)));
    if (peak == 0)
        return std::nullopt;
    // The silent ends: below 1 % of the sound's peak.
    const int quiet = std::max(1, peak / 100);
    std::int64_t soundBegin = 0, soundEnd = length;
    while (soundBegin < length && std::abs(int(sound[size_t(soundBegin)])) <= quiet)
        ++soundBegin;
    while (soundEnd > soundBegin && std::abs(int(sound[size_t(soundEnd - 1)])) <= quiet)
        --soundEnd;

    // Coarse: an anchor, averaged, slid over the averaged recording where it may lie; the
    // loudest stretch of each half of the sound, so that a sound heard only in part is found
    // by the part that was heard.
    const std::int64_t anchorLength = std::min(kAnchor, length);
    std::vector<std::int64_t> anchors{loudestStretch(sound.first(size_t(std::max(anchorLength, length / 2))), anchorLength)};
    if (length / 2 >= anchorLength)
        anchors.push_back(length / 2 + loudestStretch(sound.subspan(size_t(length / 2)), anchorLength));
    std::vector<std::int64_t> starts;
    for (std::int64_t anchor : anchors)
        coarsePlaces(recording, sound, anchor, anchorLength, from, to, &starts);
    if (starts.empty())
        starts.push_back(from);

    // Fine: each coarse place and the samples around it, with the whole sound at full rate.
    std::optional<Match> best;
    for (std::int64_t coarseStart : starts) {
        std::int64_t bestStart = coarseStart;
        double bestScore = -2;
        for (std::int64_t s = coarseStart - 2 * kDecimation; s <= coarseStart + 2 * kDecimation; ++s) {
            if (s < from || s > to)
                continue;
            const double score = correlationAt(recording, sound, s, soundBegin, soundEnd);
            if (score > bestScore) {
                bestScore = score;
                bestStart = s;
            }
        }
        Match m;
        m.start = bestStart;
        m.length = length;
        m.correlation = correlationAt(recording, sound, bestStart, 0, length);
        constexpr double kSame = 1e-3;
        if (best && (m.correlation < best->correlation - kSame ||
                     (m.correlation <= best->correlation + kSame && m.start > best->start)))
            continue;
        best = m;
    }
    if (!best)
        return std::nullopt;

    Match& m = *best;
    m.soundBegin = soundBegin;
    m.soundEnd = soundEnd;
    m.headCorrelation = correlationAt(recording, sound, m.start, soundBegin, std::min(soundEnd, soundBegin + kEndStretch));
    m.tailCorrelation = correlationAt(recording, sound, m.start, std::max(soundBegin, soundEnd - kEndStretch), soundEnd);
    m.exact = true;
    for (std::int64_t i = 0; i < length; ++i) {
        if (recording[size_t(m.start + i)] != sound[size_t(i)]) {
            m.exact = false;
            m.firstDifference = i;
            break;
        }
    }
    return best;
}

} // namespace zelan::listening
