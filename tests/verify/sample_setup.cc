// Test image: the smallest "setup" that the verification tests put resources
// into and sign. It does nothing when run.
int wmain() { return 0; }
