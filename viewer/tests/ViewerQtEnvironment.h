#pragma once
// The in-process window tests' world: a QApplication on the offscreen platform, a fresh state
// root with the image objects registered, and waits that keep the event loop turning.

#include <chrono>
#include <functional>

namespace vistel::test {

// Processes events until pred holds or limit passed; true when it held.
bool processUntil(std::chrono::milliseconds limit, const std::function<bool()>& pred);
// Processes events for span: for behaviour that is about time (nothing may happen).
void processFor(std::chrono::milliseconds span);

} // namespace vistel::test
