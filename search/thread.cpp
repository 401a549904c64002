// The main thread's search state.
#include "search/thread.h"

SearchThread main_thread;
