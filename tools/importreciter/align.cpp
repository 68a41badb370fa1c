#include "align.h"

#include <fftw3.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zelan::importer {

namespace {

constexpr int kRate = 16000;
constexpr int kWindow = 400; // 25 ms
constexpr int kHop = 160;    // 10 ms
constexpr int kFft = 512;

double melOf(double hz) { return 2595 * std::log10(1 + hz / 700); }
double hzOf(double mel) { return 700 * (std::pow(10, mel / 2595) - 1); }

// Triangular mel filters over the FFT bins, from 80 Hz to 7600 Hz.
const std::vector<std::array<float, kFft / 2 + 1>>& filters() {
    static const auto bank = [] {
        std::vector<std::array<float, kFft / 2 + 1>> bank(kBands);
        const double low = melOf(80), high = melOf(7600);
        std::array<double, kBands + 2> edges{};
        for (int k = 0; k < kBands + 2; ++k)
            edges[size_t(k)] = hzOf(low + (high - low) * k / (kBands + 1)) * kFft / kRate;
        for (int b = 0; b < kBands; ++b) {
            for (int bin = 0; bin <= kFft / 2; ++bin) {
                const double x = bin, l = edges[size_t(b)], c = edges[size_t(b) + 1], r = edges[size_t(b) + 2];
                bank[size_t(b)][size_t(bin)] = float(x <= l || x >= r ? 0 : x <= c ? (x - l) / (c - l) : (r - x) / (r - c));
            }
        }
        return bank;
    }();
    return bank;
}

std::vector<float> monoAt16k(const media::DecodedSound& sound) {
    const auto* pcm = reinterpret_cast<const qint16*>(sound.pcm.constData());
    const qint64 frames = std::min<qint64>(sound.frames, sound.pcm.size() / 2 / std::max(1, sound.channels));
    std::vector<float> mono(size_t(std::max<qint64>(frames, 0)));
    for (qint64 i = 0; i < frames; ++i) {
        float sum = 0;
        for (int c = 0; c < sound.channels; ++c)
            sum += pcm[i * sound.channels + c];
        mono[size_t(i)] = sum / (32768.0f * float(sound.channels));
    }
    if (sound.sampleRate == kRate || mono.empty())
        return mono;
    std::vector<float> out(size_t(double(mono.size()) * kRate / sound.sampleRate) + 16);
    size_t done = 0;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_MQ, 0);
    if (soxr_oneshot(sound.sampleRate, kRate, 1, mono.data(), mono.size(), nullptr, out.data(), out.size(), &done,
                     nullptr, &quality, nullptr) != nullptr)
        return {};
    out.resize(done);
    return out;
}

} // namespace

Features features(const media::DecodedSound& sound) {
    Features result;
    const std::vector<float> samples = monoAt16k(sound);
    if (samples.size() < size_t(kWindow))
        return result;
    const size_t count = (samples.size() - kWindow) / kHop + 1;
    float* in = fftwf_alloc_real(kFft);
    fftwf_complex* out = fftwf_alloc_complex(kFft / 2 + 1);
    const fftwf_plan plan = fftwf_plan_dft_r2c_1d(kFft, in, out, FFTW_ESTIMATE);
    std::array<float, kWindow> hann{};
    for (int i = 0; i < kWindow; ++i)
        hann[size_t(i)] = float(0.5 - 0.5 * std::cos(2 * M_PI * i / (kWindow - 1)));
    result.bands.resize(count);
    result.energy.resize(count);
    for (size_t f = 0; f < count; ++f) {
        std::fill(in, in + kFft, 0.0f);
        for (int i = 0; i < kWindow; ++i)
            in[i] = samples[f * kHop + size_t(i)] * hann[size_t(i)];
        fftwf_execute(plan);
        std::array<float, kFft / 2 + 1> power{};
        double total = 1e-10;
        for (int bin = 0; bin <= kFft / 2; ++bin) {
            power[size_t(bin)] = out[bin][0] * out[bin][0] + out[bin][1] * out[bin][1];
            total += power[size_t(bin)];
        }
        result.energy[f] = float(10 * std::log10(total));
        for (int b = 0; b < kBands; ++b) {
            double e = 1e-10;
            for (int bin = 0; bin <= kFft / 2; ++bin)
                e += filters()[size_t(b)][size_t(bin)] * power[size_t(bin)];
            result.bands[f][size_t(b)] = float(std::log(e));
        }
    }
    fftwf_destroy_plan(plan);
    fftwf_free(in);
    fftwf_free(out);

    // Voiced: within 35 dB of the loudest frame.
    const float peak = *std::max_element(result.energy.begin(), result.energy.end());
    int first = -1, last = -1;
    for (size_t f = 0; f < count; ++f) {
        if (result.energy[f] >= peak - 35) {
            if (first < 0)
                first = int(f);
            last = int(f);
        }
    }
    result.firstVoiced = std::max(first, 0);
    result.lastVoiced = last;
    if (last < first || first < 0)
        return result;
    std::array<double, kBands> mean{};
    for (int f = first; f <= last; ++f)
        for (int b = 0; b < kBands; ++b)
            mean[size_t(b)] += result.bands[size_t(f)][size_t(b)];
    for (auto& frame : result.bands)
        for (int b = 0; b < kBands; ++b)
            frame[size_t(b)] -= float(mean[size_t(b)] / (last - first + 1));
    return result;
}

double alignTime(const Features& reference, const Features& real, double referenceMs) {
    const int r0 = reference.firstVoiced, r1 = reference.lastVoiced;
    const int q0 = real.firstVoiced, q1 = real.lastVoiced;
    if (r1 < r0 || q1 < q0)
        return -1;
    const int n = r1 - r0 + 1, m = q1 - q0 + 1;
    const int target = std::clamp(int(std::lround(referenceMs / kFrameMs)) - r0, 0, n - 1);
    auto distance = [&](int i, int j) {
        double d = 0;
        for (int b = 0; b < kBands; ++b) {
            const double x = reference.bands[size_t(r0 + i)][size_t(b)] - real.bands[size_t(q0 + j)][size_t(b)];
            d += x * x;
        }
        return std::sqrt(d);
    };
    // Accumulated cost with the symmetric steps; a diagonal step counts its distance twice so
    // that no kind of step is favoured.
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> cost(size_t(n) * size_t(m), inf);
    auto at = [&](int i, int j) -> double& { return cost[size_t(i) * size_t(m) + size_t(j)]; };
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < m; ++j) {
            const double d = distance(i, j);
            if (i == 0 && j == 0) {
                at(i, j) = d;
                continue;
            }
            double best = inf;
            if (i > 0)
                best = std::min(best, at(i - 1, j) + d);
            if (j > 0)
                best = std::min(best, at(i, j - 1) + d);
            if (i > 0 && j > 0)
                best = std::min(best, at(i - 1, j - 1) + 2 * d);
            at(i, j) = best;
        }
    }
    // Back from the end: the first real frame the path gives the target frame.
    int i = n - 1, j = m - 1, matched = m - 1;
    while (i > 0 || j > 0) {
        if (i == target)
            matched = j;
        const double diagonal = i > 0 && j > 0 ? at(i - 1, j - 1) : inf;
        const double up = i > 0 ? at(i - 1, j) : inf;
        const double left = j > 0 ? at(i, j - 1) : inf;
        if (diagonal <= up && diagonal <= left) {
            --i;
            --j;
        } else if (up <= left) {
            --i;
        } else {
            --j;
        }
    }
    if (target == 0)
        matched = 0;
    return (q0 + matched) * kFrameMs;
}

double snapToPause(const Features& real, double ms, double windowMs) {
    if (real.lastVoiced < real.firstVoiced)
        return ms;
    const float peak = *std::max_element(real.energy.begin(), real.energy.end());
    const float quiet = peak - 30;
    const int centre = int(std::lround(ms / kFrameMs));
    const int reach = int(std::lround(windowMs / kFrameMs));
    // The ends of the pauses (kPauseFrames quiet frames followed by a voiced one: a stop
    // consonant's closure inside a word is shorter) within the window, the one nearest the
    // estimate: a pause the estimate lies in, or one that ended before it. A pause after the
    // estimate with sound in between follows a word that began without one.
    constexpr int kPauseFrames = 4;
    const int last = int(real.energy.size()) - 1;
    int best = -1;
    for (int f = std::max(kPauseFrames, centre - reach); f <= std::min(last, centre + reach); ++f) {
        bool pause = real.energy[size_t(f)] >= quiet;
        for (int k = 1; k <= kPauseFrames && pause; ++k)
            pause = real.energy[size_t(f - k)] < quiet;
        for (int g = std::max(centre, 0); pause && g < f; ++g)
            pause = real.energy[size_t(g)] < quiet;
        if (pause && (best < 0 || std::abs(f - centre) < std::abs(best - centre)))
            best = f;
    }
    // The first frame that holds the sound again holds it in the later part of its window:
    // its middle is the nearer guess of the onset.
    return best < 0 ? ms : best * kFrameMs + 0.5 * kWindow * 1000.0 / kRate;
}

} // namespace zelan::importer
