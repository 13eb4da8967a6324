#pragma once

#include "watch/watch_cycle.h"

#include <string>

namespace kumoden::fake {

// Hears a tick and tells nothing: for benches and tests that measure or
// check the work, not the telling of it.
class Quiet final : public CycleObserver {
public:
    void archived(const std::string&) override {}
    void finished(const FileResult&) override {}
    void purged(const std::string&, const std::string&) override {}
    void queryFailed(const std::string&, const FolderQueryError&) override {}
    void queryWorked(const std::string&) override {}
    void leftovers(const std::vector<std::pair<std::string, std::string>>&) override {}
    void leftoverReturned(const std::string&) override {}
};

} // namespace kumoden::fake
