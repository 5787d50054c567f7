#pragma once

#include <functional>
#include <thread>

namespace Util {

/// Starts `body` on a new thread that begins on another processor than the caller's, when
/// the process may use more than one. A new thread is otherwise often queued behind its
/// creator on the creator's processor and waits there while the creator keeps working (a
/// millisecond and more in a virtual machine), idle processors beside. Once running, the
/// thread may use every processor the process may. The caller joins the thread.
std::thread startElsewhere(std::function<void()> body);

}  // namespace Util
