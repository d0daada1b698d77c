#pragma once
#include <functional>

class QWidget;

// Runs action once, just after window's first frame has been painted, or once the window is
// minimised if that comes first. Work the first frame does not show waits behind it. The action
// is dropped if the window is destroyed first.
void AfterFirstFrame(QWidget *window, std::function<void()> action);
