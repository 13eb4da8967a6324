#include "tests/support/pdf.h"

#include <cstdio>
#include <vector>

namespace kumoden::test {

namespace {

// The file around the objects (numbered from 1, the catalog first), the
// padding after the header.
std::string pdfOf(const std::vector<std::string>& objects, std::size_t padding)
{
    std::string pdf = "%PDF-1.4\n";
    pdf += padding >= 2 ? "%" + std::string(padding - 2, 'p') + "\n" : std::string(padding, '\n');
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const auto offset : offsets) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

std::string stream(const std::string& content)
{
    return "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
}

} // namespace

std::string tinyPdf(std::size_t padding)
{
    return pdfOf({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                  "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>",
                  stream("0 0 1 rg 50 50 100 100 re f")},
                 padding);
}

std::string pagesPdf(int pages)
{
    std::vector<std::string> objects{"<< /Type /Catalog /Pages 2 0 R >>", ""};
    std::string kids;
    for (int page = 0; page < pages; ++page) {
        const int pageObject = 3 + 2 * page;
        kids += std::to_string(pageObject) + " 0 R ";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents " +
                          std::to_string(pageObject + 1) + " 0 R >>");
        // A black bar whose place and width tell the pages apart.
        const int x = 60 + 150 * (page % 3);
        const int y = 80 + 220 * (page % 4);
        objects.push_back(stream("0 g " + std::to_string(x) + " " + std::to_string(y) + " " +
                                 std::to_string(120 + 60 * page) + " 300 re f"));
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>";
    return pdfOf(objects, 0);
}

} // namespace kumoden::test
