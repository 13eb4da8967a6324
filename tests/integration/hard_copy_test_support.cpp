#include "tests/integration/hard_copy_test_support.h"

#include "tests/support/process.h"
#include "tests/support/programs.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace kumoden::test {
namespace fs = std::filesystem;

const std::string kHardCopyQueue = "PDF";

fs::path writeQuartersPicture(const fs::path& file, int width, int height)
{
    const RunResult made = runProgram({builtProgram("clipboard_owner").string(), "picture", file.string(),
                                       std::to_string(width), std::to_string(height)});
    if (made.exitCode != 0) {
        throw std::runtime_error("cannot write " + file.string() + ": " + made.err);
    }
    return file;
}

HardCopyPictures writeHardCopyPictures(const fs::path& folder)
{
    if (const std::string problem = schedulerProblem(); !problem.empty()) {
        throw std::runtime_error("no scheduler: " + problem);
    }
    return {writeQuartersPicture(folder / "wide.png", 320, 120),
            writeQuartersPicture(folder / "tall.png", 120, 320)};
}

Rgb Raster::at(int x, int y) const
{
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

Raster renderFirstPage(const fs::path& pdf, int dotsPerInch)
{
    // Without a file name pdftoppm writes the page to its output.
    const RunResult run = runProgram(
        {"pdftoppm", "-r", std::to_string(dotsPerInch), "-f", "1", "-l", "1", "-singlefile", pdf.string()});
    if (run.exitCode != 0) {
        throw std::runtime_error("pdftoppm failed on " + pdf.string() + ": " + run.err);
    }
    // Binary PPM: "P6", width, height, maximum, one blank, then the pixels.
    std::istringstream in(run.out);
    std::string magic;
    int maximum = 0;
    Raster page;
    in >> magic >> page.width >> page.height >> maximum;
    in.get();
    if (magic != "P6" || maximum != 255 || page.width <= 0 || page.height <= 0) {
        throw std::runtime_error("not a page pdftoppm makes");
    }
    page.rgb.resize(static_cast<std::size_t>(page.width) * static_cast<std::size_t>(page.height) * 3);
    in.read(reinterpret_cast<char*>(page.rgb.data()), static_cast<std::streamsize>(page.rgb.size()));
    return page;
}

std::optional<PixelBox> inkBox(const Raster& page)
{
    PixelBox box{page.width, page.height, 0, 0};
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            const Rgb c = page.at(x, y);
            if (c[0] <= 230 || c[1] <= 230 || c[2] <= 230) {
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
        }
    }
    return box.right > 0 ? std::optional(box) : std::nullopt;
}

std::array<std::string, 4> quarterColours(const Raster& page, const PixelBox& box)
{
    const auto name = [](Rgb c) -> std::string {
        const auto level = [](unsigned char v) { return v > 150 ? 'H' : v < 100 ? 'L' : '-'; };
        const std::string levels{level(c[0]), level(c[1]), level(c[2])};
        return levels == "HLL"   ? "red"
               : levels == "LHL" ? "green"
               : levels == "LLH" ? "blue"
               : levels == "LLL" ? "black"
                                 : "other";
    };
    const int x1 = box.left + box.width() / 4;
    const int x2 = box.left + box.width() * 3 / 4;
    const int y1 = box.top + box.height() / 4;
    const int y2 = box.top + box.height() * 3 / 4;
    return {name(page.at(x1, y1)), name(page.at(x2, y1)), name(page.at(x1, y2)), name(page.at(x2, y2))};
}

} // namespace kumoden::test
