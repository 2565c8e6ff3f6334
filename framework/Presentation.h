// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// When repaints reach the display. A forced repaint (RedrawWindow with
// RDW_UPDATENOW) runs WM_PAINT at once into the control's own picture; the
// picture is handed to the display at the thread's next wait (a host's sleep
// or its event loop's), or at once when nothing was handed over for a frame.
// A thread busy with an operation then pays only for its painting: on X11
// each hand-over wakes the server and, with shared memory, waits for its
// answer, which costs more than the paint itself. A compositor shows nothing
// sooner than its next frame anyway.
#include <cstdint>

namespace fw {

// A frame at 60 Hz, in microseconds.
inline constexpr std::int64_t kFrameMicroseconds = 16'667;

// Hands every repaint that waits for the display to it now.
void PresentPaints();
// The same, when the last hand-over is a frame or more ago on the host's clock.
void PresentIfFrameDue();
// Sleeps ms milliseconds from now on the monotonic clock, handing waiting
// repaints to the display in that time.
void SleepPresenting(std::uint32_t ms);
// The same, until the monotonic clock reads deadline (in microseconds).
void SleepPresentingUntil(std::int64_t deadline);

} // namespace fw
