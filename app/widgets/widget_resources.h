#pragma once

namespace miyoutong {

// Registers the pictures compiled into the widgets library (":/miyoutong/..."). A static library's
// resources are not registered by themselves; safe to call any number of times.
void EnsureWidgetResources();

}  // namespace miyoutong
