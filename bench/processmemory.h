#pragma once

// The memory of this process as the system counts it (Linux; 0 elsewhere).

// "VmRSS:" or "VmHWM:", in MB.
double processMemoryMb(const char *key);
// The peak resident memory ("VmHWM:") counted afresh from here.
void resetPeakMemory();
// Freed heap memory given back to the system (glibc), so that a growth measured after it
// counts every page taken, not only those no freed memory could serve.
void returnFreedMemory();
