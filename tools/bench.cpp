// Benchmark (placeholder until the search lands).
int main() { return 0; }
