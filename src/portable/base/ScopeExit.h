#pragma once

#include <utility>

namespace quillery {

// Runs a function when the scope ends, however it ends. The function must not throw.
template <typename Function> class [[nodiscard]] ScopeExit {
public:
    explicit ScopeExit(Function function) : function_(std::move(function)) {}
    ~ScopeExit() { function_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Function function_;
};

} // namespace quillery
