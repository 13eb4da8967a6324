#pragma once

#include "platform/profile.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kumoden::test {

// One profile backend and a scratch folder for its INI files.
class ProfileFixture : public ::testing::Test {
protected:
    explicit ProfileFixture(std::unique_ptr<Profile> profile)
        : m_profile(std::move(profile)), m_store(*m_profile)
    {
    }

    // Writes `content` as the INI and reads one key from it.
    std::string read(const std::string& content, const std::string& section, const std::string& key,
                     std::size_t capacity = 1024)
    {
        return m_store.readString(section, key, m_dir.write("a.ini", content).string(), capacity);
    }

    std::string path() const { return (m_dir.path() / "a.ini").string(); }

    // Writes `before` as the INI, then one key: the file afterwards, or
    // nullopt when the write was refused (which must leave the file as it was).
    std::optional<std::string> rewrite(const std::string& before, const std::string& section,
                                       const std::string& key, const std::string& value)
    {
        m_dir.write("a.ini", before);
        if (m_store.writeString(section, key, value, path())) {
            return readFile(path());
        }
        EXPECT_EQ(readFile(path()), before) << "a refused write changed the file";
        return std::nullopt;
    }

    // Names in the folder, to see that no temporary file was left.
    std::vector<std::string> folderNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.path())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    TempDir m_dir;
    std::unique_ptr<Profile> m_profile;
    Profile& m_store;
};

} // namespace kumoden::test
