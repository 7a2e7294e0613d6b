// Test image: a "setup" that imports verify_marker.dll, which the loader would
// look for in the setup's own folder (where a download's neighbours lie).
extern "C" __declspec(dllimport) int MarkerExport();

int wmain() { return MarkerExport(); }
