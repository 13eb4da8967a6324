#pragma once

#include "tests/support/print_outputs.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kumoden::test {

// The queue hard copies go to in these tests: the scheduler's default.
extern const std::string kHardCopyQueue;

// The hard copies printed on kHardCopyQueue from the moment the object is
// made: cups-pdf names each file after its job ("Kumoden...-job_12.pdf").
class HardCopyOutputs : public PrintOutputs {
public:
    HardCopyOutputs() : PrintOutputs(kHardCopyQueue, "Kumoden") {}
};

// A picture of four coloured quarters, as a PNG file: red at the top left,
// green at the top right, blue at the bottom left, black at the bottom right.
std::filesystem::path writeQuartersPicture(const std::filesystem::path& file, int width, int height);

// The wide and the tall picture the hard copies of the program are made
// of, in folder. Throws when the scheduler is not up: the test command
// starts it, and without it the hard copies would check nothing.
struct HardCopyPictures {
    std::filesystem::path wide;
    std::filesystem::path tall;
};
HardCopyPictures writeHardCopyPictures(const std::filesystem::path& folder);

using Rgb = std::array<unsigned char, 3>;

// A PDF's first page as pixels, through pdftoppm.
struct Raster {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    Rgb at(int x, int y) const;
};
Raster renderFirstPage(const std::filesystem::path& pdf, int dotsPerInch);

// The smallest rectangle around everything that is not white; right and
// bottom exclusive.
struct PixelBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
};
std::optional<PixelBox> inkBox(const Raster& page);

// The colour of each quarter's middle, named "red", "green", "blue",
// "black" or "other": top left, top right, bottom left, bottom right.
std::array<std::string, 4> quarterColours(const Raster& page, const PixelBox& box);

} // namespace kumoden::test
