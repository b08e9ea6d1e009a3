#include "ui/documents/locators.h"

#include <map>

namespace orvane::ui {
namespace {

std::map<QString, std::function<void()>>& registry() {
    static std::map<QString, std::function<void()>> openers;
    return openers;
}

} // namespace

void registerLocator(const QString& locator, std::function<void()> show) {
    registry()[locator] = std::move(show);
}

bool showLocated(const QString& locator) {
    const auto it = registry().find(locator);
    if (it == registry().end())
        return false;
    // A copy: what it shows may register itself again while it runs.
    const std::function<void()> show = it->second;
    show();
    return true;
}

} // namespace orvane::ui
