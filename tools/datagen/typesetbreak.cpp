// Line breaking of the pages and their division into halves.

#include "typesetlayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zelan::datagen::typeset {

double gapBetween(const Word& right, const Word& left, double space) {
    if (right.sora == left.sora && right.aya == left.aya)
        return space;
    // The boundary column sits in the middle of the gap. On each side of it: kColumnMargin
    // blank columns, one column for rounding the middle down, one for the fractional pen
    // position, and the word's overhang beyond its advance box.
    const double overhangLeft = std::max(0, -right.ink.left);
    const double overhangRight = std::max(0.0, left.ink.right - left.ink.advance);
    const double side = kColumnMargin + 2 + std::max(overhangLeft, overhangRight);
    return std::max(space, 2 * side);
}

int need(const Line& upper, const Line& lower) {
    // upper's ink, kRowMargin blank rows, upper's bottom row, kRowMargin blank rows, lower's ink
    return upper.below + 1 + kRowMargin + 1 + kRowMargin + lower.above;
}

int stackHeight(const std::vector<Line>& lines, size_t first, size_t last) {
    if (first >= last)
        return 0;
    int height = lines[first].above + lines[last - 1].below + 1 + kRowMargin;
    for (size_t i = first + 1; i < last; ++i)
        height += need(lines[i - 1], lines[i]);
    return height;
}

void PageBuilder::beginSura(int sura) {
    m_open = false;
    Line header;
    header.kind = LineKind::Header;
    header.sura = sura;
    header.above = m_style.headerAbove;
    header.below = m_style.headerBelow;
    m_lines.push_back(header);
    // The formula is centred on lines of its own, broken first-fit if it is ever too long.
    const std::vector<Word>& formula = (*m_style.text)[size_t(sura)].formula;
    for (size_t i = 0; i < formula.size(); ++i) {
        const Word& word = formula[i];
        Line& line = m_lines.back();
        if (line.kind == LineKind::Formula &&
            line.natural + gapBetween(formula[i - 1], word, m_style.space) + word.ink.advance <= m_style.measure) {
            line.natural += gapBetween(formula[i - 1], word, m_style.space) + word.ink.advance;
            line.last = int(i) + 1;
        } else {
            Line next;
            next.kind = LineKind::Formula;
            next.sura = sura;
            next.first = int(i);
            next.last = int(i) + 1;
            next.natural = word.ink.advance;
            m_lines.push_back(next);
        }
        m_lines.back().above = std::max(m_lines.back().above, -word.ink.top);
        m_lines.back().below = std::max(m_lines.back().below, word.ink.bottom);
    }
}

void PageBuilder::addAya(int sura, int aya) {
    const SuraText& text = (*m_style.text)[size_t(sura)];
    for (int w = text.ayaStart[size_t(aya - 1)]; w < text.ayaStart[size_t(aya)]; ++w)
        addWord(sura, w);
}

void PageBuilder::addWord(int sura, int index) {
    const std::vector<Word>& words = (*m_style.text)[size_t(sura)].words;
    const Word& word = words[size_t(index)];
    if (m_open) {
        Line& line = m_lines.back();
        const double wider = line.natural + gapBetween(words[size_t(index) - 1], word, m_style.space) + word.ink.advance;
        if (line.sura == sura && line.last == index && wider <= m_style.measure) {
            line.natural = wider;
            line.last = index + 1;
            line.above = std::max(line.above, -word.ink.top);
            line.below = std::max(line.below, word.ink.bottom);
            return;
        }
    }
    Line line;
    line.kind = LineKind::Text;
    line.sura = sura;
    line.first = index;
    line.last = index + 1;
    line.natural = word.ink.advance;
    line.above = -word.ink.top;
    line.below = word.ink.bottom;
    line.opensParagraph = !m_open;
    m_lines.push_back(line);
    m_open = true;
}

PageSplit splitPage(const std::vector<Line>& lines, bool needSecondHalf) {
    // Of the places where half 1 can end, the one that leaves the two halves' blank rows most
    // alike, preferring the fuller first half. Half 1 never ends with a sura header or an
    // opening formula: they go on with their sura's first text line.
    PageSplit result;
    const size_t n = lines.size();
    double best = -1;
    for (size_t k = needSecondHalf ? n - 1 : n; k >= 1 && k <= n; --k) {
        if (lines[k - 1].kind != LineKind::Text)
            continue;
        const int free1 = kAvailableHeight - stackHeight(lines, 0, k);
        if (free1 < 0)
            continue;
        const int free2 = kAvailableHeight - stackHeight(lines, k, n);
        if (free2 < 0)
            break; // an earlier end leaves even more for half 2
        const double cost = double(free1) * free1 + double(free2) * free2;
        if (best < 0 || cost < best) {
            best = cost;
            result = {true, k, free1, free2};
        }
    }
    return result;
}

namespace {

// The lines of the page holding positions [first, last), broken first-fit.
std::vector<Line> greedyPage(const Style& style, const std::vector<AyaPos>& positions, int first, int last) {
    PageBuilder builder(style);
    for (int k = first; k < last; ++k) {
        const AyaPos& p = positions[size_t(k)];
        if (p.aya == 1)
            builder.beginSura(p.sura);
        builder.addAya(p.sura, p.aya);
        // Sura 1 opens with the formula as its aya 1, on a line of its own like the formula
        // before the other suras.
        if (style.text->at(size_t(p.sura)).number == 1 && p.aya == 1)
            builder.breakLine();
    }
    return builder.lines();
}

// Rebreaks `count` first-fit lines of one paragraph run [begin, end) of the sura's words for
// the least sum of squared slack over its lines (the last line counts a fifth: it may end
// short and be centred). Returns the break points or an empty vector when no such breaking
// exists.
std::vector<int> evenBreaks(const Style& style, const std::vector<Word>& words, int begin, int end, int count) {
    const int n = end - begin;
    const double inf = std::numeric_limits<double>::infinity();
    auto width = [&](int from, int to) { // words [from, to) relative to begin
        double w = words[size_t(begin + from)].ink.advance;
        for (int i = from + 1; i < to; ++i)
            w += gapBetween(words[size_t(begin + i - 1)], words[size_t(begin + i)], style.space) +
                 words[size_t(begin + i)].ink.advance;
        return w;
    };
    // cost[l][j]: best cost of l lines holding the first j words
    std::vector<std::vector<double>> cost(size_t(count) + 1, std::vector<double>(size_t(n) + 1, inf));
    std::vector<std::vector<int>> from(size_t(count) + 1, std::vector<int>(size_t(n) + 1, -1));
    cost[0][0] = 0;
    for (int l = 1; l <= count; ++l) {
        for (int j = 1; j <= n; ++j) {
            const bool lastLine = l == count;
            if (lastLine && j != n)
                continue;
            for (int i = j - 1; i >= 0; --i) {
                if (cost[size_t(l) - 1][size_t(i)] == inf)
                    continue;
                const double w = width(i, j);
                if (w > style.measure)
                    break;
                const double slack = style.measure - w;
                const double c = cost[size_t(l) - 1][size_t(i)] + (lastLine ? 0.2 : 1.0) * slack * slack;
                if (c < cost[size_t(l)][size_t(j)]) {
                    cost[size_t(l)][size_t(j)] = c;
                    from[size_t(l)][size_t(j)] = i;
                }
            }
        }
    }
    if (cost[size_t(count)][size_t(n)] == inf)
        return {};
    std::vector<int> breaks(size_t(count) + 1);
    breaks[size_t(count)] = n;
    for (int l = count, j = n; l > 0; --l) {
        j = from[size_t(l)][size_t(j)];
        breaks[size_t(l) - 1] = j;
    }
    for (int& b : breaks)
        b += begin;
    return breaks;
}

void setJustification(const Style& style, std::vector<Line>& lines) {
    for (size_t i = 0; i < lines.size(); ++i) {
        Line& line = lines[i];
        const bool runGoesOn = i + 1 < lines.size() && lines[i + 1].kind == LineKind::Text &&
                               !lines[i + 1].opensParagraph;
        // A line that ends its run is justified only when nearly full, else centred.
        line.justify = line.kind == LineKind::Text && line.last - line.first > 1 &&
                       (runGoesOn || line.natural >= 0.85 * style.measure);
    }
}

void remeasure(const Style& style, Line& line) {
    const std::vector<Word>& words = style.words(line);
    line.natural = 0;
    line.above = line.below = 0;
    for (int w = line.first; w < line.last; ++w) {
        const Word& word = words[size_t(w)];
        if (w > line.first)
            line.natural += gapBetween(words[size_t(w) - 1], word, style.space);
        line.natural += word.ink.advance;
        line.above = std::max(line.above, -word.ink.top);
        line.below = std::max(line.below, word.ink.bottom);
    }
}

} // namespace

std::vector<Line> pageLines(const Style& style, const std::vector<AyaPos>& positions, int first, int last,
                            bool singleHalf, PageSplit* split) {
    std::vector<Line> greedy = greedyPage(style, positions, first, last);
    std::vector<Line> even;
    for (size_t i = 0; i < greedy.size();) {
        if (greedy[i].kind != LineKind::Text) {
            even.push_back(greedy[i++]);
            continue;
        }
        size_t end = i;
        while (end < greedy.size() && greedy[end].kind == LineKind::Text && (end == i || !greedy[end].opensParagraph))
            ++end;
        const std::vector<Word>& words = style.words(greedy[i]);
        const std::vector<int> breaks =
            evenBreaks(style, words, greedy[i].first, greedy[end - 1].last, int(end - i));
        for (size_t l = 0; l < end - i; ++l) {
            Line line = greedy[i + l];
            if (!breaks.empty()) {
                line.first = breaks[l];
                line.last = breaks[l + 1];
                remeasure(style, line);
            }
            even.push_back(line);
        }
        i = end;
    }
    // The rebroken lines differ in their marks' heights; keep them only if the page still fits.
    auto fits = [&](const std::vector<Line>& lines, PageSplit* s) {
        *s = splitPage(lines, !singleHalf);
        return singleHalf ? stackHeight(lines, 0, lines.size()) <= kAvailableHeight : s->ok;
    };
    PageSplit evenSplit, greedySplit;
    if (fits(even, &evenSplit)) {
        *split = evenSplit;
        setJustification(style, even);
        return even;
    }
    if (!fits(greedy, &greedySplit))
        return {};
    *split = greedySplit;
    setJustification(style, greedy);
    return greedy;
}

} // namespace zelan::datagen::typeset
