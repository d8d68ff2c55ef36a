#include "shared/ThreadContext.h"

#include <memory>

namespace quillery {
namespace {
thread_local std::unique_ptr<ThreadContext> t_context;
}

ThreadContext& CurrentThread() {
    if (!t_context) {
        t_context = std::make_unique<ThreadContext>();
    }
    return *t_context;
}

void ReleaseCurrentThread() {
    t_context.reset();
}

} // namespace quillery
