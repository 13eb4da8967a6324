#pragma once

namespace kumoden {

// Raises a flag for as long as it lives and lowers it again on every way
// out, a throw included.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
    ~FlagScope() { m_flag = false; }

private:
    bool& m_flag;
};

} // namespace kumoden
