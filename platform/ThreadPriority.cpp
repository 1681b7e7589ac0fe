#include "platform/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

bool LowerCallingThreadPriority() {
    // On Linux the nice value belongs to the one thread. Not the idle class: a thread in it may wait
    // for seconds on a busy machine, holding a lock the window then waits for, and decoding ahead
    // should still happen while, say, a build runs beside the reader.
    return setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10) == 0;
}
