#include "image/colorreduce.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace {

// The histogram keeps 5 bits of red, 6 of green and 5 of blue: the eye
// tells greens apart best, blues worst.
constexpr int kShift[3] = {3, 2, 3};
constexpr int kCells[3] = {32, 64, 32};
// Lengths and distances are weighted the same way.
constexpr int kScale[3] = {2, 3, 1};
constexpr int kHistogramSize = 32 * 64 * 32;

int CellOf(int r, int g, int b)
{
    return (r >> kShift[0]) * 64 * 32 + (g >> kShift[1]) * 32 + (b >> kShift[2]);
}

struct Box {
    int lo[3];
    int hi[3];
    long long volume = 0;
    long long cells = 0;  // occupied histogram cells
};

class Histogram {
public:
    explicit Histogram(std::vector<u32>& counts)
        : m_counts(counts)
    {
    }

    u32 At(int c0, int c1, int c2) const { return m_counts[std::size_t((c0 * 64 + c1) * 32 + c2)]; }

    // Shrinks the box to its occupied cells and measures it.
    void Update(Box& box) const
    {
        int lo[3] = {box.hi[0], box.hi[1], box.hi[2]};
        int hi[3] = {box.lo[0], box.lo[1], box.lo[2]};
        box.cells = 0;
        for (int c0 = box.lo[0]; c0 <= box.hi[0]; ++c0)
            for (int c1 = box.lo[1]; c1 <= box.hi[1]; ++c1)
                for (int c2 = box.lo[2]; c2 <= box.hi[2]; ++c2) {
                    if (!At(c0, c1, c2))
                        continue;
                    const int c[3] = {c0, c1, c2};
                    for (int i = 0; i < 3; ++i) {
                        lo[i] = std::min(lo[i], c[i]);
                        hi[i] = std::max(hi[i], c[i]);
                    }
                    ++box.cells;
                }
        if (box.cells == 0) {
            box.volume = 0;
            return;
        }
        box.volume = 0;
        for (int i = 0; i < 3; ++i) {
            box.lo[i] = lo[i];
            box.hi[i] = hi[i];
            const long long length = ((hi[i] - lo[i]) << kShift[i]) * kScale[i];
            box.volume += length * length;
        }
    }

    // The mean colour of the pixels in the box, from the cells' centres.
    std::array<u8, 3> Mean(const Box& box) const
    {
        unsigned long long total = 0;
        unsigned long long sum[3] = {};
        for (int c0 = box.lo[0]; c0 <= box.hi[0]; ++c0)
            for (int c1 = box.lo[1]; c1 <= box.hi[1]; ++c1)
                for (int c2 = box.lo[2]; c2 <= box.hi[2]; ++c2) {
                    const u32 n = At(c0, c1, c2);
                    const int c[3] = {c0, c1, c2};
                    total += n;
                    for (int i = 0; i < 3; ++i)
                        sum[i] += u64((c[i] << kShift[i]) + (1 << (kShift[i] - 1))) * n;
                }
        std::array<u8, 3> mean{};
        for (int i = 0; i < 3 && total; ++i)
            mean[std::size_t(i)] = u8((sum[i] + total / 2) / total);
        return mean;
    }

private:
    std::vector<u32>& m_counts;
};

// Cuts boxes in two until there are enough: first the ones holding the most
// colours, then, for the second half, the largest ones.
std::vector<Box> MedianCut(const Histogram& histogram, int wanted)
{
    std::vector<Box> boxes(1);
    for (int i = 0; i < 3; ++i) {
        boxes[0].lo[i] = 0;
        boxes[0].hi[i] = kCells[i] - 1;
    }
    histogram.Update(boxes[0]);
    while (int(boxes.size()) < wanted) {
        const bool byCells = int(boxes.size()) * 2 <= wanted;
        Box* pick = nullptr;
        for (Box& box : boxes) {
            if (box.volume <= 0)
                continue;
            if (!pick || (byCells ? box.cells > pick->cells : box.volume > pick->volume))
                pick = &box;
        }
        if (!pick)
            break;
        int axis = 0;
        long long longest = -1;
        for (int i = 0; i < 3; ++i) {
            const long long length = ((pick->hi[i] - pick->lo[i]) << kShift[i]) * kScale[i];
            if (length > longest) {
                longest = length;
                axis = i;
            }
        }
        Box other = *pick;
        const int middle = (pick->lo[axis] + pick->hi[axis]) / 2;
        pick->hi[axis] = middle;
        other.lo[axis] = middle + 1;
        histogram.Update(*pick);
        histogram.Update(other);
        boxes.push_back(other);
    }
    return boxes;
}

// An error larger than a step is damped, so a large area of one colour
// does not streak.
int LimitError(int e)
{
    const int a = std::abs(e);
    const int limited = a < 16 ? a : a < 48 ? 16 + (a - 16) / 2 : 32;
    return e < 0 ? -limited : limited;
}

class NearestColor {
public:
    explicit NearestColor(const ReducedPalette& palette)
        : m_palette(palette)
        , m_cache(kHistogramSize, -1)
    {
    }

    // The nearest colour to the centre of the colour's histogram cell.
    int Find(int r, int g, int b)
    {
        short& cached = m_cache[std::size_t(CellOf(r, g, b))];
        if (cached >= 0)
            return cached;
        const int centre[3] = {(r >> kShift[0] << kShift[0]) + (1 << (kShift[0] - 1)),
            (g >> kShift[1] << kShift[1]) + (1 << (kShift[1] - 1)),
            (b >> kShift[2] << kShift[2]) + (1 << (kShift[2] - 1))};
        int best = 0;
        long long bestDistance = -1;
        for (int i = 0; i < m_palette.count; ++i) {
            const int color[3] = {m_palette.red[i], m_palette.green[i], m_palette.blue[i]};
            long long distance = 0;
            for (int c = 0; c < 3; ++c) {
                const long long d = (centre[c] - color[c]) * kScale[c];
                distance += d * d;
            }
            if (bestDistance < 0 || distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        cached = short(best);
        return best;
    }

private:
    const ReducedPalette& m_palette;
    std::vector<short> m_cache;
};

}  // namespace

ReducedPalette ReduceColors(
    const u8* rgb, int width, int height, int maxColors, const std::function<u8*(int y)>& indexRow)
{
    ReducedPalette palette;
    if (width <= 0 || height <= 0)
        return palette;
    std::vector<u32> counts(kHistogramSize, 0);
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    for (std::size_t i = 0; i < pixels; ++i) {
        const u8* p = rgb + 3 * i;
        ++counts[std::size_t(CellOf(p[0], p[1], p[2]))];
    }
    const Histogram histogram(counts);
    const std::vector<Box> boxes = MedianCut(histogram, std::clamp(maxColors, 1, 256));
    palette.count = int(boxes.size());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const std::array<u8, 3> mean = histogram.Mean(boxes[i]);
        palette.red[i] = mean[0];
        palette.green[i] = mean[1];
        palette.blue[i] = mean[2];
    }

    // Floyd-Steinberg error diffusion in sixteenths, the rows walked back
    // and forth; the error arrays have a spare column on either side.
    NearestColor nearest(palette);
    const std::size_t columns = std::size_t(width) + 2;
    std::vector<int> below(3 * columns, 0);
    std::vector<int> next(3 * columns, 0);
    for (int y = 0; y < height; ++y) {
        const u8* row = rgb + 3 * std::size_t(width) * std::size_t(y);
        u8* out = indexRow(y);
        const int dir = y % 2 == 0 ? 1 : -1;
        int carry[3] = {};
        std::fill(next.begin(), next.end(), 0);
        for (int step = 0; step < width; ++step) {
            const int x = dir > 0 ? step : width - 1 - step;
            const int col = x + 1;
            int value[3];
            for (int c = 0; c < 3; ++c) {
                const int error = LimitError((below[std::size_t(3 * col + c)] + carry[c] + 8) >> 4);
                value[c] = std::clamp(row[3 * x + c] + error, 0, 255);
            }
            const int index = nearest.Find(value[0], value[1], value[2]);
            out[x] = u8(index);
            const int chosen[3] = {palette.red[index], palette.green[index], palette.blue[index]};
            for (int c = 0; c < 3; ++c) {
                const int error = value[c] - chosen[c];
                carry[c] = error * 7;
                next[std::size_t(3 * (col - dir) + c)] += error * 3;
                next[std::size_t(3 * col + c)] += error * 5;
                next[std::size_t(3 * (col + dir) + c)] += error;
            }
        }
        below.swap(next);
    }
    return palette;
}
