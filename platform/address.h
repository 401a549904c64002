// Addresses the WebAssembly compiler cannot see through.
#pragma once

// In WebAssembly a pointer the compiler can see through (a table's address plus an index) gets
// its constant offsets added in separate instructions, each of which the runtime turns into an
// address computation of its own; from a base it cannot see through they go into the memory
// accesses themselves. Natively the same pointer, untouched.
template <class T>
inline T* opaque_base(T* p) {
#if defined(__wasm__)
    __asm__("" : "+r"(p));
#endif
    return p;
}
