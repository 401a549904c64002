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

// In WebAssembly, keeps a running sum in the order it is written: summed term by term, not
// regrouped into two long sums whose terms' addresses all stay live meanwhile (the runtime
// keeps few of them in registers). Natively nothing.
inline void in_order(int& sum) {
#if defined(__wasm__)
    __asm__("" : "+r"(sum));
#else
    static_cast<void>(sum);
#endif
}

// In WebAssembly, makes the runtime compute `sum` here, before the memory reads that follow:
// a store waits for its value and reads stay behind stores, while sums alone are put off to
// where they are used, keeping every term live (in memory) until then.
inline void settle(int sum) {
#if defined(__wasm__)
    [[maybe_unused]] volatile int at_hand = sum;
#else
    static_cast<void>(sum);
#endif
}
