#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kumoden::test {

// The queue hard copies go to in these tests: the scheduler's default.
extern const std::string kHardCopyQueue;

// The hard copies printed on kHardCopyQueue from the moment the object is
// made: cups-pdf writes each job as a file named after it
// ("Kumoden-job_12.pdf") into the submitting user's folder, while
// Ghostscript still runs; a file is whole once its job has left the queue.
class HardCopyOutputs {
public:
    HardCopyOutputs();
    // Removes the new files, once the queue is done with them.
    ~HardCopyOutputs();
    HardCopyOutputs(const HardCopyOutputs&) = delete;
    HardCopyOutputs& operator=(const HardCopyOutputs&) = delete;

    // Waits for at least one new hard copy and for the queue to finish every
    // job that came since; the new files, none when the time is up first.
    std::vector<std::filesystem::path> waitForNew(std::chrono::milliseconds limit);
    // The new files now, and whether new jobs are still in the queue.
    std::vector<std::filesystem::path> newFiles() const;
    bool jobsPending() const;

private:
    std::set<std::filesystem::path> m_before;
    std::set<std::string> m_jobsBefore;
};

// A picture of four coloured quarters, as a PNG file: red at the top left,
// green at the top right, blue at the bottom left, black at the bottom right.
std::filesystem::path writeQuartersPicture(const std::filesystem::path& file, int width, int height);

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
