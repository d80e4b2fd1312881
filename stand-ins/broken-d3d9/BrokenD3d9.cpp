// Exports one marker, so a test can tell this library from the system's, and
// nothing a Direct3D 9 user looks for.
extern "C" __declspec(dllexport) int BrokenD3d9Marker() { return 9; }
