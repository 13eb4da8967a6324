#pragma once

#include <string>

namespace kumoden::test {

// Why the tests' scheduler cannot be used; empty when it answers.
std::string schedulerProblem();

} // namespace kumoden::test
