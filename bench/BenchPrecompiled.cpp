// Compiles the precompiled header that the compile-only benchmark targets
// share (bench/CMakeLists.txt); it has no code of its own.
