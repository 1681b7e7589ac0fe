#pragma once
// Work done ahead of need (decoding the next scans) should give way to the work the reader waits for
// (the window, the web view's processes) when both want the processor.

// Lowers the calling thread's priority; returns false when the system refused, and the thread then
// runs at its usual priority.
bool LowerCallingThreadPriority();
