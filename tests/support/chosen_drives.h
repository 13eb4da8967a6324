#pragma once

#include "platform/folder_reader.h"

#include <string>
#include <utility>
#include <vector>

namespace kumoden::test {

// The machine's folders as the platform's reader Real reads them, with
// drives of the test's choosing (folders of the test standing in for them).
template <typename Real> class ChosenDrives final : public FolderReader {
public:
    explicit ChosenDrives(std::vector<std::string> drives) : m_drives(std::move(drives)) {}

    char separator() const override { return m_real.separator(); }
    std::vector<std::string> readyDrives() const override { return m_drives; }
    std::string currentFolder() const override { return m_real.currentFolder(); }
    std::string keptFolder(const std::string& drive) const override { return m_real.keptFolder(drive); }
    std::string normalFolder(const std::string& path) const override { return m_real.normalFolder(path); }
    std::string rootOf(const std::string& path) const override { return m_real.rootOf(path); }
    std::optional<FolderContents> read(const std::string& folder) const override
    {
        return m_real.read(folder);
    }
    int compareNames(const std::string& a, const std::string& b) const override
    {
        return m_real.compareNames(a, b);
    }

private:
    Real m_real;
    std::vector<std::string> m_drives;
};

} // namespace kumoden::test
