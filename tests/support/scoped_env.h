#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace kumoden::test {

// Sets an environment variable (unsets it for nullptr) for the scope and
// puts back what it was.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value)
        : m_name(name),
          m_old(std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt)
    {
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace kumoden::test
