// The entry of the link checks in src/CMakeLists.txt: each links one room
// of the platform layer whole with the rooms below it and does nothing.
int main() { return 0; }
