#pragma once

// Waits the given number of seconds while window events go on being
// processed. Measured on a monotonic clock, so midnight or a change of the
// system clock neither shortens nor stretches the wait.
void Pause(float seconds);
