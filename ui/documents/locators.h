#pragma once

// The viewer returns to whichever window opened it, named by a short text, the locator. Each
// opener registers how to show itself under its locator, so the viewer needs no knowledge of
// the windows that use it.

#include <QString>

#include <functional>

namespace orvane::ui {

void registerLocator(const QString& locator, std::function<void()> show);
// Shows the window registered under exactly this text; false when there is none.
bool showLocated(const QString& locator);

} // namespace orvane::ui
