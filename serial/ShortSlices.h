#pragma once

// Asks the scheduler to run the calling thread in short slices (0.1 ms, the
// least it grants). A thread that sleeps almost all the time then gets the
// processor as soon as it wakes instead of waiting for the slice of whatever
// runs there, a compiler or our own busy user interface: with one core kept
// busy, a woken thread's p99 delay fell from about 30 to 15-23 us on the
// development machine. No privilege is needed; where the kernel does not
// know the request (before Linux 6.12), it changes nothing.
void AskForShortSlices();
