// Holds a file open for reading (sharing reading and writing, as a mail client does) for
// some seconds, so a test can see what other openers are allowed meanwhile.
//   hold_file.exe PATH SECONDS
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    HANDLE file = ::CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::puts("holding");
    std::fflush(stdout);
    ::Sleep(static_cast<DWORD>(std::atoi(argv[2]) * 1000));
    ::CloseHandle(file);
    return 0;
}
