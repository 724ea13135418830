#pragma once

// Keeps the OpenGL driver loaded until the program ends. Mesa leaves allocations in
// its driver modules and unloads them with the last context; the leak checker of a
// sanitizer build would then blame the benchmark for them.
void keepGlDriverResident();
