#pragma once

#include <filesystem>
#include <string>

namespace kumoden::bench {

// A scratch folder filled with empty files, removed at the end.
class BenchFolder {
public:
    explicit BenchFolder(const std::string& tag);
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    ~BenchFolder();

    const std::filesystem::path& path() const { return m_path; }
    // Creates count empty files named prefix + number + extension in sub.
    void fill(const std::string& sub, int count, const std::string& prefix,
              const std::string& extension) const;

private:
    std::filesystem::path m_path;
};

// The baseline of the purge: readdir and one statx for the birth time of
// each entry not hidden, as bare as it can be. The newest time found.
long long BareReaddirStatx(const std::filesystem::path& folder);

} // namespace kumoden::bench
