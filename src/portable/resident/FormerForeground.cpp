#include "resident/FormerForeground.h"

namespace quillery::resident {
namespace {

bool CouldHaveHadTheKeyboard(const StackedWindow& window) {
    return window.visible && !window.minimized && !window.cloaked && !window.toolWindow &&
           !window.noActivate && !window.disabled && !window.shell && !window.ours;
}

} // namespace

std::optional<std::size_t> FormerForeground(const std::vector<StackedWindow>& fromTheTop,
                                            std::uintptr_t lastSeenFamily) {
    std::optional<std::size_t> first;
    for (std::size_t k = 0; k < fromTheTop.size(); ++k) {
        const StackedWindow& window = fromTheTop[k];
        if (!CouldHaveHadTheKeyboard(window)) {
            continue;
        }
        if (!first) {
            first = k;
        }
        if (!window.topmost) {
            // Only topmost windows lie above it, which no activation of another window moves.
            return window.family == lastSeenFamily ? k : first;
        }
    }
    return first;
}

} // namespace quillery::resident
