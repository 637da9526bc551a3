#pragma once

namespace tamrex {

// What the processor can do beyond the x86-64 baseline, from what the C library found
// out at program start. Asking the processor itself, as __builtin_cpu_supports does at
// every start, costs tens of microseconds per question in a virtual machine.
bool ProcessorHasPopcnt();
bool ProcessorHasAvx2();  // and the system saves its registers
bool ProcessorHasShaInstructions();  // SHA-256 rounds, with SSE4.1 beside them

}  // namespace tamrex
