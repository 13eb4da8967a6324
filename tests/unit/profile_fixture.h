#pragma once

#include "platform/profile.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kumoden::test {

// Records what is read and written. Reads are answered from `values`, or by
// the store it wraps, which the writes then reach too.
class RecordingProfile final : public Profile {
public:
    explicit RecordingProfile(std::unique_ptr<Profile> real = nullptr) : m_real(std::move(real)) {}

    std::string readString(const std::string& section, const std::string& key, const std::string& path,
                           std::size_t capacity) override
    {
        askedKeys.push_back(key);
        readFrom.insert("[" + section + "] " + path + " " + std::to_string(capacity));
        if (m_real) {
            return m_real->readString(section, key, path, capacity);
        }
        const auto it = values.find(key);
        return it == values.end() ? std::string() : it->second;
    }
    bool writeString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& path) override
    {
        written.push_back(key + "=" + value);
        return m_real && m_real->writeString(section, key, value, path);
    }

    std::map<std::string, std::string> values;
    std::vector<std::string> askedKeys;
    std::set<std::string> readFrom; // "[section] path capacity" of every read
    std::vector<std::string> written;

private:
    std::unique_ptr<Profile> m_real;
};

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
